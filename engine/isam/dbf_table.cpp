#include "engine/isam/dbf_table.h"

#include "engine/isam/dbf_cell_codec.h"
#include "engine/isam/dbf_language_driver.h"
#include "engine/isam/dbf_type_map.h"
#include "engine/isam/folder_files.h"
#include "engine/isam/isam_errors.h"

#include <QDate>
#include <QFileInfo>

#include <cstring>

namespace veranth::engine::isam {

namespace {

constexpr char kEndOfFile = 0x1A;
constexpr char kLive = ' ';
constexpr char kDeleted = '*';
constexpr qint64 kReadBlockBytes = 256 * 1024;
constexpr qint64 kPendingBytes = 1024 * 1024;
constexpr int kLargestHeader = 65535;
const QString kNullFlagsName = QStringLiteral("_NullFlags");

std::uint8_t versionFor(DbfFlavour flavour, bool hasMemo) {
    switch (flavour) {
    case DbfFlavour::DBase3: return hasMemo ? dbf_version::kDBase3Memo : dbf_version::kPlain;
    case DbfFlavour::DBase4:
    case DbfFlavour::DBase5: return hasMemo ? dbf_version::kDBase4Memo : dbf_version::kPlain;
    case DbfFlavour::FoxPro2: return hasMemo ? dbf_version::kFoxPro2Memo : dbf_version::kPlain;
    case DbfFlavour::FoxPro3: return dbf_version::kFoxPro3;
    }
    return dbf_version::kPlain;
}

MemoFile::Kind memoKindOf(const DbfHeader& h) {
    if (h.usesFptMemo()) return MemoFile::Kind::FoxPro;
    return h.isDBase3Memo() ? MemoFile::Kind::DBase3 : MemoFile::Kind::DBase4;
}

CodePage codePageOf(const DbfHeader& header, const QString& path) {
    if (auto page = codePageOfLanguageDriver(header.languageDriver)) return *page;
    const QString cpg = findSibling(path, QStringLiteral("cpg"));
    if (!cpg.isEmpty()) {
        QFile f(cpg);
        if (f.open(QIODevice::ReadOnly)) {
            const QString name = QString::fromLatin1(f.read(64)).trimmed();
            if (auto page = CodePage::byName(name)) return *page;
            throw malformedFile(cpg, QStringLiteral("the code page '%1' is not one this engine knows").arg(name));
        }
    }
    return CodePage::windows1252();
}

const FieldInfo* recordedField(const TableInfo& recorded, const QString& name) {
    for (const auto& f : recorded.fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0) return &f;
    return nullptr;
}

}  // namespace

void DbfTable::create(const QString& path, DbfFlavour flavour, const TableInfo& design, const CodePage& codePage) {
    DbfHeader header;
    for (const auto& f : design.fields) {
        DbfFieldDescriptor d = dbfFieldFor(f, flavour, path);
        if (hasBinaryFields(flavour)) d.flags |= 0x02;  // every field may be Null
        header.fields.push_back(d);
    }
    if (hasBinaryFields(flavour)) {
        DbfFieldDescriptor nulls;
        nulls.name = kNullFlagsName;
        nulls.type = '0';
        nulls.length = static_cast<int>((design.fields.size() + 7) / 8);
        nulls.flags = 0x05;
        header.fields.push_back(nulls);
    }
    const bool hasMemo = header.hasMemoFields();
    header.version = versionFor(flavour, hasMemo);
    if (hasBinaryFields(flavour) && hasMemo) header.tableFlags |= 0x02;
    header.languageDriver = languageDriverOf(codePage, isFoxPro(flavour));
    QByteArray bytes = serializeDbfHeader(header);
    if (bytes.size() > kLargestHeader)
        throw EngineError(err::kNotSupported, QStringLiteral("'%1' would have more fields than a DBF header holds.").arg(path));
    if (header.recordLength > 65535)
        throw EngineError(err::kNotSupported, QStringLiteral("The records of '%1' would be longer than 65535 bytes.").arg(path));
    bytes.append(kEndOfFile);
    if (hasMemo) MemoFile::create(withExtension(path, memoExtension(flavour)), memoKindOf(header));
    if (header.languageDriver == 0) {
        QFile cpg(withExtension(path, QStringLiteral("cpg")));
        if (!cpg.open(QIODevice::WriteOnly | QIODevice::Truncate) || cpg.write(codePage.name().toLatin1()) < 0)
            throw writeFailed(cpg.fileName(), cpg.errorString());
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        throw writeFailed(path, f.errorString());
}

std::shared_ptr<DbfTable> DbfTable::open(const QString& path, bool readOnly, const TableInfo& recorded) {
    std::shared_ptr<DbfTable> t(new DbfTable());
    t->path_ = path;
    t->readOnly_ = readOnly || !QFileInfo(path).isWritable();
    t->file_.setFileName(path);
    if (!t->file_.open(t->readOnly_ ? QIODevice::ReadOnly : QIODevice::ReadWrite))
        throw EngineError(err::kFileNotFound, path);
    const qint64 size = t->file_.size();
    t->header_ = parseDbfHeader(t->file_.read(std::min<qint64>(size, kLargestHeader + 1)), size, path);
    t->fileRecords_ = t->header_.recordCount;
    t->codePage_ = codePageOf(t->header_, path);
    if (t->header_.hasMemoFields()) {
        const MemoFile::Kind kind = memoKindOf(t->header_);
        const QString extension = kind == MemoFile::Kind::FoxPro ? QStringLiteral("fpt") : QStringLiteral("dbt");
        const QString memoPath = findSibling(path, extension);
        if (memoPath.isEmpty())
            throw malformedFile(path, QStringLiteral("its memo file (%1.%2) is missing").arg(QFileInfo(path).completeBaseName(), extension));
        t->memo_ = MemoFile::open(memoPath, kind, t->readOnly_);
    }

    TableInfo& design = t->design_;
    design = recorded;
    design.name = recorded.name.isEmpty() ? QFileInfo(path).completeBaseName() : recorded.name;
    design.fields.clear();
    int nullBit = 0;
    for (int i = 0; i < static_cast<int>(t->header_.fields.size()); ++i) {
        const DbfFieldDescriptor& d = t->header_.fields[static_cast<size_t>(i)];
        if (d.type == '0') {
            t->nullFlagsDescriptor_ = i;
            continue;
        }
        if (d.isSystem()) continue;
        FieldInfo f = engineFieldFor(d);
        if (const FieldInfo* known = recordedField(recorded, d.name); known && dbfFieldCanHold(d, known->type)) {
            f = *known;
            f.name = d.name;
            if (f.type == FieldType::Text) f.size = d.length;
        }
        f.ordinalPosition = static_cast<int>(design.fields.size());
        design.fields.push_back(f);
        t->descriptorOf_.push_back(i);
        t->nullBitOf_.push_back((d.flags & 0x02) ? nullBit++ : -1);
    }
    if (t->nullFlagsDescriptor_ >= 0 && (nullBit + 7) / 8 > t->header_.fields[static_cast<size_t>(t->nullFlagsDescriptor_)].length)
        throw malformedFile(path, QStringLiteral("its null flags are shorter than its nullable fields need"));
    if (t->nullFlagsDescriptor_ < 0) std::fill(t->nullBitOf_.begin(), t->nullBitOf_.end(), -1);
    // Indexes on fields the file no longer has are left out.
    std::erase_if(design.indexes, [&](const IndexInfo& index) {
        for (const auto& key : index.keys)
            if (!design.field(key.field)) return true;
        return false;
    });
    return t;
}

DbfTable::~DbfTable() {
    try {
        flush();
    } catch (const EngineError&) {
        // Nothing can report it here; the records stay counted as they were in the header.
    }
}

void DbfTable::requireWritable() const {
    if (readOnly_) throw EngineError(err::kReadOnly, path_);
}

const char* DbfTable::rawRecord(std::int64_t record) {
    if (record < 0 || record >= recordCount())
        throw EngineError(err::kInvalidArgumentEngine, QStringLiteral("record %1 is outside '%2'").arg(record + 1).arg(path_));
    if (record >= fileRecords_) return pending_.constData() + (record - fileRecords_) * header_.recordLength;
    if (record < cacheFirst_ || record >= cacheFirst_ + cacheCount_) {
        const std::int64_t perBlock = std::max<std::int64_t>(1, kReadBlockBytes / header_.recordLength);
        const std::int64_t count = std::min(perBlock, fileRecords_ - record);
        file_.seek(recordPosition(record));
        cache_ = file_.read(count * header_.recordLength);
        if (cache_.size() != count * header_.recordLength) {
            cacheCount_ = 0;
            throw malformedFile(path_, QStringLiteral("record %1 is cut short").arg(record + 1));
        }
        cacheFirst_ = record;
        cacheCount_ = count;
    }
    return cache_.constData() + (record - cacheFirst_) * header_.recordLength;
}

bool DbfTable::isDeleted(std::int64_t record) {
    const char flag = rawRecord(record)[0];
    if (flag == kDeleted) return true;
    if (flag == kLive) return false;
    throw malformedFile(path_, QStringLiteral("record %1 starts with byte 0x%2 instead of a deleted flag")
                                   .arg(record + 1)
                                   .arg(static_cast<unsigned char>(flag), 2, 16, QLatin1Char('0')));
}

void DbfTable::read(std::int64_t record, std::vector<Value>& out) {
    const char* raw = rawRecord(record);
    const DbfCellContext context{path_, codePage_, memo_.get()};
    const char* nullFlags = nullFlagsDescriptor_ >= 0 ? raw + header_.fields[static_cast<size_t>(nullFlagsDescriptor_)].offset : nullptr;
    out.resize(design_.fields.size());
    for (size_t i = 0; i < design_.fields.size(); ++i) {
        const DbfFieldDescriptor& d = header_.fields[static_cast<size_t>(descriptorOf_[i])];
        if (const int bit = nullBitOf_[i]; nullFlags && bit >= 0 && (static_cast<unsigned char>(nullFlags[bit / 8]) >> (bit % 8)) & 1) {
            out[i] = Value::null();
            continue;
        }
        out[i] = decodeDbfCell(d, design_.fields[i].type, raw + d.offset, record, context);
    }
}

void DbfTable::encodeRecord(const std::vector<Value>& values, char flag, char* bytes) {
    std::memset(bytes, 0, static_cast<size_t>(header_.recordLength));
    bytes[0] = flag;
    const DbfCellContext context{path_, codePage_, memo_.get()};
    char* nullFlags = nullFlagsDescriptor_ >= 0 ? bytes + header_.fields[static_cast<size_t>(nullFlagsDescriptor_)].offset : nullptr;
    for (size_t i = 0; i < design_.fields.size(); ++i) {
        const DbfFieldDescriptor& d = header_.fields[static_cast<size_t>(descriptorOf_[i])];
        const Value& v = i < values.size() ? values[i] : Value::null();
        if (const int bit = nullBitOf_[i]; nullFlags && bit >= 0 && v.isNull())
            nullFlags[bit / 8] = static_cast<char>(nullFlags[bit / 8] | (1 << (bit % 8)));
        encodeDbfCell(d, design_.fields[i].type, v, bytes + d.offset, context);
    }
}

std::int64_t DbfTable::append(const std::vector<Value>& values) {
    requireWritable();
    beforeChange();
    if (recordCount() >= std::numeric_limits<std::uint32_t>::max())
        throw EngineError(err::kNotSupported, QStringLiteral("'%1' holds as many records as a DBF file can count.").arg(path_));
    // Encoded in place at the end of what is held back; a refused value takes it back off.
    const qsizetype start = pending_.size();
    pending_.resize(start + header_.recordLength);
    try {
        encodeRecord(values, kLive, pending_.data() + start);
    } catch (...) {
        pending_.resize(start);
        throw;
    }
    ++pendingCount_;
    const std::int64_t record = recordCount() - 1;
    if (pending_.size() >= kPendingBytes) flush();
    return record;
}

void DbfTable::overwrite(std::int64_t record, const std::vector<Value>& values) {
    requireWritable();
    const char flag = rawRecord(record)[0];
    beforeChange();
    QByteArray bytes(header_.recordLength, '\0');
    encodeRecord(values, flag, bytes.data());
    if (record >= fileRecords_) {
        std::memcpy(pending_.data() + (record - fileRecords_) * header_.recordLength, bytes.constData(), static_cast<size_t>(bytes.size()));
        return;
    }
    writeAt(recordPosition(record), bytes.constData(), bytes.size());
    if (record >= cacheFirst_ && record < cacheFirst_ + cacheCount_)
        std::memcpy(cache_.data() + (record - cacheFirst_) * header_.recordLength, bytes.constData(), static_cast<size_t>(bytes.size()));
}

void DbfTable::markDeleted(std::int64_t record) {
    requireWritable();
    rawRecord(record);
    beforeChange();
    if (record >= fileRecords_) {
        pending_[static_cast<qsizetype>((record - fileRecords_) * header_.recordLength)] = kDeleted;
        return;
    }
    writeAt(recordPosition(record), &kDeleted, 1);
    if (record >= cacheFirst_ && record < cacheFirst_ + cacheCount_) cache_[static_cast<qsizetype>((record - cacheFirst_) * header_.recordLength)] = kDeleted;
}

void DbfTable::writeAt(qint64 position, const char* data, qint64 size) {
    if (!file_.seek(position) || file_.write(data, size) != size) throw writeFailed(path_, file_.errorString());
}

void DbfTable::flush() {
    if (pendingCount_ == 0) return;
    pending_.append(kEndOfFile);
    writeAt(recordPosition(fileRecords_), pending_.constData(), pending_.size());
    fileRecords_ += pendingCount_;
    pending_.resize(0);  // keeps its room for the next records
    pendingCount_ = 0;
    // The count goes last: records written before a failure are simply not counted.
    char stamp[7];
    const QDate today = QDate::currentDate();
    stamp[0] = static_cast<char>(today.year() - 1900);
    stamp[1] = static_cast<char>(today.month());
    stamp[2] = static_cast<char>(today.day());
    for (int i = 0; i < 4; ++i) stamp[3 + i] = static_cast<char>((static_cast<std::uint64_t>(fileRecords_) >> (8 * i)) & 0xFF);
    writeAt(1, stamp, sizeof stamp);
    if (!file_.flush()) throw writeFailed(path_, file_.errorString());
}

}  // namespace veranth::engine::isam
