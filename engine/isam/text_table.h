#pragma once

#include "engine/isam/code_page.h"
#include "engine/isam/table_file.h"
#include "engine/isam/text_records.h"
#include "engine/isam/text_layout.h"

#include <QFile>

#include <optional>

namespace veranth::engine::isam {

// One delimited or fixed-length text file as a table. The file is read once and its records
// found; each is split and converted when read. Rows can be added (written at the end of the
// file); changing or deleting rows of a text file is refused, as the format has no place for it.
class TextTable : public TableFile {
public:
    // `layout` is the file's schema.ini section, if it has one.
    static std::shared_ptr<TextTable> open(const QString& path, bool readOnly, const std::optional<TextLayoutDescription>& layout);
    // Writes a new file with its header line; returns the layout to keep in schema.ini.
    static TextLayoutDescription create(const QString& path, const TableInfo& design);
    ~TextTable() override;

    const QString& path() const override { return path_; }
    const TableInfo& design() const override { return design_; }
    std::int64_t recordCount() override { return static_cast<std::int64_t>(starts_.size()); }
    bool isDeleted(std::int64_t) override { return false; }
    void read(std::int64_t record, std::vector<Value>& out) override;
    bool canChangeRecords() const override { return false; }
    std::int64_t append(const std::vector<Value>& values) override;
    void overwrite(std::int64_t, const std::vector<Value>&) override;
    void markDeleted(std::int64_t) override;
    void flush() override;

private:
    TextTable() = default;
    void findRecords();
    void describeColumns(const std::optional<TextLayoutDescription>& given);
    std::vector<QString> cellTexts(std::int64_t record, std::vector<bool>* quoted);
    void readDelimited(std::int64_t record, std::vector<Value>& out);
    QByteArray encode(const QString& text, const QString& field) const;

    QString path_;
    bool readOnly_ = false;
    TextLayoutDescription layout_;
    CodePage codePage_ = CodePage::windows1252();
    QByteArray bytes_;                  // the file as read, and every record added since
    qsizetype bodyStart_ = 0;           // after a byte order mark
    std::vector<qsizetype> starts_;     // where each data record begins
    QByteArray pending_;                // added records not yet in the file
    TableInfo design_;
    std::vector<int> widths_;           // fixed-length columns
    std::vector<TextCell> cells_;
    QByteArray line_;  // the record being written
};

}  // namespace veranth::engine::isam
