// What every window test starts from: a temporary folder, the recording platform
// and a recording settings store kept in that folder.
#pragma once

#include "fake_platform.h"
#include "recording_store.h"

#include <QTemporaryDir>

namespace testing {

struct WindowTestBed {
    QTemporaryDir dir;
    FakePlatform platform;
    RecordingStore store{dir.filePath(QStringLiteral("settings.ini"))};
};

} // namespace testing
