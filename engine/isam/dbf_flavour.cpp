#include "engine/isam/dbf_flavour.h"

namespace veranth::engine::isam {

std::optional<DbfFlavour> dbfFlavourOfPrefix(const QString& prefix) {
    const QString p = prefix.simplified().toUpper();
    if (p == QLatin1String("DBASE III")) return DbfFlavour::DBase3;
    if (p == QLatin1String("DBASE IV")) return DbfFlavour::DBase4;
    if (p == QLatin1String("DBASE 5.0") || p == QLatin1String("DBASE 5")) return DbfFlavour::DBase5;
    if (p == QLatin1String("FOXPRO 2.0") || p == QLatin1String("FOXPRO 2.5") || p == QLatin1String("FOXPRO 2.6"))
        return DbfFlavour::FoxPro2;
    if (p == QLatin1String("FOXPRO 3.0")) return DbfFlavour::FoxPro3;
    return std::nullopt;
}

QString dbfFlavourName(DbfFlavour flavour) {
    switch (flavour) {
    case DbfFlavour::DBase3: return QStringLiteral("dBase III");
    case DbfFlavour::DBase4: return QStringLiteral("dBase IV");
    case DbfFlavour::DBase5: return QStringLiteral("dBase 5.0");
    case DbfFlavour::FoxPro2: return QStringLiteral("FoxPro 2.x");
    case DbfFlavour::FoxPro3: return QStringLiteral("FoxPro 3.0");
    }
    return QString();
}

}  // namespace veranth::engine::isam
