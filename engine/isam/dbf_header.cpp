#include "engine/isam/dbf_header.h"

#include "engine/isam/isam_errors.h"

#include <QDate>
#include <QSet>

namespace veranth::engine::isam {

namespace {

constexpr int kFixedHeader = 32;
constexpr int kDescriptorSize = 32;
constexpr int kBackLinkSize = 263;
constexpr char kTerminator = 0x0D;

std::uint16_t readU16(const char* p) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}

std::uint32_t readU32(const char* p) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24);
}

void writeU16(char* p, std::uint32_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>((v >> 8) & 0xFF);
}

void writeU32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

bool knownVersion(std::uint8_t v) {
    switch (v) {
    case 0x02: case 0x03: case 0x30: case 0x31: case 0x32: case 0x43: case 0x63:
    case 0x83: case 0x8B: case 0x8E: case 0xCB: case 0xF5: case 0xFB:
        return true;
    default:
        return false;
    }
}

// The length a field of this type must have, or 0 when a range applies.
QString checkLength(const DbfFieldDescriptor& f, bool foxPro3) {
    auto fixed = [&](int expected) -> QString {
        return f.length == expected ? QString()
                                    : QStringLiteral("field '%1' of type %2 is %3 bytes long instead of %4")
                                          .arg(f.name, QChar::fromLatin1(f.type)).arg(f.length).arg(expected);
    };
    switch (f.type) {
    case 'C': return f.length >= 1 ? QString() : QStringLiteral("field '%1' has no length").arg(f.name);
    case 'N':
    case 'F':
        if (f.length < 1 || f.length > 32) return QStringLiteral("numeric field '%1' is %2 digits wide").arg(f.name).arg(f.length);
        if (f.decimals > 0 && f.decimals >= f.length)
            return QStringLiteral("numeric field '%1' has %2 decimals in a width of %3").arg(f.name).arg(f.decimals).arg(f.length);
        return QString();
    case 'L': return fixed(1);
    case 'D': return fixed(8);
    case 'M':
    case 'G':
    case 'P': return fixed(foxPro3 ? 4 : 10);
    case 'B': return fixed(foxPro3 ? 8 : 10);
    case 'I': return fixed(4);
    case 'Y':
    case 'T': return fixed(8);
    case '0': return QString();
    default:
        return QStringLiteral("field '%1' has the unknown type '%2'").arg(f.name, QChar::fromLatin1(f.type));
    }
}

}  // namespace

bool DbfFieldDescriptor::isMemo() const {
    return type == 'M' || type == 'G' || type == 'P' || (type == 'B' && length == 10);
}

bool DbfHeader::hasMemoFields() const {
    for (const auto& f : fields)
        if (f.isMemo()) return true;
    return false;
}

