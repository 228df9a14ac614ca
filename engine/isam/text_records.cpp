#include "engine/isam/text_records.h"

#include "engine/isam/isam_errors.h"

namespace veranth::engine::isam {

namespace {

qsizetype skipLineEnd(const QByteArray& b, qsizetype pos) {
    if (pos < b.size() && b[pos] == '\r') ++pos;
    if (pos < b.size() && b[pos] == '\n') ++pos;
    return pos;
}

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

}  // namespace

bool DelimitedScanner::next(qsizetype& pos, std::vector<TextCell>& cells, const QString& path, qsizetype recordNumber) const {
    cells.clear();
    const qsizetype size = bytes_.size();
    while (pos < size && isLineEnd(bytes_[pos])) pos = skipLineEnd(bytes_, pos);
    if (pos >= size) return false;
    while (true) {
        TextCell cell;
        if (pos < size && bytes_[pos] == '"') {
            cell.quoted = true;
            const qsizetype open = pos++;
            cell.start = pos;
            while (true) {
                if (pos >= size)
                    throw malformedFile(path, QStringLiteral("record %1 has a quote at byte %2 that is never closed").arg(recordNumber).arg(open + 1));
                if (bytes_[pos] == '"') {
                    if (pos + 1 < size && bytes_[pos + 1] == '"') {
                        cell.escapedQuotes = true;
                        pos += 2;
                        continue;
                    }
                    break;
                }
                ++pos;
            }
            cell.length = pos - cell.start;
            ++pos;  // the closing quote
            if (pos < size && bytes_[pos] != delimiter_ && !isLineEnd(bytes_[pos]))
                throw malformedFile(path, QStringLiteral("record %1 has text after a closing quote at byte %2").arg(recordNumber).arg(pos + 1));
        } else {
            cell.start = pos;
            while (pos < size && bytes_[pos] != delimiter_ && !isLineEnd(bytes_[pos])) ++pos;
            cell.length = pos - cell.start;
        }
        cells.push_back(cell);
        if (pos < size && bytes_[pos] == delimiter_) {
            ++pos;
            continue;
        }
        pos = skipLineEnd(bytes_, pos);
        return true;
    }
}

QByteArray cellBytes(const QByteArray& bytes, const TextCell& cell) {
    QByteArray out = bytes.mid(cell.start, cell.length);
    if (cell.escapedQuotes) out.replace("\"\"", "\"");
    return out;
}

bool nextLine(const QByteArray& bytes, qsizetype& pos, qsizetype& start, qsizetype& end) {
    while (pos < bytes.size() && isLineEnd(bytes[pos])) pos = skipLineEnd(bytes, pos);
    if (pos >= bytes.size()) return false;
    start = pos;
    while (pos < bytes.size() && !isLineEnd(bytes[pos])) ++pos;
    end = pos;
    pos = skipLineEnd(bytes, pos);
    return true;
}

}  // namespace veranth::engine::isam
