#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace veranth::platform {
namespace {

QString& SiteOverride() {
    static QString dir;
    return dir;
}

QString XdgFolder(const char* variable, const char* fallbackUnderHome) {
    QString base = qEnvironmentVariable(variable);
    if (base.isEmpty() || !QDir::isAbsolutePath(base)) base = QDir::homePath() + QLatin1Char('/') + QLatin1String(fallbackUnderHome);
    return base + QStringLiteral("/veranth");
}

}  // namespace

QString SiteDirectory() {
    if (!SiteOverride().isEmpty()) return SiteOverride();
    const QString fromEnvironment = qEnvironmentVariable("VERANTH_SITE_DIR");
    if (!fromEnvironment.isEmpty()) return fromEnvironment;
    return QStringLiteral("/etc/veranth");
}

void SetSiteDirectoryOverride(const QString& dir) { SiteOverride() = dir; }

QString UserConfigDirectory() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }
QString UserDataDirectory() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }

bool IsPathSeparator(QChar c) { return c == QLatin1Char('/') || c == QLatin1Char('\\'); }

static qsizetype LastSeparator(const QString& path) {
    for (qsizetype i = path.size() - 1; i >= 0; --i)
        if (IsPathSeparator(path[i])) return i;
    return -1;
}

QString FolderOfPath(const QString& path) { return path.left(LastSeparator(path) + 1); }

QString FileNameOfPath(const QString& path) { return path.mid(LastSeparator(path) + 1); }

QString JoinPath(const QString& folder, const QString& name) {
    if (folder.isEmpty() || IsPathSeparator(folder.back())) return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString ProgramNameFromModulePath(const QString& modulePath) {
    constexpr qsizetype kBufferCharacters = 128;  // one is the terminating NUL
    QString name = FileNameOfPath(modulePath.left(kBufferCharacters - 1));
    if (name.toUpper().endsWith(QLatin1String(".EXE"))) name.chop(4);
    return name;
}

QString GetProgramName() {
    QString path = QCoreApplication::instance() ? QCoreApplication::applicationFilePath() : QString();
    if (path.isEmpty()) path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return ProgramNameFromModulePath(path);
}

}  // namespace veranth::platform
