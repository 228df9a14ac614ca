#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <vector>

namespace veranth::engine::isam {

// One field descriptor of a DBF header, as stored. `offset` is where the field starts in a
// record (the deleted flag is byte 0).
struct DbfFieldDescriptor {
    QString name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    int offset = 0;
    std::uint8_t flags = 0;  // FoxPro 3.0: 0x01 system, 0x02 nullable, 0x04 binary

    bool isMemo() const;  // its bytes point into the memo file
    bool isSystem() const { return type == '0' || (flags & 0x01) != 0; }
};

namespace dbf_version {
inline constexpr std::uint8_t kPlain = 0x03;          // dBase III, IV, 5 and FoxPro without memo
inline constexpr std::uint8_t kDBase3Memo = 0x83;
inline constexpr std::uint8_t kDBase4Memo = 0x8B;
inline constexpr std::uint8_t kFoxPro2Memo = 0xF5;
inline constexpr std::uint8_t kFoxPro3 = 0x30;
}  // namespace dbf_version

// The fixed part of a DBF file: the 32-byte header, the field descriptors, the terminator
// and (FoxPro 3.0) the 263-byte back link.
struct DbfHeader {
    std::uint8_t version = dbf_version::kPlain;
    std::uint32_t recordCount = 0;
    int headerLength = 0;
    int recordLength = 1;
    std::uint8_t tableFlags = 0;
    std::uint8_t languageDriver = 0;
    std::vector<DbfFieldDescriptor> fields;

    bool isFoxPro3() const { return version >= 0x30 && version <= 0x32; }
    // Memo files of the FoxPro kind (.fpt) rather than the dBase kind (.dbt).
    bool usesFptMemo() const { return isFoxPro3() || version == dbf_version::kFoxPro2Memo || version == 0xFB; }
    bool isDBase3Memo() const { return version == dbf_version::kDBase3Memo; }
    bool hasMemoFields() const;
};

// Reads and checks the header at the start of `bytes` (the whole header, or all of a shorter
// file). Every fault found (cut short, counts beyond the file, a descriptor that makes no
// sense) is refused with 3343 naming `path` and the fault.
DbfHeader parseDbfHeader(const QByteArray& bytes, qint64 fileSize, const QString& path);
// Lays out offsets, header and record lengths from the fields, then the bytes to write.
QByteArray serializeDbfHeader(DbfHeader& header);

}  // namespace veranth::engine::isam
