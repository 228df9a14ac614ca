#pragma once

#include <QString>

namespace veranth::platform {

inline constexpr auto kSiteProfileName = "QOR32.INI";

// `TrimProfileString`: drops trailing NULs, then leading and trailing spaces.
QString TrimProfileString(const QString& text);

// Reads one value of an INI file the way the site's profile reader does: sections and keys match
// without regard to case, the first match wins, a value wrapped in one pair of matching quotes loses
// them, a missing file, section or key gives the default, and the value is cut to fit a buffer of
// `bufferSize` characters (one of them the terminating NUL).
QString ReadProfileString(const QString& filePath, const QString& section, const QString& key,
                          const QString& defaultValue = QString(), int bufferSize = 255);

// Finds QOR32.INI in a folder; on a case-sensitive file system "qor32.ini" is the same file.
QString SiteProfilePath(const QString& folder);

// `ReadSiteSetting`: one key of the site configuration file, read only, empty default, 255-character
// buffer, cleaned by TrimProfileString. A non-empty folder replaces the site directory.
QString ReadSiteSetting(const QString& section, const QString& key, const QString& folder = QString());

}  // namespace veranth::platform
