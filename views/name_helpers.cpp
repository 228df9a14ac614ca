#include "views/name_helpers.h"

namespace veranth::views {

QString CutAttachSuffix(const QString& name) {
    const int arrow = name.indexOf(QLatin1String("->"));
    if (arrow < 0) return name;
    // The blank in front of the arrow goes too.
    return name.left(std::max(0, arrow - 1));
}

QString BracketName(const QString& name) {
    if (name.contains(QLatin1Char(' ')) && !name.startsWith(QLatin1Char('['))) return QLatin1Char('[') + name + QLatin1Char(']');
    return name;
}

QString UnbracketName(const QString& name) {
    if (!name.startsWith(QLatin1Char('['))) return name;
    return name.mid(1, std::max<qsizetype>(0, name.size() - 2));
}

QString FieldPartOfName(const QString& name) {
    const int dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.mid(dot + 1);
}

QString QueryKindName(int queryType) {
    switch (queryType) {
    case 16: return QStringLiteral("Cross Tab");
    case 32: return QStringLiteral("Delete");
    case 48: return QStringLiteral("Update");
    case 64: return QStringLiteral("Append");
    case 80: return QStringLiteral("Make Table");
    case 96: return QStringLiteral("DDL");
    case 112: return QStringLiteral("SQLPassThrough");
    case 128: return QStringLiteral("Set Operation");
    case 144: return QStringLiteral("SPT Bulk");
    default: return QString();
    }
}

}  // namespace veranth::views
