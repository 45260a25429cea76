// What every window test starts from: a temporary folder, the recording platform,
// a recording settings store kept in that folder, the main window, and a click
// on a control by its product name.
#pragma once

#include "fake_platform.h"
#include "recording_store.h"

#include "gui/form1.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace testing {

struct WindowTestBed {
    // Standard paths in test mode, and a usable temporary folder, before anything else.
    struct TestMode {
        TestMode() { QStandardPaths::setTestModeEnabled(true); }
    } testMode;
    QTemporaryDir dir;
    FakePlatform platform;
    RecordingStore store{dir.filePath(QStringLiteral("settings.ini"))};
    std::unique_ptr<tessaly::Form1> form;

    WindowTestBed() { QTEST_ASSERT(dir.isValid()); }

    // A new main window (closing it does not quit); the program folder is the
    // running program's unless given.
    tessaly::Form1 &openForm1(const QString &programFolder = QString())
    {
        form.reset(programFolder.isNull() ? new tessaly::Form1(platform, store)
                                          : new tessaly::Form1(platform, store, programFolder));
        form->setQuitHandler([] {});
        return *form;
    }
};

// Clicks the push button of that name in the window; a missing one fails the test
// with its name.
inline void clickButton(QWidget *window, const QString &name)
{
    auto *button = window ? window->findChild<QPushButton *>(name) : nullptr;
    QVERIFY2(button, qPrintable(QStringLiteral("no push button named %1").arg(name)));
    QTest::mouseClick(button, Qt::LeftButton);
}

} // namespace testing
