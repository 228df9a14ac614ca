#include "repairs/sql_text.h"

#include "engine/conversions.h"
#include "engine/errors.h"

namespace veranth::repairs {

namespace {
constexpr int kNotAValidName = 3125;
}

QString SqlText(const QString& value) {
    QString doubled = value;
    doubled.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + doubled + QLatin1Char('\'');
}

QString SqlName(const QString& name) {
    if (name.isEmpty() || name.contains(QLatin1Char(']')) || name.contains(QLatin1Char('[')))
        throw engine::EngineError::withDescription(kNotAValidName,
                                                   QStringLiteral("'%1' is not a valid name.").arg(name));
    return QLatin1Char('[') + name + QLatin1Char(']');
}

QString SqlDateText(double serial) {
    const engine::DateParts p = engine::splitDate(serial);
    return QStringLiteral("%1-%2-%3 %4:%5:%6")
        .arg(p.year, 4, 10, QLatin1Char('0'))
        .arg(p.month, 2, 10, QLatin1Char('0'))
        .arg(p.day, 2, 10, QLatin1Char('0'))
        .arg(p.hour, 2, 10, QLatin1Char('0'))
        .arg(p.minute, 2, 10, QLatin1Char('0'))
        .arg(p.second, 2, 10, QLatin1Char('0'));
}

}  // namespace veranth::repairs
