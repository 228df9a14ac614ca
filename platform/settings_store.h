#pragma once

#include <QString>

namespace veranth::platform {

// The application names and the section the program keeps its settings under.
inline constexpr auto kAddInsApplication = "Microsoft Visual Basic AddIns";
inline constexpr auto kAddInsEnginesApplication = "Microsoft Visual Basic AddIns\\Tabrix";
inline constexpr auto kTabrixApplication = "Tabrix";
inline constexpr auto kProgramTitle = "Veranth";

// The per-user settings store: text values addressed by application, section and key. Each
// application name is one INI file under the user's configuration folder (a '\' in the name is a
// subfolder), each section a group of it. Values are stored and returned as the exact text given.
class SettingsStore {
public:
    // Files live under `rootDir`; empty means UserConfigDirectory().
    explicit SettingsStore(QString rootDir = QString());

    // The file that holds an application's sections.
    QString FilePath(const QString& application) const;
    // The full store path of an application's section, as handed to the engine as its IniPath:
    // the file path, then the section in brackets.
    QString SectionPath(const QString& application, const QString& section) const;

    // nullopt-free reading: `defaultValue` when the value is absent or unreadable.
    QString Get(const QString& application, const QString& section, const QString& key,
                const QString& defaultValue = QString()) const;
    bool Contains(const QString& application, const QString& section, const QString& key) const;
    // false when the value could not be written (the file or its folder is not writable).
    bool Set(const QString& application, const QString& section, const QString& key, const QString& value);
    bool Remove(const QString& application, const QString& section, const QString& key);

    // `GetUserSetting`: a value under "Microsoft Visual Basic AddIns" / "Veranth".
    QString GetUserSetting(const QString& key, const QString& defaultValue) const;
    bool SaveUserSetting(const QString& key, const QString& value);

private:
    QString root_;
};

// Numbers are written as decimal text, window positions and sizes as single-precision numbers.
QString FormatSettingNumber(double value);

}  // namespace veranth::platform
