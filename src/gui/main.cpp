// The Tessaly program: the main window over the native settings store.
#include "gui/close_on_signals.h"
#include "gui/form1.h"
#include "base/program_files.h"
#include "gui/qt_platform.h"
#include "base/settings_store.h"
#include "textio/file_system.h"

#include <QApplication>
#include <QIcon>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    tessaly::ignoreFileSizeSignal();
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));
    const QString icon = tessaly::programFile(QStringLiteral("tessaly.png"));
    if (tessaly::isRegularFile(icon))
        QApplication::setWindowIcon(QIcon(icon));

    tessaly::QtPlatform platform;
    tessaly::SettingsStore settings;
    tessaly::Form1 window(platform, settings);
    platform.setParentWindow(&window);
    const tessaly::CloseOnSignals closeOnSignals(window);

    if (QScreen *screen = window.screen())
        window.fitToScreen(screen->availableGeometry());
    window.show();
    return application.exec();
}
