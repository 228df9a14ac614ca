#include "platform/settings_store.h"

#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

namespace veranth::platform {
namespace {

QString ValueText(const QVariant& value) {
    // A value edited by hand as `a, b` comes back from the INI reader as a list.
    if (value.metaType().id() == QMetaType::QStringList) return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

}  // namespace

SettingsStore::SettingsStore(QString rootDir) : root_(rootDir.isEmpty() ? UserConfigDirectory() : std::move(rootDir)) {}

QString SettingsStore::FilePath(const QString& application) const {
    QString relative = application;
    relative.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return root_ + QLatin1Char('/') + relative + QStringLiteral(".ini");
}

QString SettingsStore::SectionPath(const QString& application, const QString& section) const {
    return FilePath(application) + QStringLiteral(" [") + section + QLatin1Char(']');
}

QString SettingsStore::Get(const QString& application, const QString& section, const QString& key,
                           const QString& defaultValue) const {
    const QString path = FilePath(application);
    if (!QFileInfo::exists(path)) return defaultValue;
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) return defaultValue;
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    return value.isValid() ? ValueText(value) : defaultValue;
}

bool SettingsStore::Contains(const QString& application, const QString& section, const QString& key) const {
    const QString path = FilePath(application);
    if (!QFileInfo::exists(path)) return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(section);
    return settings.contains(key);
}

bool SettingsStore::Set(const QString& application, const QString& section, const QString& key, const QString& value) {
    const QString path = FilePath(application);
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(section);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool SettingsStore::Remove(const QString& application, const QString& section, const QString& key) {
    const QString path = FilePath(application);
    if (!QFileInfo::exists(path)) return true;
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(section);
    settings.remove(key);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QString SettingsStore::GetUserSetting(const QString& key, const QString& defaultValue) const {
    return Get(QLatin1String(kAddInsApplication), QLatin1String(kProgramTitle), key, defaultValue);
}

bool SettingsStore::SaveUserSetting(const QString& key, const QString& value) {
    return Set(QLatin1String(kAddInsApplication), QLatin1String(kProgramTitle), key, value);
}

QString FormatSettingNumber(double value) {
    // Single precision, as the window positions were always kept; integral values carry no point.
    return QString::number(static_cast<float>(value), 'g', 7);
}

}  // namespace veranth::platform
