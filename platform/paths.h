#pragma once

#include <QString>

namespace veranth::platform {

// The site directory holds QOR32.INI, the credentials file and the support-password hash:
// $VERANTH_SITE_DIR when set, else /etc/veranth. An explicit override (the command line's --site)
// wins over both.
QString SiteDirectory();
void SetSiteDirectoryOverride(const QString& dir);

// Per-user configuration root: $XDG_CONFIG_HOME/veranth, else ~/.config/veranth.
QString UserConfigDirectory();
// Per-user data root: $XDG_DATA_HOME/veranth, else ~/.local/share/veranth. The demo site lives here.
QString UserDataDirectory();

// Corvane stores Windows paths; both separators are accepted everywhere a path is split.
bool IsPathSeparator(QChar c);
// The folder part including its final separator ("C:\data\" of "C:\data\Mainqor.mdb"), or empty.
QString FolderOfPath(const QString& path);
// The part after the last separator.
QString FileNameOfPath(const QString& path);
// Joins a folder and a name with '/' unless the folder already ends in a separator.
QString JoinPath(const QString& folder, const QString& name);

// The program's own file name without folder and without a final ".EXE" (in any letter case), taken
// from a module path read into a 128-character buffer.
QString ProgramNameFromModulePath(const QString& modulePath);
// `GetProgramName`: the same for the running executable.
QString GetProgramName();

}  // namespace veranth::platform
