#include "engine/isam/memo_file.h"

#include "engine/isam/isam_errors.h"

namespace veranth::engine::isam {

namespace {

constexpr int kHeaderSize = 512;
constexpr std::uint32_t kFoxProBlock = 64;
constexpr std::uint32_t kDBaseBlock = 512;
// A value the format cannot describe is refused before it is written.
constexpr qint64 kLargestValue = 0x7FFFFFF0;

std::uint32_t beU32(const char* p) {
    return (static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) << 24) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 8) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(p[3]));
}
std::uint32_t leU32(const char* p) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(p[0])) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[1])) << 8) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[2])) << 16) |
           (static_cast<std::uint32_t>(static_cast<unsigned char>(p[3])) << 24);
}
void putBe32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (24 - 8 * i)) & 0xFF);
}
void putLe32(char* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

}  // namespace

void MemoFile::create(const QString& path, Kind kind) {
    QByteArray header(kHeaderSize, '\0');
    if (kind == Kind::FoxPro) {
        putBe32(header.data(), kHeaderSize / kFoxProBlock);
        header[6] = static_cast<char>(kFoxProBlock >> 8);
        header[7] = static_cast<char>(kFoxProBlock & 0xFF);
    } else {
        putLe32(header.data(), 1);
        if (kind == Kind::DBase4) {
            header[20] = static_cast<char>(kDBaseBlock & 0xFF);
            header[21] = static_cast<char>(kDBaseBlock >> 8);
        } else {
            header[16] = 0x03;
        }
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(header) != header.size())
        throw writeFailed(path, f.errorString());
}

std::unique_ptr<MemoFile> MemoFile::open(const QString& path, Kind kind, bool readOnly) {
    std::unique_ptr<MemoFile> memo(new MemoFile(path, kind));
    memo->file_.setFileName(path);
    if (!memo->file_.open(readOnly ? QIODevice::ReadOnly : QIODevice::ReadWrite))
        throw malformedFile(path, QStringLiteral("the memo file cannot be opened (%1)").arg(memo->file_.errorString()));
    memo->readHeader();
    return memo;
}

void MemoFile::readHeader() {
    const QByteArray header = file_.read(kHeaderSize);
    if (header.size() < 8) throw malformedFile(path_, QStringLiteral("the memo header is cut short"));
    if (kind_ == Kind::FoxPro) {
        nextFree_ = beU32(header.constData());
        blockSize_ = (static_cast<std::uint32_t>(static_cast<unsigned char>(header[6])) << 8) |
                     static_cast<unsigned char>(header[7]);
    } else {
        nextFree_ = leU32(header.constData());
        blockSize_ = kDBaseBlock;
        if (kind_ == Kind::DBase4 && header.size() >= 22) {
            const std::uint32_t given = static_cast<unsigned char>(header[20]) | (static_cast<unsigned char>(header[21]) << 8);
            if (given != 0) blockSize_ = given;
        }
    }
    if (blockSize_ == 0) throw malformedFile(path_, QStringLiteral("the memo file gives a block size of 0"));
    // The next free block is only a hint some writers leave stale: never write over data.
    const auto blocksInFile = static_cast<std::uint32_t>((file_.size() + blockSize_ - 1) / blockSize_);
    const std::uint32_t firstData = (kHeaderSize + blockSize_ - 1) / blockSize_;
    nextFree_ = std::max({nextFree_, blocksInFile, firstData});
}

MemoFile::Entry MemoFile::read(std::uint32_t block) {
    const qint64 start = static_cast<qint64>(block) * blockSize_;
    const qint64 size = file_.size();
    auto damaged = [&](const QString& fault) {
        return malformedFile(path_, QStringLiteral("memo block %1 %2").arg(block).arg(fault));
    };
    if (start < kHeaderSize || start >= size) throw damaged(QStringLiteral("lies outside the memo file"));
    file_.seek(start);
    Entry entry;
    if (kind_ == Kind::DBase3) {
        // Text up to the end marker; read in blocks, as values may span many.
        QByteArray data;
        while (true) {
            const QByteArray chunk = file_.read(64 * 1024);
            if (chunk.isEmpty()) throw damaged(QStringLiteral("has no end marker"));
            const qsizetype searchFrom = std::max<qsizetype>(0, data.size() - 1);
            data += chunk;
            const qsizetype end = data.indexOf('\x1A', searchFrom);
            if (end >= 0) {
                data.truncate(end);
                break;
            }
        }
        entry.data = data;
        return entry;
    }
    const QByteArray head = file_.read(8);
    if (head.size() < 8) throw damaged(QStringLiteral("is cut short"));
    qint64 length = 0;
    if (kind_ == Kind::FoxPro) {
        entry.isText = beU32(head.constData()) == 1;
        length = beU32(head.constData() + 4);
    } else {
        if (static_cast<unsigned char>(head[0]) != 0xFF || static_cast<unsigned char>(head[1]) != 0xFF ||
            head[2] != 0x08 || head[3] != 0x00)
            throw damaged(QStringLiteral("does not start a memo value"));
        length = static_cast<qint64>(leU32(head.constData() + 4)) - 8;
        if (length < 0) throw damaged(QStringLiteral("gives a negative length"));
    }
    if (start + 8 + length > size) throw damaged(QStringLiteral("claims %1 bytes beyond the end of the memo file").arg(start + 8 + length - size));
    entry.data = file_.read(length);
    if (entry.data.size() != length) throw damaged(QStringLiteral("is cut short"));
    return entry;
}

std::uint32_t MemoFile::write(const QByteArray& data, bool isText) {
    if (data.size() > kLargestValue) throw valueDoesNotFit(path_, QString(), QStringLiteral("a memo value larger than 2 GB"));
    QByteArray block;
    if (kind_ == Kind::DBase3) {
        if (data.contains('\x1A') || !isText)
            throw EngineError::withDescription(
                err::kConversionError,
                QStringLiteral("A dBase III memo in '%1' holds text only; the value has bytes that would end it early.").arg(path_));
        block = data + QByteArray("\x1A\x1A", 2);
    } else {
        block.resize(8);
        if (kind_ == Kind::FoxPro) {
            putBe32(block.data(), isText ? 1 : 0);
            putBe32(block.data() + 4, static_cast<std::uint32_t>(data.size()));
        } else {
            block[0] = '\xFF';
            block[1] = '\xFF';
            block[2] = 0x08;
            block[3] = 0x00;
            putLe32(block.data() + 4, static_cast<std::uint32_t>(data.size() + 8));
        }
        block += data;
    }
    const qint64 padded = (block.size() + blockSize_ - 1) / blockSize_ * blockSize_;
    block.append(QByteArray(padded - block.size(), '\0'));
    const std::uint32_t first = nextFree_;
    if (!file_.seek(static_cast<qint64>(first) * blockSize_) || file_.write(block) != block.size())
        throw writeFailed(path_, file_.errorString());
    nextFree_ = first + static_cast<std::uint32_t>(padded / blockSize_);
    writeNextFree();
    return first;
}

void MemoFile::writeNextFree() {
    char bytes[4];
    if (kind_ == Kind::FoxPro) putBe32(bytes, nextFree_);
    else putLe32(bytes, nextFree_);
    if (!file_.seek(0) || file_.write(bytes, 4) != 4) throw writeFailed(path_, file_.errorString());
}

}  // namespace veranth::engine::isam
