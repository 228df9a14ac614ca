#pragma once

#include "engine/direct/options.h"
#include "engine/odbc/driver_connection.h"
#include "engine/value.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace veranth::engine::direct {

// The rows of a statement with a current row. Columns are found by position (0-based) or
// by name without regard to case.
class Resultset {
public:
    // Made by Connection::openResultset.
    Resultset(std::shared_ptr<odbc::DriverConnection> link, const QString& sql, int cursorType, int lockType,
              int queryTimeout);
    ~Resultset();

    int columnCount() const { return static_cast<int>(columns_.size()); }
    QString columnName(int column) const;
    int columnIndex(const QString& name) const;  // 3265 for an unknown column
    const std::vector<odbc::ColumnInfo>& columns() const { return columns_; }

    bool bof() const;
    bool eof() const;
    // Rows read so far (all of them for the cursors that read at open).
    std::int64_t rowCount() const;
    void moveNext();
    void moveFirst();  // 3251 on a forward-only set
    void moveLast();
    void movePrevious();

    Value value(int column) const;  // 3021 without a current row
    Value value(const QString& column) const { return value(columnIndex(column)); }

    bool updatable() const { return updatable_; }
    void edit();
    void setValue(int column, const Value& value);
    void setValue(const QString& column, const Value& value) { setValue(columnIndex(column), value); }
    // Writes the changed columns to the row that still holds the values it was read with.
    // A row no longer found is an error, unless an earlier Update of this set already wrote
    // the same change to it (two identical rows are one row to a value-compared update).
    void update();
    void cancelUpdate();
    bool editing() const { return editing_; }

    void close();
    bool isOpen() const { return open_; }

private:
    bool fetchNext();
    void requireCurrent() const;
    const std::vector<Value>& current() const;

    std::shared_ptr<odbc::DriverConnection> link_;
    std::unique_ptr<odbc::Statement> statement_;  // forward-only sets keep reading from it
    std::vector<odbc::ColumnInfo> columns_;
    bool forwardOnly_ = true;
    bool open_ = true;
    bool updatable_ = false;
    QString baseTable_;
    std::vector<std::vector<Value>> rows_;  // all rows, or the current one of a forward-only set
    std::int64_t position_ = 0;             // index into rows_ (rows_.size() = EOF; -1 = BOF)
    std::int64_t read_ = 0;
    bool exhausted_ = false;
    bool editing_ = false;
    std::vector<Value> buffer_;
    std::vector<bool> changed_;
    struct Written {
        std::vector<Value> before, after;
    };
    std::vector<Written> written_;
};

}  // namespace veranth::engine::direct
