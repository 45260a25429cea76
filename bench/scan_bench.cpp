// Times Add All HTML Files In Folder over a large tree, offscreen, as the window
// runs it: a folder-scan task on a worker thread, its rows appended on the
// window's thread; meanwhile a 5 ms timer on the window's thread records the
// longest gap between its ticks. The tree is made on the first use: FILES
// pages, 100 to a folder, in folders two levels deep (a ".complete" file marks it).
// Usage: tessaly-scan-bench TREE_FOLDER [--files N] [--runs N]   (default 150,000 files, 1 run)
#include "fake_platform.h"
#include "gap_meter.h"
#include "filelist/adding_files.h"
#include "gui/folder_scan_task.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListView>
#include <QTimer>

#include <cstdio>

using namespace tessaly;

namespace {

constexpr int kFilesPerFolder = 100;
constexpr int kFoldersPerLevel = 40;

bool makeTree(const QString &root, int files)
{
    if (QFile::exists(root + QStringLiteral("/.complete")))
        return true;
    std::printf("making %d files below %s\n", files, qPrintable(root));
    for (int i = 0; i < files; ++i) {
        const int folder = i / kFilesPerFolder;
        const QString dir = QStringLiteral("%1/d%2/s%3").arg(root).arg(folder / kFoldersPerLevel).arg(folder);
        if (i % kFilesPerFolder == 0 && !QDir().mkpath(dir))
            return false;
        QFile page(QStringLiteral("%1/page%2.htm").arg(dir).arg(i));
        if (!page.open(QIODevice::WriteOnly) || page.write("<p>Acme</p>\n") < 0)
            return false;
    }
    QFile done(root + QStringLiteral("/.complete"));
    return done.open(QIODevice::WriteOnly);
}

// A list shown in a view, and the adding context of a window that has it.
struct Window {
    testing::FakePlatform platform;
    FileListModel list;
    QListView view;
    AddFilesContext context{platform, list, [](const QString &, const QString &value) { return value; },
                            [](const QString &, const QString &) {}, {}, errorReportBox(platform)};

    explicit Window(const QString &tree)
    {
        view.setModel(&list);
        view.setUniformItemSizes(true);
        view.show();
        platform.inputAnswers.enqueue(QStringLiteral("htm"));
        platform.folderAnswers.enqueue(tree);
    }
};

void report(const char *way, const QElapsedTimer &clock, qint64 gap, const Window &window)
{
    std::printf("%-34s %6.3f s, %lld files, longest event-loop gap %lld ms, failures %lld\n", way,
                clock.elapsed() / 1000.0, qlonglong(window.list.count()), qlonglong(gap),
                qlonglong(window.platform.callsOf(QStringLiteral("errorReport")).size()));
}

void asATask(const QString &tree, GapMeter &meter)
{
    Window window(tree);
    QEventLoop loop;
    qint64 progressCalls = 0;
    qint64 appendMs = 0;
    FolderScanTask task({[&](const ScanProgress &) { ++progressCalls; },
                         [&](ScanFindings &findings) {
                             QElapsedTimer append;
                             append.start();
                             finishAddingFolder(window.context, findings);
                             appendMs = append.elapsed();
                             loop.quit();
                         }});
    QElapsedTimer clock;
    clock.start();
    meter.start();
    if (const std::optional<FolderChoice> choice = chooseFolderToScan(window.context))
        task.startFolder(*choice);
    loop.exec();
    report("folder-scan task:", clock, meter.stop(), window);
    std::printf("%-34s %lld progress deliveries; the rows appended in %lld ms\n", "", progressCalls,
                qlonglong(appendMs));
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    const auto option = [&args](const QString &name, int fallback) {
        const qsizetype at = args.indexOf(name);
        if (at < 0 || at + 1 >= args.size())
            return fallback;
        const int value = args.at(at + 1).toInt();
        args.remove(at, 2);
        return value;
    };
    const int files = option(QStringLiteral("--files"), 150000);
    const int runs = option(QStringLiteral("--runs"), 1);
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: tessaly-scan-bench TREE_FOLDER [--files N] [--runs N]\n");
        return 2;
    }
    const QString tree = QDir(args.first()).absolutePath();
    if (!makeTree(tree, files))
        return 1;
    // The first scan fills the system's caches; it is not timed.
    (void)collectFolderFiles(tree, QStringLiteral("htm"));
    GapMeter meter(5);
    for (int run = 0; run < runs; ++run) {
        asATask(tree, meter);
    }
    return 0;
}
