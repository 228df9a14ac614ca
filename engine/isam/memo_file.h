#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdint>
#include <memory>

namespace veranth::engine::isam {

// The memo file beside a DBF table, holding the values of its memo fields in blocks. A DBF
// record stores the number of the first block of each value.
class MemoFile {
public:
    enum class Kind {
        DBase3,  // .dbt, 512-byte blocks, text ended by 0x1A 0x1A
        DBase4,  // .dbt, blocks with a length header, any bytes
        FoxPro,  // .fpt, big-endian block headers with a type (text, picture, object)
    };
    struct Entry {
        QByteArray data;
        bool isText = true;
    };

    // Writes an empty memo file (FoxPro blocks of 64 bytes, dBase blocks of 512).
    static void create(const QString& path, Kind kind);
    // 3343 when the file is missing, cut short or not of its kind.
    static std::unique_ptr<MemoFile> open(const QString& path, Kind kind, bool readOnly);

    const QString& path() const { return path_; }
    // 3343 (naming the file and the block) for a block outside the file or a damaged one.
    Entry read(std::uint32_t block);
    // The value goes after the last block in use (blocks of replaced values are left, as the
    // format's own tools do until the table is packed); returns its first block.
    std::uint32_t write(const QByteArray& data, bool isText);

private:
    MemoFile(QString path, Kind kind) : path_(std::move(path)), kind_(kind) {}
    void readHeader();
    void writeNextFree();

    QString path_;
    Kind kind_;
    QFile file_;
    std::uint32_t blockSize_ = 512;
    std::uint32_t nextFree_ = 1;
};

}  // namespace veranth::engine::isam
