#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace veranth::engine::isam {

// One field of a delimited record as it lies in the bytes of the file.
struct TextCell {
    qsizetype start = 0;
    qsizetype length = 0;
    bool quoted = false;
    bool escapedQuotes = false;  // holds "" standing for one quote
};

// Splits delimited text into records: fields separated by the delimiter, quoted fields may
// hold the delimiter, doubled quotes and line breaks; records end at CR, LF or CR LF. Works on
// the bytes, which is safe for UTF-8 and single-byte code pages alike (no byte of a
// multi-byte character equals a delimiter, a quote or a line end).
class DelimitedScanner {
public:
    DelimitedScanner(const QByteArray& bytes, char delimiter) : bytes_(bytes), delimiter_(delimiter) {}

    // Reads the record at `pos` into `cells` and moves `pos` past its line end; false at the
    // end of the text. Empty lines are no records. 3343 (naming `path`) for a quote never closed
    // or text after a closing quote.
    bool next(qsizetype& pos, std::vector<TextCell>& cells, const QString& path, qsizetype recordNumber) const;

private:
    const QByteArray& bytes_;
    char delimiter_;
};

// The text of a cell with its quotes undone.
QByteArray cellBytes(const QByteArray& bytes, const TextCell& cell);

// Lines of a fixed-length file: [start, end) of each non-empty line, from `pos`.
bool nextLine(const QByteArray& bytes, qsizetype& pos, qsizetype& start, qsizetype& end);

}  // namespace veranth::engine::isam