DbfHeader parseDbfHeader(const QByteArray& bytes, qint64 fileSize, const QString& path) {
    if (bytes.size() < kFixedHeader)
        throw malformedFile(path, QStringLiteral("the header is cut short (%1 of %2 bytes)").arg(bytes.size()).arg(kFixedHeader));
    const char* p = bytes.constData();
    DbfHeader h;
    h.version = static_cast<std::uint8_t>(p[0]);
    if (h.version == 0x04 || h.version == 0x8C)
        throw malformedFile(path, QStringLiteral("dBase 7 tables are not supported"));
    if (!knownVersion(h.version))
        throw malformedFile(path, QStringLiteral("it is not a dBase or FoxPro table (version byte 0x%1)")
                                      .arg(h.version, 2, 16, QLatin1Char('0')));
    h.recordCount = readU32(p + 4);
    h.headerLength = readU16(p + 8);
    h.recordLength = readU16(p + 10);
    h.tableFlags = static_cast<std::uint8_t>(p[28]);
    h.languageDriver = static_cast<std::uint8_t>(p[29]);
    if (h.headerLength < kFixedHeader + 1)
        throw malformedFile(path, QStringLiteral("the header length %1 is too small").arg(h.headerLength));
    if (h.headerLength > fileSize || h.headerLength > bytes.size())
        throw malformedFile(path, QStringLiteral("the header is cut short (%1 of %2 bytes)")
                                      .arg(std::min<qint64>(fileSize, bytes.size())).arg(h.headerLength));
    if (h.recordLength < 2) throw malformedFile(path, QStringLiteral("the record length %1 is too small").arg(h.recordLength));

    const int descriptorEnd = h.headerLength - (h.isFoxPro3() ? kBackLinkSize : 0);
    QSet<QString> seen;
    int offset = 1;
    int pos = kFixedHeader;
    for (; pos < descriptorEnd && p[pos] != kTerminator; pos += kDescriptorSize) {
        if (pos + kDescriptorSize > h.headerLength)
            throw malformedFile(path, QStringLiteral("field descriptor %1 is cut short").arg(h.fields.size() + 1));
        const char* d = p + pos;
        DbfFieldDescriptor f;
        int nameLength = 0;
        while (nameLength < 11 && d[nameLength] != '\0') ++nameLength;
        for (int i = 0; i < nameLength; ++i) {
            const auto c = static_cast<unsigned char>(d[i]);
            if (c < 0x20 || c == 0x7F)
                throw malformedFile(path, QStringLiteral("field descriptor %1 has a name with control characters").arg(h.fields.size() + 1));
        }
        f.name = QString::fromLatin1(d, nameLength).trimmed();
        if (f.name.isEmpty()) throw malformedFile(path, QStringLiteral("field descriptor %1 has no name").arg(h.fields.size() + 1));
        f.type = static_cast<char>(QChar::fromLatin1(d[11]).toUpper().toLatin1());
        f.length = static_cast<unsigned char>(d[16]);
        f.decimals = static_cast<unsigned char>(d[17]);
        f.flags = h.isFoxPro3() ? static_cast<std::uint8_t>(d[18]) : 0;
        if (f.type == 'C' && f.decimals > 0) {  // long character fields keep the high byte here
            f.length += f.decimals << 8;
            f.decimals = 0;
        }
        if (const QString fault = checkLength(f, h.isFoxPro3()); !fault.isEmpty()) throw malformedFile(path, fault);
        if (!f.isSystem() && seen.contains(f.name.toUpper()))
            throw malformedFile(path, QStringLiteral("the field '%1' is defined twice").arg(f.name));
        seen.insert(f.name.toUpper());
        f.offset = offset;
        offset += f.length;
        h.fields.push_back(f);
    }
    if (h.fields.empty()) throw malformedFile(path, QStringLiteral("it defines no fields"));
    if (offset != h.recordLength)
        throw malformedFile(path, QStringLiteral("the record length %1 does not match its fields (%2 bytes)").arg(h.recordLength).arg(offset));
    const qint64 needed = static_cast<qint64>(h.headerLength) + static_cast<qint64>(h.recordCount) * h.recordLength;
    if (needed > fileSize) {
        const qint64 held = (fileSize - h.headerLength) / h.recordLength;
        throw malformedFile(path, QStringLiteral("the header counts %1 records but the file holds only %2").arg(h.recordCount).arg(held));
    }
    return h;
}

QByteArray serializeDbfHeader(DbfHeader& h) {
    const bool foxPro3 = h.isFoxPro3();
    int offset = 1;
    for (auto& f : h.fields) {
        f.offset = offset;
        offset += f.length;
    }
    h.recordLength = offset;
    h.headerLength = kFixedHeader + kDescriptorSize * static_cast<int>(h.fields.size()) + 1 + (foxPro3 ? kBackLinkSize : 0);
    QByteArray out(h.headerLength, '\0');
    char* p = out.data();
    p[0] = static_cast<char>(h.version);
    const QDate today = QDate::currentDate();
    p[1] = static_cast<char>(today.year() - 1900);
    p[2] = static_cast<char>(today.month());
    p[3] = static_cast<char>(today.day());
    writeU32(p + 4, h.recordCount);
    writeU16(p + 8, static_cast<std::uint32_t>(h.headerLength));
    writeU16(p + 10, static_cast<std::uint32_t>(h.recordLength));
    p[28] = static_cast<char>(h.tableFlags);
    p[29] = static_cast<char>(h.languageDriver);
    int pos = kFixedHeader;
    for (const auto& f : h.fields) {
        char* d = p + pos;
        const QByteArray name = f.name.toLatin1().left(10);
        std::copy(name.begin(), name.end(), d);
        d[11] = f.type;
        if (foxPro3 || h.usesFptMemo()) writeU32(d + 12, static_cast<std::uint32_t>(f.offset));
        if (f.type == 'C' && f.length > 255) {
            d[16] = static_cast<char>(f.length & 0xFF);
            d[17] = static_cast<char>(f.length >> 8);
        } else {
            d[16] = static_cast<char>(f.length);
            d[17] = static_cast<char>(f.decimals);
        }
        if (foxPro3) d[18] = static_cast<char>(f.flags);
        pos += kDescriptorSize;
    }
    p[pos] = kTerminator;
    return out;
}

}  // namespace veranth::engine::isam
