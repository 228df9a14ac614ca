#include "engine/isam/sheet_cells.h"
#include "engine/isam/sheet_writing.h"

#include "engine/errors.h"

#include <QFileInfo>
#include <QHash>

#include <cstring>

// Excel 97-2003 workbooks: the BIFF8 record stream of the globals and one substream per
// sheet, put in a compound document (the FAT-based container those files use).
namespace veranth::engine::isam {

namespace {

constexpr int kLargestRecord = 8224;
constexpr std::uint32_t kEndOfChain = 0xFFFFFFFE;
constexpr std::uint32_t kFreeSector = 0xFFFFFFFF;
constexpr std::uint32_t kFatSector = 0xFFFFFFFD;
constexpr std::uint32_t kDifatSector = 0xFFFFFFFC;
constexpr std::uint32_t kNoStream = 0xFFFFFFFF;
constexpr int kSector = 512;

// Cell formats (XF indexes): 15 style records come first.
constexpr std::uint16_t kXfGeneral = 15, kXfWhole = 16, kXfMoney = 17, kXfStamp = 18;
constexpr std::uint16_t kFormatStamp = 164, kFormatMoney = 165;

void put8(QByteArray& b, unsigned v) { b.append(static_cast<char>(v & 0xFF)); }
void put16(QByteArray& b, unsigned v) {
    put8(b, v);
    put8(b, v >> 8);
}
void put32(QByteArray& b, std::uint32_t v) {
    put16(b, v & 0xFFFF);
    put16(b, v >> 16);
}
void putDouble(QByteArray& b, double d) {
    std::uint64_t bits;
    std::memcpy(&bits, &d, sizeof bits);
    put32(b, static_cast<std::uint32_t>(bits));
    put32(b, static_cast<std::uint32_t>(bits >> 32));
}
void set32(QByteArray& b, qsizetype at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool needsWideChars(const QString& s) {
    for (QChar c : s)
        if (c.unicode() > 0xFF) return true;
    return false;
}
void putChars(QByteArray& b, const QString& s, qsizetype from, qsizetype count, bool wide) {
    for (qsizetype i = from; i < from + count; ++i) {
        if (wide) put16(b, s[i].unicode());
        else put8(b, s[i].unicode());
    }
}
// A string with a 16-bit length (FORMAT) or an 8-bit one (BOUNDSHEET, FONT).
void putUnicode(QByteArray& b, const QString& s, bool shortLength) {
    const bool wide = needsWideChars(s);
    if (shortLength) put8(b, static_cast<unsigned>(s.size()));
    else put16(b, static_cast<unsigned>(s.size()));
    put8(b, wide ? 1 : 0);
    putChars(b, s, 0, s.size(), wide);
}

void record(QByteArray& stream, std::uint16_t type, const QByteArray& data) {
    put16(stream, type);
    put16(stream, static_cast<unsigned>(data.size()));
    stream.append(data);
}

QByteArray bof(std::uint16_t kind) {
    QByteArray d;
    put16(d, 0x0600);
    put16(d, kind);
    put16(d, 0x0DBB);  // build
    put16(d, 0x07CC);  // year
    put32(d, 0);
    put32(d, 0x00000006);
    return d;
}

QByteArray xf(std::uint16_t format, bool style) {
    QByteArray d;
    put16(d, 0);                        // font
    put16(d, format);
    put16(d, style ? 0xFFF5 : 0x0001);  // locked; a style record has no parent
    put8(d, 0x20);                      // aligned to the bottom
    put8(d, 0);
    put8(d, 0);
    put8(d, style ? 0 : (format ? 0x04 : 0));  // a cell format says it has its own number format
    put32(d, 0);
    put32(d, 0);
    put16(d, 0x20C0);
    return d;
}

struct SharedStrings {
    QHash<QString, std::uint32_t> index;
    QStringList strings;
    std::uint32_t uses = 0;
    std::uint32_t of(const QString& s) {
        ++uses;
        auto it = index.find(s);
        if (it != index.end()) return *it;
        const auto n = static_cast<std::uint32_t>(strings.size());
        index.insert(s, n);
        strings << s;
        return n;
    }
};

// The shared-string table, split into CONTINUE records where it is too long for one record,
// with the EXTSST index of where each bucket of strings begins. `at` is the stream offset
// of the first record.
void writeSharedStrings(QByteArray& stream, const SharedStrings& sst) {
    const qsizetype at = stream.size();
    std::vector<QByteArray> records(1);
    put32(records[0], sst.uses);
    put32(records[0], static_cast<std::uint32_t>(sst.strings.size()));
    const int perBucket = std::max<int>(8, static_cast<int>((sst.strings.size() + 127) / 128));
    QByteArray ext;
    put16(ext, static_cast<unsigned>(perBucket));
    auto startRecord = [&] { records.emplace_back(); };
    auto position = [&] {
        qsizetype before = at;
        for (size_t i = 0; i + 1 < records.size(); ++i) before += 4 + records[i].size();
        return std::pair<qsizetype, qsizetype>(before + 4 + records.back().size(), 4 + records.back().size());
    };
    for (qsizetype n = 0; n < sst.strings.size(); ++n) {
        const QString& s = sst.strings[n];
        const bool wide = needsWideChars(s);
        const int width = wide ? 2 : 1;
        // A string that does not fit where the record ends begins a record of its own, so that
        // no string is spread over more than two records.
        if (records.back().size() + 3 + s.size() * width > kLargestRecord && records.back().size() > (records.size() == 1 ? 8 : 0))
            startRecord();
        if (n % perBucket == 0) {
            const auto [absolute, inRecord] = position();
            put32(ext, static_cast<std::uint32_t>(absolute));
            put16(ext, static_cast<unsigned>(inRecord));
            put16(ext, 0);
        }
        put16(records.back(), static_cast<unsigned>(s.size()));
        put8(records.back(), wide ? 1 : 0);
        qsizetype done = 0;
        while (done < s.size()) {
            qsizetype room = (kLargestRecord - records.back().size()) / width;
            if (room == 0) {
                startRecord();
                put8(records.back(), wide ? 1 : 0);  // a continued string repeats its flags
                room = (kLargestRecord - 1) / width;
            }
            const qsizetype count = std::min(room, s.size() - done);
            putChars(records.back(), s, done, count, wide);
            done += count;
        }
    }
    for (size_t i = 0; i < records.size(); ++i) record(stream, i == 0 ? 0x00FC : 0x003C, records[i]);
    record(stream, 0x00FF, ext);
}

QByteArray sheetStream(const QString& path, const SheetToWrite& sheet, SharedStrings& sst, bool first) {
    const SheetLimits& limits = xlsLimits();
    if (static_cast<qsizetype>(sheet.rows.size()) + 1 > limits.rows)
        throw EngineError(err::kNotSupported, QStringLiteral("'%1' cannot hold %2 rows in the sheet '%3': a %4 sheet has %5 rows.")
                                                  .arg(QFileInfo(path).fileName())
                                                  .arg(sheet.rows.size())
                                                  .arg(sheet.name, limits.format)
                                                  .arg(limits.rows));
    QByteArray s;
    record(s, 0x0809, bof(0x0010));
    QByteArray dim;
    put32(dim, 0);
    put32(dim, static_cast<std::uint32_t>(sheet.rows.size() + 1));
    put16(dim, 0);
    put16(dim, static_cast<unsigned>(sheet.fields.size()));
    put16(dim, 0);
    record(s, 0x0200, dim);
    auto text = [&](unsigned row, unsigned column, const QString& value) {
        QByteArray d;
        put16(d, row);
        put16(d, column);
        put16(d, kXfGeneral);
        put32(d, sst.of(value));
        record(s, 0x00FD, d);
    };
    for (size_t c = 0; c < sheet.fields.size(); ++c) text(0, static_cast<unsigned>(c), sheet.fields[c].name);
    for (size_t r = 0; r < sheet.rows.size(); ++r) {
        const auto& row = *sheet.rows[r];
        const auto rowNumber = static_cast<unsigned>(r + 1);
        for (size_t c = 0; c < sheet.fields.size(); ++c) {
            const SheetCell cell = sheetCellFor(path, sheet.fields[c], c < row.size() ? row[c] : Value::null(), limits);
            QByteArray d;
            put16(d, rowNumber);
            put16(d, static_cast<unsigned>(c));
            switch (cell.kind) {
            case SheetCell::Kind::Empty: continue;
            case SheetCell::Kind::Text: text(rowNumber, static_cast<unsigned>(c), cell.text); continue;
            case SheetCell::Kind::Boolean:
                put16(d, kXfGeneral);
                put8(d, cell.flag ? 1 : 0);
                put8(d, 0);
                record(s, 0x0205, d);
                continue;
            case SheetCell::Kind::Number: {
                const std::uint16_t format = cell.style == SheetStyle::Whole   ? kXfWhole
                                             : cell.style == SheetStyle::Money ? kXfMoney
                                             : cell.style == SheetStyle::Stamp ? kXfStamp
                                                                               : kXfGeneral;
                put16(d, format);
                putDouble(d, cell.number);
                record(s, 0x0203, d);
                continue;
            }
            }
        }
    }
    QByteArray window;
    put16(window, first ? 0x06B6 : 0x00B6);
    put16(window, 0);
    put16(window, 0);
    put32(window, 0x40);
    put16(window, 0);
    put16(window, 0);
    put32(window, 0);
    record(s, 0x023E, window);
    record(s, 0x000A, QByteArray());
    return s;
}

QByteArray globalsStream(const std::vector<SheetToWrite>& sheets, const std::vector<QByteArray>& sheetStreams, SharedStrings& sst) {
    QByteArray g;
    record(g, 0x0809, bof(0x0005));
    QByteArray d;
    put16(d, 0x04B0);  // text in UTF-16
    record(g, 0x0042, d);
    d.clear();
    for (unsigned v : {0u, 0u, 0x4000u, 0x2000u, 0x0038u, 0u, 0u, 1u, 600u}) put16(d, v);
    record(g, 0x003D, d);
    d.clear();
    put16(d, 0);  // dates counted from 1900
    record(g, 0x0022, d);
    for (int i = 0; i < 4; ++i) {
        d.clear();
        for (unsigned v : {200u, 0u, 0x7FFFu, 400u, 0u}) put16(d, v);
        put32(d, 0);
        putUnicode(d, QStringLiteral("Arial"), true);
        record(g, 0x0031, d);
    }
    for (const auto& [id, code] : {std::pair<unsigned, const char*>{kFormatStamp, "yyyy-mm-dd hh:mm:ss"}, {kFormatMoney, "#,##0.00##"}}) {
        d.clear();
        put16(d, id);
        putUnicode(d, QString::fromLatin1(code), false);
        record(g, 0x041E, d);
    }
    for (int i = 0; i < 15; ++i) record(g, 0x00E0, xf(0, true));
    record(g, 0x00E0, xf(0, false));
    record(g, 0x00E0, xf(1, false));
    record(g, 0x00E0, xf(kFormatMoney, false));
    record(g, 0x00E0, xf(kFormatStamp, false));
    d.clear();
    put16(d, 0x8000);
    put8(d, 0);
    put8(d, 0xFF);
    record(g, 0x0293, d);
    std::vector<qsizetype> offsets;
    for (const auto& sheet : sheets) {
        d.clear();
        put32(d, 0);
        put8(d, 0);
        put8(d, 0);
        putUnicode(d, sheet.name, true);
        offsets.push_back(g.size() + 4);
        record(g, 0x0085, d);
    }
    writeSharedStrings(g, sst);
    record(g, 0x000A, QByteArray());
    auto at = static_cast<std::uint32_t>(g.size());
    for (size_t i = 0; i < sheets.size(); ++i) {
        set32(g, offsets[i], at);
        at += static_cast<std::uint32_t>(sheetStreams[i].size());
    }
    return g;
}

QByteArray directoryEntry(const QString& name, int type, std::uint32_t child, std::uint32_t start, std::uint32_t size) {
    QByteArray e;
    for (QChar c : name) put16(e, c.unicode());
    e.append(QByteArray(64 - e.size(), '\0'));
    put16(e, name.isEmpty() ? 0 : static_cast<unsigned>((name.size() + 1) * 2));
    put8(e, static_cast<unsigned>(type));
    put8(e, type == 0 ? 0 : 1);
    put32(e, kNoStream);
    put32(e, kNoStream);
    put32(e, child);
    e.append(QByteArray(16 + 4 + 16, '\0'));
    put32(e, start);
    put32(e, size);
    put32(e, 0);
    return e;
}

// The container: the stream's sectors, one directory sector, the FAT and, for large
// streams, the DIFAT sectors that list the FAT sectors past the header's 109.
QByteArray compoundDocument(QByteArray stream) {
    // Streams under 4096 bytes would belong in the mini stream; padding keeps one layout.
    if (stream.size() < 4096) stream.append(QByteArray(4096 - stream.size(), '\0'));
    const auto streamSize = static_cast<std::uint32_t>(stream.size());
    if (stream.size() % kSector) stream.append(QByteArray(kSector - stream.size() % kSector, '\0'));
    const std::uint32_t n = static_cast<std::uint32_t>(stream.size() / kSector);
    std::uint32_t fat = 1, difat = 0;
    for (;;) {
        difat = fat > 109 ? (fat - 109 + 126) / 127 : 0;
        if (fat * 128 >= n + 1 + fat + difat) break;
        ++fat;
    }
    const std::uint32_t directory = n, firstFat = n + 1, firstDifat = n + 1 + fat;
    std::vector<std::uint32_t> table(static_cast<size_t>(fat) * 128, kFreeSector);
    for (std::uint32_t i = 0; i < n; ++i) table[i] = i + 1 < n ? i + 1 : kEndOfChain;
    table[directory] = kEndOfChain;
    for (std::uint32_t i = 0; i < fat; ++i) table[firstFat + i] = kFatSector;
    for (std::uint32_t i = 0; i < difat; ++i) table[firstDifat + i] = kDifatSector;

    QByteArray out;
    out.append("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1", 8);
    out.append(QByteArray(16, '\0'));
    for (unsigned v : {0x003Eu, 0x0003u, 0xFFFEu, 0x0009u, 0x0006u}) put16(out, v);
    out.append(QByteArray(6, '\0'));
    put32(out, 0);
    put32(out, fat);
    put32(out, directory);
    put32(out, 0);
    put32(out, 0x1000);
    put32(out, kEndOfChain);
    put32(out, 0);
    put32(out, difat ? firstDifat : kEndOfChain);
    put32(out, difat);
    for (std::uint32_t i = 0; i < 109; ++i) put32(out, i < fat ? firstFat + i : kFreeSector);
    out.append(stream);
    QByteArray dir = directoryEntry(QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    dir.append(directoryEntry(QStringLiteral("Workbook"), 2, kNoStream, 0, streamSize));
    dir.append(directoryEntry(QString(), 0, kNoStream, 0, 0));
    dir.append(directoryEntry(QString(), 0, kNoStream, 0, 0));
    out.append(dir);
    for (std::uint32_t v : table) put32(out, v);
    for (std::uint32_t i = 0; i < difat; ++i) {
        for (std::uint32_t k = 0; k < 127; ++k) {
            const std::uint32_t listed = 109 + i * 127 + k;
            put32(out, listed < fat ? firstFat + listed : kFreeSector);
        }
        put32(out, i + 1 < difat ? firstDifat + i + 1 : kEndOfChain);
    }
    return out;
}

}  // namespace

QByteArray xlsWorkbookBytes(const QString& path, const std::vector<SheetToWrite>& sheets) {
    SharedStrings sst;
    std::vector<QByteArray> streams;
    for (size_t i = 0; i < sheets.size(); ++i) {
        TableInfo design;
        design.name = sheets[i].name;
        design.fields = sheets[i].fields;
        requireSheetDesign(path, design, xlsLimits());
        streams.push_back(sheetStream(path, sheets[i], sst, i == 0));
    }
    QByteArray stream = globalsStream(sheets, streams, sst);
    for (const auto& s : streams) stream.append(s);
    return compoundDocument(std::move(stream));
}

}  // namespace veranth::engine::isam
