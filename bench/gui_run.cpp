// Times a replacement run or an Add All HTML Files In Folder started from the main
// window (offscreen, recording platform) and the longest gap between ticks of a
// 10 ms timer during it.
// Usage: tessaly-gui-bench OUTPUT_FOLDER [--whole-file] FILE...
//        tessaly-gui-bench --add-all FOLDER
#include "gui/form1.h"
#include "base/settings_store.h"
#include "fake_platform.h"
#include "filelist/file_list_model.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tessaly-gui-bench OUTPUT_FOLDER [--whole-file] FILE...\n");
        return 2;
    }
    const bool addAll = args.first() == QLatin1String("--add-all");
    if (addAll)
        args.removeFirst();
    const QString output = args.takeFirst();
    const bool wholeFile = args.removeAll(QStringLiteral("--whole-file")) > 0;

    QTemporaryDir settingsDir;
    testing::FakePlatform platform;
    platform.onProcessPendingEvents = [](int) { QCoreApplication::processEvents(); };
    tessaly::SettingsStore settings(settingsDir.filePath(QStringLiteral("settings.ini")));
    tessaly::Form1 window(platform, settings);
    window.setQuitHandler([] {});
    window.show();

    window.fileList().appendAll(args);
    window.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->setPlainText(QStringLiteral("Acme"));
    window.findChild<QPlainTextEdit *>(QStringLiteral("Text2"))->setPlainText(QStringLiteral("Zenith"));
    window.findChild<QRadioButton *>(wholeFile ? QStringLiteral("Option2") : QStringLiteral("Option1"))->click();
    window.findChild<QRadioButton *>(QStringLiteral("Option4"))->click();
    window.findChild<QLineEdit *>(QStringLiteral("Text3"))->setText(output);

    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });

    QElapsedTimer run;
    QTimer::singleShot(0, [&] {
        ticker.start();
        sinceTick.start();
        run.start();
        if (addAll) {
            platform.inputAnswers.enqueue(QStringLiteral("htm"));
            platform.folderAnswers.enqueue(output);
            window.PushButton1_Click();
        } else {
            window.PushButton3_Click();
        }
        const qint64 elapsed = run.elapsed();
        longestGap = std::max(longestGap, sinceTick.elapsed());
        std::printf("window %s: %.3f s, %lld files, longest event-loop gap %lld ms, failures %lld\n",
                    addAll ? "add all" : "run", elapsed / 1000.0,
                    qlonglong(addAll ? window.fileList().count() : args.size()), qlonglong(longestGap),
                    qlonglong(platform.callsOf(QStringLiteral("errorReport")).size()));
        app.quit();
    });
    return app.exec();
}
