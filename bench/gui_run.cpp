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
#include "gap_meter.h"
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
#include <optional>

namespace {

struct BenchArgs {
    bool addAll = false;
    bool preview = false;
    QString output;
    bool wholeFile = false;
    int jobs = 0;  // the window's own choice
    QStringList files;
};

// Nothing when the arguments make no sense.
std::optional<BenchArgs> parseArgs(QStringList args)
{
    if (args.size() < 2)
        return std::nullopt;
    BenchArgs parsed;
    parsed.addAll = args.first() == QLatin1String("--add-all");
    parsed.preview = args.first() == QLatin1String("--preview");
    if (parsed.addAll || parsed.preview)
        args.removeFirst();
    parsed.output = args.takeFirst();
    parsed.wholeFile = args.removeAll(QStringLiteral("--whole-file")) > 0;
    if (const qsizetype at = args.indexOf(QStringLiteral("--jobs")); at >= 0 && at + 1 < args.size()) {
        parsed.jobs = args.at(at + 1).toInt();
        args.remove(at, 2);
    }
    for (const QString &arg : std::as_const(args)) {
        if (!arg.startsWith(u'@')) {
            parsed.files << arg;
            continue;
        }
        QFile list(arg.mid(1));
        if (!list.open(QIODevice::ReadOnly | QIODevice::Text))
            return std::nullopt;
        parsed.files << QString::fromLocal8Bit(list.readAll()).split(u'\n', Qt::SkipEmptyParts);
    }
    return parsed;
}

// The window's list and options as a user would leave them before a run.
void fillWindow(tessaly::MainWindow &window, const BenchArgs &args)
{
    window.setQuitHandler([] {});
    if (args.jobs > 0)
        window.runController().setEnvironment({}, args.jobs);
    window.show();
    window.fileList().appendAll(args.files);
    window.findChild<QPlainTextEdit *>(QStringLiteral("Text1"))->setPlainText(QStringLiteral("Acme"));
    window.findChild<QPlainTextEdit *>(QStringLiteral("Text2"))->setPlainText(QStringLiteral("Zenith"));
    window.findChild<QRadioButton *>(args.wholeFile ? QStringLiteral("Option2") : QStringLiteral("Option1"))->click();
    window.findChild<QRadioButton *>(QStringLiteral("Option4"))->click();
    window.findChild<QLineEdit *>(QStringLiteral("Text3"))->setText(args.output);
}

// Tells when a widget is hidden.
struct HideWatch : QObject {
    std::function<void()> hidden;
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Hide && hidden)
            hidden();
        return false;
    }
};

// The Preview window, when it opens after the dry run: how soon, and how soon
// it shows the changes of the first file.
void timePreview(QDialog &dialog, const QElapsedTimer &run, qint64 runEnded, const QStringList &files)
{
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
}

// Starts what is timed; a run or preview ends with the window's runFinished,
// Add All HTML Files In Folder once its scan's rows are in the list.
void startAction(tessaly::MainWindow &window, testing::FakePlatform &platform, const BenchArgs &args)
{
    if (args.addAll) {
        platform.inputAnswers.enqueue(QStringLiteral("htm"));
        platform.folderAnswers.enqueue(args.output);
        window.fileListController().addFolder();
    } else if (args.preview) {
        window.runController().startPreview();
    } else {
        window.runController().startReplacing();
    }
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const std::optional<BenchArgs> args = parseArgs(QCoreApplication::arguments().mid(1));
    if (!args) {
        std::fprintf(stderr, "usage: tessaly-gui-bench [--preview] OUTPUT_FOLDER [--whole-file] [--jobs N] FILE...\n");
        return 2;
    }

    QTemporaryDir settingsDir;
    testing::FakePlatform platform;
    tessaly::SettingsStore settings(settingsDir.filePath(QStringLiteral("settings.ini")));
    tessaly::MainWindow window(platform, settings);
    fillWindow(window, *args);
    // The window's first paint, with its list filled, is not part of what is timed.
    if (!QTest::qWaitForWindowExposed(&window))
        return 2;
    QCoreApplication::processEvents();

    QElapsedTimer run;
    GapMeter gaps(10);

    // The run has ended when the window gives Stop back for Preview…: the first
    // step of its closing.
    qint64 runEnded = 0;
    HideWatch stopHidden;
    stopHidden.hidden = [&] {
        if (runEnded == 0)
            runEnded = run.nsecsElapsed();
    };
    window.findChild<QPushButton *>(QStringLiteral("StopButton"))->installEventFilter(&stopHidden);
    if (args->preview) {
        platform.onExec = [&](QDialog &dialog) {
            timePreview(dialog, run, runEnded, args->files);
            return int(QDialog::Rejected);
        };
    }
    const auto finish = [&] {
        const qint64 elapsed = run.elapsed();
        const qint64 longestGap = gaps.stop();
        std::printf("window %s: %.3f s, %lld files, longest event-loop gap %lld ms, failures %lld\n",
                    args->addAll ? "add all" : args->preview ? "preview" : "run", elapsed / 1000.0,
                    qlonglong(window.fileList().count()), qlonglong(longestGap),
                    qlonglong(platform.callsOf(QStringLiteral("errorReport")).size()));
        app.quit();
    };
    QObject::connect(&window.runController(), &tessaly::RunController::runFinished, &app, finish);
    // Queued: the scan's end comes before its rows are appended.
    QObject::connect(
        &window.fileListController(), &tessaly::FileListController::workingChanged, &app,
        [&](bool working) {
            if (!working)
                finish();
        },
        Qt::QueuedConnection);
    QTimer::singleShot(0, [&] {
        gaps.start();
        run.start();
        startAction(window, platform, *args);
    });
    return app.exec();
}
