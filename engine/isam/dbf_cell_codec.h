#pragma once

#include "engine/field_type.h"
#include "engine/isam/code_page.h"
#include "engine/isam/dbf_header.h"
#include "engine/isam/memo_file.h"
#include "engine/value.h"

#include <cstdint>

namespace veranth::engine::isam {

// What reading or writing one field of a record needs besides its bytes.
struct DbfCellContext {
    const QString& path;
    const CodePage& codePage;
    MemoFile* memo = nullptr;  // null when the table has no memo fields
};

// The value of one field from its bytes in a record, in the engine type `type`. Blank fields
// are Null; bytes that are no value of the field are refused (3421 naming file, field, record).
Value decodeDbfCell(const DbfFieldDescriptor& field, FieldType type, const char* bytes, std::int64_t record,
                    const DbfCellContext& context);
// Writes the value into the field's bytes (exactly field.length of them). A value the field
// cannot hold (too long, too many digits, a time in a date field, a character the code page
// lacks) is refused with 3163 or 3421 naming the file and field.
void encodeDbfCell(const DbfFieldDescriptor& field, FieldType type, const Value& value, char* out,
                   const DbfCellContext& context);

}  // namespace veranth::engine::isam
