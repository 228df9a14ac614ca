#pragma once

#include "engine/collection.h"
#include "engine/field.h"
#include "engine/recordset_backend.h"

#include <QByteArray>

#include <memory>

namespace veranth::engine {

enum class RecordsetType { Default = 0, Table = 1, Dynaset = 2, Snapshot = 4, ForwardOnly = 8 };

namespace rs_option {
inline constexpr int kDenyWrite = 1;
inline constexpr int kDenyRead = 2;
inline constexpr int kReadOnly = 4;
inline constexpr int kAppendOnly = 8;
inline constexpr int kInconsistent = 16;
inline constexpr int kConsistent = 32;
inline constexpr int kSqlPassThrough = 64;
inline constexpr int kFailOnError = 128;
inline constexpr int kForwardOnly = 256;
}  // namespace rs_option

enum class EditMode { None = 0, InProgress = 1, Add = 2 };

class ErrorList;

// The rows of a table, query or statement with a current position. Table and Dynaset sets
// are updatable when their source is one stored table; Snapshot and ForwardOnly sets are
// read-only and static (later changes do not show through).
class Recordset : public FieldValueSource, public std::enable_shared_from_this<Recordset> {
public:
    static std::shared_ptr<Recordset> open(RecordsetType type, const QString& name,
                                           std::shared_ptr<RecordsetBackend> backend, bool readOnly,
                                           std::shared_ptr<ErrorList> errors);

    RecordsetType type() const { return type_; }
    const QString& name() const { return name_; }
    bool updatable() const;
    bool bof() const;
    bool eof() const;
    bool noMatch() const { return noMatch_; }
    // Rows reached so far; exact once the last row has been reached (MoveLast).
    std::int64_t recordCount() const;
    std::int64_t absolutePosition() const;  // -1 without a current row
    void setAbsolutePosition(std::int64_t position);
    double percentPosition() const;
    void setPercentPosition(double percent);
    QByteArray bookmark() const;  // 3021 without a current row
    void setBookmark(const QByteArray& bookmark);
    bool bookmarkable() const { return type_ != RecordsetType::ForwardOnly; }
    QByteArray lastModified() const;
    EditMode editMode() const { return editMode_; }
    bool lockEdits() const { return lockEdits_; }
    void setLockEdits(bool v) { lockEdits_ = v; }

    Collection<Field>& fields() { return fields_; }
    std::shared_ptr<Field> field(int index) { return fields_.item(index); }
    std::shared_ptr<Field> field(const QString& name) { return fields_.item(name); }

    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();
    void move(std::int64_t rows);

    // Criteria as in "[Last Name] Like 'A*'" or "Amount>=5"; NoMatch tells the result and a
    // failed search leaves the current row where it was.
    void findFirst(const QString& criteria);
    void findLast(const QString& criteria);
    void findNext(const QString& criteria);
    void findPrevious(const QString& criteria);

    // Table-type sets: the current index by name, and Seek with "=", ">=", "<=", ">", "<".
    const QString& index() const { return index_; }
    void setIndex(const QString& name);
    void seek(const QString& op, const std::vector<Value>& keys);

    // Filter and Sort apply to the next openRecordset made from this one.
    const QString& filter() const { return filter_; }
    void setFilter(const QString& filter) { filter_ = filter; }
    const QString& sort() const { return sort_; }
    void setSort(const QString& sort) { sort_ = sort; }
    std::shared_ptr<Recordset> openRecordset(RecordsetType type = RecordsetType::Default, int options = 0);

    std::shared_ptr<Recordset> clone();
    void requery();
    void close();
    bool isOpen() const { return backend_ != nullptr; }

    void addNew();
    void edit();
    void update();
    void cancelUpdate();
    void remove();  // Delete: the current row; the position stays on the deleted row

    // FieldValueSource
    Value fieldValue(int column) override;
    void setFieldValue(int column, const Value& value) override;

private:
    Recordset() = default;
    void bindFields();
    RecordsetBackend& backend() const;
    bool hasCurrent() const;
    void requireCurrent() const;
    void requireUpdatable() const;
    void requireScrollable() const;
    void moveTo(std::int64_t position);
    const std::vector<Value>& currentRow();
    void find(const QString& criteria, bool forward, std::int64_t start);
    std::vector<Value> defaultValues() const;
    template <class F> auto recorded(F&& f) -> decltype(f());

    RecordsetType type_ = RecordsetType::Dynaset;
    QString name_;
    std::shared_ptr<RecordsetBackend> backend_;
    std::shared_ptr<ErrorList> errors_;
    bool readOnly_ = false;
    Collection<Field> fields_;
    std::int64_t position_ = -1;        // -1 before the first row (BOF)
    mutable std::int64_t reached_ = 0;  // highest position reached + 1
    bool atEnd_ = false;                // past the last row (EOF)
    bool noMatch_ = false;
    bool lockEdits_ = true;
    QString index_, filter_, sort_;
    EditMode editMode_ = EditMode::None;
    std::vector<Value> buffer_;
    std::vector<bool> changed_;
    std::int64_t cachedRowIndex_ = -1;
    std::vector<Value> cachedRow_;
    std::int64_t lastModified_ = -1;
};

}  // namespace veranth::engine
