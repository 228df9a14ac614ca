#pragma once

#include "engine/field_type.h"
#include "engine/isam/code_page.h"

#include <QString>

#include <optional>
#include <vector>

namespace veranth::engine::isam {

// How one text file holds a table, as its section of schema.ini describes it:
//   [clients.txt]
//   Format=CSVDelimited | TabDelimited | Delimited(;) | FixedLength
//   ColNameHeader=True
//   CharacterSet=ANSI | OEM | UTF-8 | 1252 | ...
//   Col1=ID Long
//   Col2="Last Name" Text Width 30
struct TextColumn {
    QString name;
    FieldType type = FieldType::Text;
    int width = 0;  // characters: the field's size for Text, the column's width in fixed-length files
};

struct TextLayoutDescription {
    bool fixedWidth = false;
    char delimiter = ',';
    bool header = true;
    std::optional<CodePage> codePage;  // none given: read from a byte order mark or the bytes
    std::vector<TextColumn> columns;   // none given: names from the header, types from the data
};

// The type named in a Col line ("Long", "Text", "DateTime", "Bit", ...); nullopt when unknown.
std::optional<FieldType> textTypeOfName(const QString& name);
QString textTypeName(FieldType type);

// The section of schema.ini in `folder` for `fileName` (matched without regard to case);
// nullopt when there is no schema.ini or no such section. 3343 naming schema.ini and the
// line for a section that cannot be read.
std::optional<TextLayoutDescription> readSchemaIni(const QString& folder, const QString& fileName);
// Writes (or replaces) the section for `fileName`, keeping every other section as it was.
void writeSchemaIni(const QString& folder, const QString& fileName, const TextLayoutDescription& layout);
void removeSchemaIniSection(const QString& folder, const QString& fileName);
// Moves a section to another file's name, replacing a section of that name.
void renameSchemaIniSection(const QString& folder, const QString& from, const QString& to);

}  // namespace veranth::engine::isam
