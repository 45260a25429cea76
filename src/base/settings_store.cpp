#include "base/settings_store.h"

#include "base/tessaly_error.h"


namespace tessaly {

SettingsStore::SettingsStore()
    : m_settings(std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, applicationName()))
{
}

SettingsStore::SettingsStore(const QString &fileName, QSettings::Format format)
    : m_settings(std::make_unique<QSettings>(fileName, format))
{
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::ReadSetting(const QString &key, const QString &defaultValue) const
{
    const QString path = sectionName() + QLatin1Char('/') + key;
    // Re-read the backing store so a value written by another copy of the
    // program is seen: the last write wins.
    m_settings->sync();
    if (!m_settings->contains(path))
        return defaultValue;
    return m_settings->value(path).toString();
}

QString SettingsStore::ReadSetting(const QString &key, const char *defaultValue) const
{
    return ReadSetting(key, QString::fromUtf8(defaultValue));
}

QString SettingsStore::ReadSetting(const QString &key, int defaultValue) const
{
    return ReadSetting(key, QString::number(defaultValue));
}

QString SettingsStore::ReadSetting(const QString &key, bool defaultValue) const
{
    return ReadSetting(key, booleanText(defaultValue));
}

void SettingsStore::WriteSetting(const QString &key, const QString &text)
{
    m_settings->setValue(sectionName() + QLatin1Char('/') + key, text);
    m_settings->sync();
}

int SettingsStore::read(const Setting<int> &setting) const
{
    bool isNumber = false;
    const int value = ReadSetting(setting.name(), setting.defaultValue).trimmed().toInt(&isNumber);
    if (!isNumber)
        throw TessalyError(QStringLiteral("Type mismatch"));
    return value;
}

bool SettingsStore::toBoolean(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (trimmed.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool isNumber = false;
    const double number = trimmed.toDouble(&isNumber);
    if (isNumber)
        return number != 0.0;
    throw TessalyError(QStringLiteral("Type mismatch"));
}

} // namespace tessaly
