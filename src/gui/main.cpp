// The Tessaly program: the main window over the native settings store, with the
// files and folders it is started with in its list.
#include "gui/close_on_signals.h"
#include "gui/main_window.h"
#include "base/program_files.h"
#include "gui/open_paths.h"
#include "gui/qt_platform.h"
#include "base/settings_store.h"
#include "textio/file_system.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    tessaly::ignoreFileSizeSignal();
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    // Qt's own dialog texts (the file dialogs, the buttons of the boxes) in the
    // user's language; the window's own captions stay as they are.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);
    const QString icon = tessaly::programFile(QStringLiteral("tessaly.png"));
    if (tessaly::isRegularFile(icon))
        QApplication::setWindowIcon(QIcon(icon));

    tessaly::QtPlatform platform;
    tessaly::SettingsStore settings;
    tessaly::MainWindow window(platform, settings);
    platform.setParentWindow(&window);
    const tessaly::CloseOnSignals closeOnSignals(window);

    if (QScreen *screen = window.screen())
        window.fitToScreen(screen->availableGeometry());
    window.show();
    tessaly::openPaths(window, QApplication::arguments().mid(1));
    return application.exec();
}
