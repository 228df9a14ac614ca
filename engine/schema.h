#pragma once

#include "engine/field_type.h"

#include <QString>
#include <QStringList>

#include <vector>

// Plain descriptions of tables, fields, indexes and stored queries, as the catalog of a
// database holds them. The design objects (TableDef, Field, Index, QueryDef) wrap these.
namespace veranth::engine {

namespace table_attr {
inline constexpr int kSystem = static_cast<int>(0x80000002u);  // system object, hidden
inline constexpr int kHidden = 0x00000001;
inline constexpr int kAttached = 0x40000000;       // attached native or ISAM table
inline constexpr int kAttachedOdbc = 0x20000000;   // attached ODBC table
}  // namespace table_attr

struct FieldInfo {
    QString name;
    FieldType type = FieldType::Text;
    int size = 50;
    int attributes = field_attr::kVariable;
    bool required = false;
    bool allowZeroLength = false;
    QString defaultValue;
    QString validationRule;
    QString validationText;
    int ordinalPosition = 0;
    QString sourceTable;
    QString sourceField;

    bool isAutoIncrement() const { return (attributes & field_attr::kAutoIncrement) != 0; }
};

struct IndexKey {
    QString field;
    bool descending = false;
};

struct IndexInfo {
    QString name;
    std::vector<IndexKey> keys;
    bool primary = false;
    bool unique = false;
    bool ignoreNulls = false;
    bool required = false;
    bool foreign = false;
    QString storageName;  // the name of the SQLite index behind it

    // "A;B" with "-" before a descending field; the same text is accepted back.
    QString fieldsText() const;
    // Reads "A;B", "+A;-B" or "[A];[B]"; 3075 for an empty list.
    static std::vector<IndexKey> parseFields(const QString& text);
};

struct TableInfo {
    QString name;
    int attributes = 0;
    QString connect;
    QString sourceTableName;
    QString validationRule;
    QString validationText;
    double dateCreated = 0;
    double lastUpdated = 0;
    std::vector<FieldInfo> fields;  // in OrdinalPosition order
    std::vector<IndexInfo> indexes;

    bool isSystem() const { return (attributes & static_cast<int>(0x80000000u)) != 0; }
    bool isAttached() const { return (attributes & (table_attr::kAttached | table_attr::kAttachedOdbc)) != 0; }
    const FieldInfo* field(const QString& name) const;
    const IndexInfo* primaryIndex() const;
};

// Query type codes as stored and listed.
namespace query_type {
inline constexpr int kSelect = 0;
inline constexpr int kCrossTab = 16;
inline constexpr int kDelete = 32;
inline constexpr int kUpdate = 48;
inline constexpr int kAppend = 64;
inline constexpr int kMakeTable = 80;
inline constexpr int kDdl = 96;
inline constexpr int kPassThrough = 112;
inline constexpr int kSetOperation = 128;
}  // namespace query_type

struct ParameterInfo {
    QString name;
    FieldType type = FieldType::Text;
    bool declared = true;  // false: a name that is no field, bound as the value given
};

struct QueryInfo {
    QString name;
    QString sql;
    QString connect;
    bool returnsRecords = true;
    double dateCreated = 0;
    double lastUpdated = 0;
};

// The type a stored query has by its text (and Connect, for pass-through queries).
int queryTypeOf(const QString& sql, const QString& connect);
// Parameters declared by a leading "PARAMETERS name type, ...;" in declaration order.
std::vector<ParameterInfo> declaredParameters(const QString& sql);
// "Query type name" as the listings show it ("Select", "Delete", ...).
QString queryTypeName(int type);

}  // namespace veranth::engine
