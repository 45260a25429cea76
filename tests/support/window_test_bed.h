// What every window test starts from: a temporary folder, the recording platform,
// a recording settings store kept in that folder, the main window, a gate that
// holds one file of its runs, and a click on a control by its product name.
#pragma once

#include "fake_platform.h"
#include "gated_file_system.h"
#include "recording_store.h"
#include "temp_tree.h"

#include "gui/file_list_controller.h"
#include "gui/main_window.h"
#include "gui/run_controller.h"

#include <QPushButton>
#include <QtTest>

#include <memory>

namespace testing {

struct WindowTestBed {
    // Standard paths in test mode, and a usable temporary folder, before anything else.
    struct TestMode {
        TestMode() { QStandardPaths::setTestModeEnabled(true); }
    } testMode;
    TempTree dir;
    FakePlatform platform;
    RecordingStore store{dir.path(QStringLiteral("settings.ini"))};
    std::unique_ptr<GatedFileSystem> gate;  // outlives the window and its run
    std::unique_ptr<tessaly::MainWindow> window;

    // A run still held (a test that failed half-way) finishes before the window goes.
    ~WindowTestBed()
    {
        if (gate)
            gate->release();
        window.reset();
    }

    // A new main window (closing it does not quit); the program folder is the
    // running program's unless given.
    tessaly::MainWindow &openMainWindow(const QString &programFolder = QString())
    {
        window.reset(programFolder.isNull() ? new tessaly::MainWindow(platform, store)
                                            : new tessaly::MainWindow(platform, store, programFolder));
        window->setQuitHandler([] {});
        return *window;
    }

    // The window's runs from now on do one file at a time, and the file of that
    // name waits at the gate (at its result's rename, or its read) until the test
    // releases it: the test acts while that file is in flight.
    GatedFileSystem &holdRunsAt(const QByteArray &name, GatedFileSystem::Step step = GatedFileSystem::Step::Rename)
    {
        QTEST_ASSERT(window);
        gate = std::make_unique<GatedFileSystem>(name, step);
        window->runController().setEnvironment({gate.get()}, 1);
        return *gate;
    }
};

// Waits until the window's run, its closing box and a run the box started are over.
inline void waitForRun(tessaly::MainWindow &window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.runController().isRunInProgress(), 30000);
}

// Waits until the window's scan or filter has ended and what it found is in the list.
inline void waitForListWork(tessaly::MainWindow &window)
{
    QTRY_VERIFY_WITH_TIMEOUT(!window.fileListController().isWorking(), 30000);
}

// Shows the window and waits until it is on the screen.
inline void showWindow(QWidget &window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
}

// Clicks the push button of that name in the window; a missing one fails the test
// with its name.
inline void clickButton(QWidget *window, const QString &name)
{
    auto *button = window ? window->findChild<QPushButton *>(name) : nullptr;
    QVERIFY2(button, qPrintable(QStringLiteral("no push button named %1").arg(name)));
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace testing
