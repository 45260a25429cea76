// A settings store in a temporary file that records every write ("key=text", in
// order) and can refuse to write one key, for window tests.
#pragma once

#include "base/settings_store.h"
#include "base/tessaly_error.h"

#include <QStringList>

namespace testing {

class RecordingStore : public tessaly::SettingsStore {
public:
    using SettingsStore::SettingsStore;

    void WriteSetting(const QString &key, const QString &text) override
    {
        if (key == refusedKey)
            throw tessaly::TessalyError(QStringLiteral("Permission denied"));
        writes << key + u'=' + text;
        SettingsStore::WriteSetting(key, text);
    }

    QStringList keysWritten() const
    {
        QStringList keys;
        for (const QString &write : writes)
            keys << write.section(u'=', 0, 0);
        return keys;
    }

    QStringList writes;
    QString refusedKey;
};

} // namespace testing
