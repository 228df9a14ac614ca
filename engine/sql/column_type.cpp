#include "engine/sql/column_type.h"

#include <array>

namespace veranth::engine::sql {

namespace {

struct TypeName {
    const char16_t* name;
    ColumnType type;
};

// The first name of each type is the one the printer writes.
constexpr std::array kTypeNames{
    TypeName{u"BIT", ColumnType::Boolean},
    TypeName{u"YESNO", ColumnType::Boolean},
    TypeName{u"BOOLEAN", ColumnType::Boolean},
    TypeName{u"LOGICAL", ColumnType::Boolean},
    TypeName{u"LOGICAL1", ColumnType::Boolean},
    TypeName{u"BYTE", ColumnType::Byte},
    TypeName{u"INTEGER1", ColumnType::Byte},
    TypeName{u"TINYINT", ColumnType::Byte},
    TypeName{u"SHORT", ColumnType::Integer},
    TypeName{u"SMALLINT", ColumnType::Integer},
    TypeName{u"INTEGER2", ColumnType::Integer},
    TypeName{u"LONG", ColumnType::Long},
    TypeName{u"INTEGER", ColumnType::Long},
    TypeName{u"INT", ColumnType::Long},
    TypeName{u"INTEGER4", ColumnType::Long},
    TypeName{u"CURRENCY", ColumnType::Currency},
    TypeName{u"MONEY", ColumnType::Currency},
    TypeName{u"SINGLE", ColumnType::Single},
    TypeName{u"REAL", ColumnType::Single},
    TypeName{u"FLOAT4", ColumnType::Single},
    TypeName{u"IEEESINGLE", ColumnType::Single},
    TypeName{u"DOUBLE", ColumnType::Double},
    TypeName{u"FLOAT", ColumnType::Double},
    TypeName{u"FLOAT8", ColumnType::Double},
    TypeName{u"IEEEDOUBLE", ColumnType::Double},
    TypeName{u"NUMBER", ColumnType::Double},
    TypeName{u"NUMERIC", ColumnType::Double},
    TypeName{u"DECIMAL", ColumnType::Decimal},
    TypeName{u"DEC", ColumnType::Decimal},
    TypeName{u"DATETIME", ColumnType::DateTime},
    TypeName{u"DATE", ColumnType::DateTime},
    TypeName{u"TIME", ColumnType::DateTime},
    TypeName{u"TIMESTAMP", ColumnType::DateTime},
    TypeName{u"TEXT", ColumnType::Text},
    TypeName{u"VARCHAR", ColumnType::Text},
    TypeName{u"CHAR", ColumnType::Text},
    TypeName{u"CHARACTER", ColumnType::Text},
    TypeName{u"STRING", ColumnType::Text},
    TypeName{u"ALPHANUMERIC", ColumnType::Text},
    TypeName{u"NVARCHAR", ColumnType::Text},
    TypeName{u"NCHAR", ColumnType::Text},
    TypeName{u"MEMO", ColumnType::Memo},
    TypeName{u"LONGTEXT", ColumnType::Memo},
    TypeName{u"LONGCHAR", ColumnType::Memo},
    TypeName{u"NOTE", ColumnType::Memo},
    TypeName{u"NTEXT", ColumnType::Memo},
    TypeName{u"BINARY", ColumnType::Binary},
    TypeName{u"VARBINARY", ColumnType::Binary},
    TypeName{u"LONGBINARY", ColumnType::LongBinary},
    TypeName{u"GENERAL", ColumnType::LongBinary},
    TypeName{u"OLEOBJECT", ColumnType::LongBinary},
    TypeName{u"IMAGE", ColumnType::LongBinary},
    TypeName{u"COUNTER", ColumnType::Counter},
    TypeName{u"AUTOINCREMENT", ColumnType::Counter},
    TypeName{u"IDENTITY", ColumnType::Counter},
    TypeName{u"GUID", ColumnType::Guid},
    TypeName{u"UNIQUEIDENTIFIER", ColumnType::Guid},
    TypeName{u"VALUE", ColumnType::Value},
};

}  // namespace

std::optional<ColumnType> columnTypeFromName(QStringView name) {
    for (const TypeName& entry : kTypeNames)
        if (name.compare(QStringView(entry.name), Qt::CaseInsensitive) == 0) return entry.type;
    return std::nullopt;
}

QString columnTypeName(ColumnType type) {
    for (const TypeName& entry : kTypeNames)
        if (entry.type == type) return QString::fromUtf16(entry.name);
    return QStringLiteral("VALUE");
}

}  // namespace veranth::engine::sql
