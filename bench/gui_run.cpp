// Times a replacement run, a preview or an Add All HTML Files In Folder started
// from the main window (offscreen, recording platform) and the longest gap between
// ticks of a 10 ms timer during it. A run or preview lasts until its closing box
// is gone. A preview also times opening the Preview window after its dry run and
// showing the changes of the first file.
// Usage: tessaly-gui-bench [--preview] OUTPUT_FOLDER [--whole-file] [--jobs N] FILE... (@LIST: paths, one a line)
//        tessaly-gui-bench --add-all FOLDER
#include "gui/file_list_controller.h"
#include "gui/main_window.h"
#include "gui/run_controller.h"
#include "base/settings_store.h"
#include "fake_platform.h"
#include "filelist/file_list_model.h"
#include "gui/diff_view.h"

#include <QDialog>
#include <QFile>
#include <QTableView>

#include <QApplication>
#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <cstdio>
#include <functional>

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: tessaly-gui-bench [--preview] OUTPUT_FOLDER [--whole-file] [--jobs N] FILE...\n");
        return 2;
    }
    const bool addAll = args.first() == QLatin1String("--add-all");
    const bool preview = args.first() == QLatin1String("--preview");
    if (addAll || preview)
        args.removeFirst();
    const QString output = args.takeFirst();
    const bool wholeFile = args.removeAll(QStringLiteral("--whole-file")) > 0;
    int jobs = 0;  // the window's own choice
    if (const qsizetype at = args.indexOf(QStringLiteral("--jobs")); at >= 0 && at + 1 < args.size()) {
        jobs = args.at(at + 1).toInt();
        args.remove(at, 2);
    }
    QStringList files;
    for (const QString &arg : std::as_const(args)) {
        if (!arg.startsWith(u'@')) {
            files << arg;
            continue;
        }
        QFile list(arg.mid(1));
        if (!list.open(QIODevice::ReadOnly | QIODevice::Text))
            return 2;
        files << QString::fromLocal8Bit(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir settingsDir;
    testing::FakePlatform platform;
    platform.onProcessPendingEvents = [](int) { QCoreApplication::processEvents(); };
    tessaly::SettingsStore settings(settingsDir.filePath(QStringLiteral("settings.ini")));
    tessaly::MainWindow window(platform, settings);
    window.setQuitHandler([] {});
    if (jobs > 0)
        window.runController().setEnvironment({}, jobs);
    window.show();

    window.fileList().appendAll(files);
    window.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->setPlainText(QStringLiteral("Acme"));
    window.findChild<QPlainTextEdit *>(QStringLiteral("Text2"))->setPlainText(QStringLiteral("Zenith"));
    window.findChild<QRadioButton *>(wholeFile ? QStringLiteral("Option2") : QStringLiteral("Option1"))->click();
    window.findChild<QRadioButton *>(QStringLiteral("Option4"))->click();
    window.findChild<QLineEdit *>(QStringLiteral("Text3"))->setText(output);
    // The window's first paint, with its list filled, is not part of what is timed.
    if (!QTest::qWaitForWindowExposed(&window))
        return 2;
    QCoreApplication::processEvents();

    QElapsedTimer run;
    QElapsedTimer sinceTick;
    qint64 longestGap = 0;
    QTimer ticker;
    ticker.setInterval(10);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestGap = std::max(longestGap, sinceTick.restart());
    });

    // The run has ended when the window gives Stop back for Preview…: the first
    // step of its closing.
    qint64 runEnded = 0;
    auto *stopButton = window.findChild<QPushButton *>(QStringLiteral("StopButton"));
    struct HideWatch : QObject {
        std::function<void()> hidden;
        bool eventFilter(QObject *, QEvent *event) override
        {
            if (event->type() == QEvent::Hide && hidden)
                hidden();
            return false;
        }
    } stopHidden;
    stopHidden.hidden = [&] {
        if (runEnded == 0)
            runEnded = run.nsecsElapsed();
    };
    stopButton->installEventFilter(&stopHidden);
    if (preview) {
        platform.onExec = [&](QDialog &dialog) {
            dialog.show();
            QCoreApplication::processEvents();
            const qint64 shown = run.nsecsElapsed();
            std::printf("preview: dry run of %lld files %.3f s; window open %.1f ms after the dry run ended\n",
                        qlonglong(files.size()), runEnded / 1e9, (shown - runEnded) / 1e6);
            auto *table = dialog.findChild<QTableView *>(QStringLiteral("files"));
            QElapsedTimer select;
            select.start();
            table->setCurrentIndex(table->model()->index(0, 0));
            dialog.repaint();
            QCoreApplication::processEvents();
            std::printf("preview: changes of %s shown in %.1f ms (%lld lines)\n", qPrintable(files.first()),
                        select.nsecsElapsed() / 1e6,
                        qlonglong(dialog.findChild<tessaly::DiffView *>(QStringLiteral("changes"))->model()->rowCount()));
            return int(QDialog::Rejected);
        };
    }
    const auto finish = [&] {
        const qint64 elapsed = run.elapsed();
        longestGap = std::max(longestGap, sinceTick.elapsed());
        std::printf("window %s: %.3f s, %lld files, longest event-loop gap %lld ms, failures %lld\n",
                    addAll ? "add all" : preview ? "preview" : "run", elapsed / 1000.0,
                    qlonglong(window.fileList().count()), qlonglong(longestGap),
                    qlonglong(platform.callsOf(QStringLiteral("errorReport")).size()));
        app.quit();
    };
    QObject::connect(&window.runController(), &tessaly::RunController::runFinished, &app, finish);
    QTimer::singleShot(0, [&] {
        ticker.start();
        sinceTick.start();
        run.start();
        if (addAll) {
            platform.inputAnswers.enqueue(QStringLiteral("htm"));
            platform.folderAnswers.enqueue(output);
            window.fileListController().addFolder();
            finish();
        } else if (preview) {
            window.runController().startPreview();
        } else {
            window.runController().startReplacing();
        }
    });
    return app.exec();
}
