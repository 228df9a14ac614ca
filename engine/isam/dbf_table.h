#pragma once

#include "engine/isam/code_page.h"
#include "engine/isam/dbf_flavour.h"
#include "engine/isam/dbf_header.h"
#include "engine/isam/memo_file.h"
#include "engine/isam/table_file.h"

#include <QFile>

#include <memory>

namespace veranth::engine::isam {

// One .dbf file (and its memo file): records read in blocks, new records collected and
// written together, changed records written in place. Whole-file changes (a new table, a
// changed design) are written to a temporary file that replaces the old one when complete.
class DbfTable : public TableFile {
public:
    // `recorded` is what the side catalogue knows of the table (engine types of the fields,
    // indexes, rules); fields the file no longer matches are read by their stored type.
    static std::shared_ptr<DbfTable> open(const QString& path, bool readOnly, const TableInfo& recorded);
    // Writes a new, empty table (and memo file when a field needs one). Text goes in
    // Windows-1252 unless another code page is given.
    static void create(const QString& path, DbfFlavour flavour, const TableInfo& design,
                       const CodePage& codePage = CodePage::windows1252());
    ~DbfTable() override;

    const QString& path() const override { return path_; }
    const TableInfo& design() const override { return design_; }
    std::int64_t recordCount() override { return fileRecords_ + pendingCount_; }
    bool isDeleted(std::int64_t record) override;
    void read(std::int64_t record, std::vector<Value>& out) override;
    bool canChangeRecords() const override { return true; }
    std::int64_t append(const std::vector<Value>& values) override;
    void overwrite(std::int64_t record, const std::vector<Value>& values) override;
    void markDeleted(std::int64_t record) override;
    void flush() override;

    const DbfHeader& header() const { return header_; }
    const CodePage& codePage() const { return codePage_; }

private:
    DbfTable() = default;
    const char* rawRecord(std::int64_t record);
    void encodeRecord(const std::vector<Value>& values, char flag, char* bytes);
    void writeAt(qint64 position, const char* data, qint64 size);
    void requireWritable() const;
    qint64 recordPosition(std::int64_t record) const {
        return header_.headerLength + static_cast<qint64>(record) * header_.recordLength;
    }

    QString path_;
    bool readOnly_ = false;
    QFile file_;
    DbfHeader header_;
    CodePage codePage_ = CodePage::windows1252();
    std::unique_ptr<MemoFile> memo_;
    TableInfo design_;
    std::vector<int> descriptorOf_;  // design field -> header field
    std::vector<int> nullBitOf_;     // design field -> bit in the null flags, or -1
    int nullFlagsDescriptor_ = -1;

    std::int64_t fileRecords_ = 0;
    QByteArray pending_;  // appended records not yet in the file
    std::int64_t pendingCount_ = 0;
    QByteArray cache_;  // a run of records read together
    std::int64_t cacheFirst_ = 0;
    std::int64_t cacheCount_ = 0;
};

}  // namespace veranth::engine::isam
