#pragma once

#include <QString>
#include <QStringView>
#include <optional>

namespace veranth::engine::sql {

// The field types the dialect's DDL and PARAMETERS declarations can name.
enum class ColumnType {
    Boolean,
    Byte,
    Integer,  // 16-bit
    Long,     // 32-bit
    Currency,
    Single,
    Double,
    Decimal,
    DateTime,
    Text,
    Memo,
    Binary,
    LongBinary,
    Counter,  // a Long filled by the engine
    Guid,
    Value,    // PARAMETERS only: any type
};

// The type a type name stands for, without regard to case ("TEXT", "Short", "YesNo", "MONEY",
// "AutoIncrement", ...); nullopt for a name the dialect does not know.
std::optional<ColumnType> columnTypeFromName(QStringView name);

// The name the printer writes for a type.
QString columnTypeName(ColumnType type);

}  // namespace veranth::engine::sql
