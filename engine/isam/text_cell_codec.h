#pragma once

#include "engine/field_type.h"
#include "engine/value.h"

#include <QString>

#include <optional>

namespace veranth::engine::isam {

// A value of a text file's cell. Empty cells are Null (a quoted "" is an empty text or
// empty binary data);
// nullopt when the text is no value of the type.
std::optional<Value> textToValue(const QString& text, bool quoted, FieldType type);
// The same for the forms this driver writes (plain numbers, yyyy-mm-dd dates, True/False),
// read straight from the bytes; nullopt sends the cell to textToValue.
std::optional<Value> fastTextToValue(const char* text, qsizetype size, FieldType type);
// Appends the text of a non-text value (what valueToText gives) to `out` as bytes.
void appendValueText(QByteArray& out, const Value& value, FieldType type);
// The text a value is written as: numbers with a point and as many digits as bring them
// back exactly, dates as yyyy-mm-dd[ hh:mm:ss], Booleans True/False, binary data as hex.
QString valueToText(const Value& value, FieldType type);
// The type the texts of a column were written as, guessed from them all: Long, Double,
// Date or Boolean when every text is one, Text (or Memo past 255 characters) otherwise.
class TextTypeGuess {
public:
    void see(const QString& text);
    FieldType type() const;
    int textSize() const;
    bool sawValue() const { return any_; }

private:
    bool any_ = false;
    bool whole_ = true, number_ = true, date_ = true, boolean_ = true;
    int longest_ = 0;
};

}  // namespace veranth::engine::isam
