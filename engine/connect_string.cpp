#include "engine/connect_string.h"

#include <QStringList>

namespace veranth::engine {

QString connectValue(const QString& connect, const QString& key) {
    for (const QString& part : connect.split(QLatin1Char(';'))) {
        const qsizetype eq = part.indexOf(QLatin1Char('='));
        if (eq > 0 && part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0) return part.mid(eq + 1);
    }
    return QString();
}

QString connectPrefix(const QString& connect) {
    const qsizetype semicolon = connect.indexOf(QLatin1Char(';'));
    const QString head = semicolon < 0 ? connect : connect.left(semicolon);
    return head.contains(QLatin1Char('=')) ? QString() : head.trimmed();
}

}  // namespace veranth::engine
