#include "views/find_request.h"

#include "views/name_helpers.h"

namespace veranth::views {

QString FindCriteria(const QString& fieldName, engine::FieldType type, const QString& op, const QString& value) {
    const QString name = BracketName(fieldName);
    if (engine::isTextual(type)) {
        QString literal = value;
        literal.replace(QLatin1Char('\''), QStringLiteral("''"));
        return name + QLatin1Char(' ') + op + QStringLiteral(" '") + literal + QLatin1Char('\'');
    }
    return name + op + value;
}

}  // namespace veranth::views
