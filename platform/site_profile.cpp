#include "platform/site_profile.h"

#include "platform/cp1252.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QStringConverter>

namespace veranth::platform {
namespace {

// Site files are written by hand on Linux (UTF-8) or copied from a Windows workstation (ANSI).
QString DecodeProfileText(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
        return text;
    }
    return DecodeCp1252(bytes);
}

QString Unquote(const QString& value) {
    if (value.size() >= 2) {
        const QChar first = value.front();
        if ((first == QLatin1Char('"') || first == QLatin1Char('\'')) && value.back() == first)
            return value.mid(1, value.size() - 2);
    }
    return value;
}

}  // namespace

QString TrimProfileString(const QString& text) {
    QString result = text;
    while (!result.isEmpty() && result.back() == QChar(0)) result.chop(1);
    qsizetype start = 0;
    while (start < result.size() && result[start] == QLatin1Char(' ')) ++start;
    qsizetype end = result.size();
    while (end > start && result[end - 1] == QLatin1Char(' ')) --end;
    return result.mid(start, end - start);
}

QString ReadProfileString(const QString& filePath, const QString& section, const QString& key,
                          const QString& defaultValue, int bufferSize) {
    QString value = defaultValue;
    QFile file(filePath);
    if (file.open(QIODevice::ReadOnly)) {
        const QStringList lines = DecodeProfileText(file.readAll()).split(QLatin1Char('\n'));
        bool inSection = false;
        for (QString line : lines) {
            if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
            const QString trimmed = line.trimmed();
            if (trimmed.startsWith(QLatin1Char('['))) {
                const qsizetype close = trimmed.indexOf(QLatin1Char(']'));
                const QString name = trimmed.mid(1, close < 0 ? -1 : close - 1).trimmed();
                inSection = name.compare(section, Qt::CaseInsensitive) == 0;
                continue;
            }
            if (!inSection || trimmed.startsWith(QLatin1Char(';'))) continue;
            const qsizetype equals = line.indexOf(QLatin1Char('='));
            if (equals < 0) continue;
            if (line.left(equals).trimmed().compare(key, Qt::CaseInsensitive) != 0) continue;
            value = Unquote(line.mid(equals + 1).trimmed());
            break;
        }
    }
    if (bufferSize > 0 && value.size() > bufferSize - 1) value.truncate(bufferSize - 1);
    return value;
}

QString SiteProfilePath(const QString& folder) {
    const QString exact = JoinPath(folder, QLatin1String(kSiteProfileName));
    if (QFile::exists(exact)) return exact;
    const QStringList entries = QDir(folder).entryList(QDir::Files);
    for (const QString& entry : entries)
        if (entry.compare(QLatin1String(kSiteProfileName), Qt::CaseInsensitive) == 0) return JoinPath(folder, entry);
    return exact;
}

QString ReadSiteSetting(const QString& section, const QString& key, const QString& folder) {
    const QString dir = folder.isEmpty() ? SiteDirectory() : folder;
    return TrimProfileString(ReadProfileString(SiteProfilePath(dir), section, key, QString(), 255));
}

}  // namespace veranth::platform
