#include "platform/file_filter.h"

namespace veranth::platform {

QStringList ConvertFileFilter(const QString& filter) {
    QStringList result;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& p : patterns) p = p.trimmed();
        QString description = parts[i].trimmed();
        // A description that already shows its patterns, "Access (*.mdb)", keeps them once.
        const qsizetype paren = description.indexOf(QLatin1Char('('));
        if (paren > 0 && description.endsWith(QLatin1Char(')'))) description = description.left(paren).trimmed();
        result.append(description + QStringLiteral(" (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return result;
}

}  // namespace veranth::platform
