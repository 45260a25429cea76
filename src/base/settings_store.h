// The user's remembered choices: text values under application "Kestrine",
// section "Tessaly Software", read and written at once (no cache, no flush step).
#pragma once

#include "base/setting.h"

#include <QSettings>
#include <QString>

#include <memory>

namespace tessaly {

class SettingsStore {
public:
    // The platform's native per-user store.
    SettingsStore();
    // A store in the given file (tests point this at a temporary INI file).
    explicit SettingsStore(const QString &fileName, QSettings::Format format = QSettings::IniFormat);
    virtual ~SettingsStore();

    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    // The stored text, or the default as text when the key is absent. A present
    // empty value is returned as "".
    QString ReadSetting(const QString &key, const QString &defaultValue) const;
    QString ReadSetting(const QString &key, const char *defaultValue) const;
    QString ReadSetting(const QString &key, int defaultValue) const;
    QString ReadSetting(const QString &key, bool defaultValue) const;
    virtual void WriteSetting(const QString &key, const QString &text);

    // Typed access by key. A stored value that is not of the key's type throws
    // TessalyError ("Type mismatch"), as toBoolean does.
    QString read(const Setting<QString> &setting) const { return ReadSetting(setting.name(), setting.defaultValue); }
    // With a default known only at run time (the desktop folder).
    QString read(const Setting<QString> &setting, const QString &fallback) const { return ReadSetting(setting.name(), fallback); }
    bool read(const Setting<bool> &setting) const { return toBoolean(ReadSetting(setting.name(), setting.defaultValue)); }
    int read(const Setting<int> &setting) const;
    void write(const Setting<QString> &setting, const QString &value) { WriteSetting(setting.name(), value); }
    void write(const Setting<bool> &setting, bool value) { WriteSetting(setting.name(), booleanText(value)); }
    void write(const Setting<int> &setting, int value) { WriteSetting(setting.name(), QString::number(value)); }

    // Text forms of values as the store keeps them.
    static QString booleanText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
    // "True"/"False" in any case, or any decimal number (0 is false). Anything
    // else throws TessalyError ("Type mismatch").
    static bool toBoolean(const QString &text);

    static QString applicationName() { return QStringLiteral("Kestrine"); }
    static QString sectionName() { return QStringLiteral("Tessaly Software"); }

private:
    std::unique_ptr<QSettings> m_settings;
};

} // namespace tessaly
