// The Tessaly program: the main window over the native settings store.
#include "app/form1.h"
#include "app/qt_platform.h"
#include "app/settings_store.h"

#include <QApplication>
#include <QScreen>

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tessaly"));
    QApplication::setApplicationVersion(QStringLiteral(TESSALY_VERSION));

    tessaly::QtPlatform platform;
    tessaly::SettingsStore settings;
    tessaly::Form1 window(platform, settings);
    platform.setParentWindow(&window);

    window.adjustSize();
    if (QScreen *screen = window.screen()) {
        QRect frame = window.frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window.move(frame.topLeft());
    }
    window.show();
    return application.exec();
}
