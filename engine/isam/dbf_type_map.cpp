#include "engine/isam/dbf_type_map.h"

#include "engine/errors.h"

#include <QFileInfo>

namespace veranth::engine::isam {

namespace {

constexpr int kLongestName = 10;
constexpr int kLongestCharacter = 254;

DbfFieldDescriptor numeric(char type, int length, int decimals) {
    DbfFieldDescriptor d;
    d.type = type;
    d.length = length;
    d.decimals = decimals;
    return d;
}

EngineError refused(const QString& tablePath, const FieldInfo& field, const QString& why) {
    return EngineError(err::kNotSupported,
                       QStringLiteral("The field '%1' of '%2' %3.").arg(field.name, QFileInfo(tablePath).fileName(), why));
}

}  // namespace

DbfFieldDescriptor dbfFieldFor(const FieldInfo& field, DbfFlavour flavour, const QString& tablePath) {
    if (field.name.size() > kLongestName)
        throw refused(tablePath, field, QStringLiteral("has a name longer than %1 characters, which a %2 table cannot hold")
                                            .arg(kLongestName).arg(dbfFlavourName(flavour)));
    for (QChar c : field.name)
        if (c.unicode() < 0x20 || c.unicode() > 0x7E)
            throw refused(tablePath, field, QStringLiteral("has a name with the character '%1', which a field name cannot hold").arg(c));
    const bool binary = hasBinaryFields(flavour);
    const char floating = flavour == DbfFlavour::DBase3 ? 'N' : 'F';
    DbfFieldDescriptor d;
    switch (field.type) {
    case FieldType::Text:
        if (field.size > kLongestCharacter)
            throw refused(tablePath, field, QStringLiteral("holds %1 characters; a character field holds at most %2").arg(field.size).arg(kLongestCharacter));
        d = numeric('C', std::max(1, field.size), 0);
        break;
    case FieldType::Boolean: d = numeric('L', 1, 0); break;
    case FieldType::Byte: d = numeric('N', 3, 0); break;
    case FieldType::Integer: d = numeric('N', 6, 0); break;
    case FieldType::Long: d = binary ? numeric('I', 4, 0) : numeric('N', 11, 0); break;
    case FieldType::Currency: d = binary ? numeric('Y', 8, 4) : numeric('N', 20, 4); break;
    case FieldType::Single: d = numeric(floating, 20, 5); break;
    case FieldType::Double: d = binary ? numeric('B', 8, 0) : numeric(floating, 20, 5); break;
    case FieldType::Date: d = binary ? numeric('T', 8, 0) : numeric('D', 8, 0); break;
    case FieldType::Memo: d = numeric('M', binary ? 4 : 10, 0); break;
    case FieldType::Binary:
    case FieldType::LongBinary:
        if (flavour == DbfFlavour::DBase3 || flavour == DbfFlavour::DBase4)
            throw refused(tablePath, field, QStringLiteral("holds binary data, which a %1 table has no field for").arg(dbfFlavourName(flavour)));
        d = isFoxPro(flavour) ? numeric('G', binary ? 4 : 10, 0) : numeric('B', 10, 0);
        break;
    }
    d.name = field.name;
    return d;
}

FieldInfo engineFieldFor(const DbfFieldDescriptor& d) {
    FieldInfo f;
    f.name = d.name;
    f.attributes = field_attr::kFixed;
    auto set = [&](FieldType type) {
        f.type = type;
        f.size = defaultFieldSize(type);
    };
    switch (d.type) {
    case 'C':
        f.type = FieldType::Text;
        f.size = d.length;
        f.attributes = field_attr::kVariable;
        break;
    case 'N':
    case 'F':
        if (d.decimals == 0 && d.length <= 4) set(FieldType::Integer);
        else if (d.decimals == 0 && d.length <= 9) set(FieldType::Long);
        // Wide fields of money have more digits than a double keeps exactly.
        else if (d.decimals >= 1 && d.decimals <= 4 && d.length > 15) set(FieldType::Currency);
        else set(FieldType::Double);
        break;
    case 'L': set(FieldType::Boolean); break;
    case 'D':
    case 'T': set(FieldType::Date); break;
    case 'I': set(FieldType::Long); break;
    case 'Y': set(FieldType::Currency); break;
    case 'B':
        if (d.isMemo()) set(FieldType::LongBinary);
        else set(FieldType::Double);
        break;
    case 'M':
        set((d.flags & 0x04) ? FieldType::LongBinary : FieldType::Memo);
        break;
    default: set(FieldType::LongBinary); break;  // G, P
    }
    return f;
}

bool dbfFieldCanHold(const DbfFieldDescriptor& d, FieldType type) {
    switch (d.type) {
    case 'C': return type == FieldType::Text;
    case 'N':
    case 'F':
        return type == FieldType::Byte || type == FieldType::Integer || type == FieldType::Long ||
               type == FieldType::Currency || type == FieldType::Single || type == FieldType::Double;
    case 'L': return type == FieldType::Boolean;
    case 'D':
    case 'T': return type == FieldType::Date;
    case 'I': return type == FieldType::Byte || type == FieldType::Integer || type == FieldType::Long;
    case 'Y': return type == FieldType::Currency;
    case 'B':
        if (d.isMemo()) return type == FieldType::LongBinary || type == FieldType::Binary;
        return type == FieldType::Double || type == FieldType::Single;
    case 'M': return type == FieldType::Memo || type == FieldType::LongBinary || type == FieldType::Binary;
    default: return type == FieldType::LongBinary || type == FieldType::Binary;
    }
}

}  // namespace veranth::engine::isam
