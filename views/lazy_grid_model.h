#pragma once

#include "engine/field_type.h"
#include "engine/value.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QTimer>

#include <chrono>
#include <deque>
#include <map>
#include <memory>
#include <vector>

namespace veranth::engine {
class Field;
class Recordset;
}  // namespace veranth::engine

namespace veranth::views {

// The rows of a recordset for a grid, read only as they are shown. Rows are read in blocks
// through a clone of the recordset (so the owner's current row never moves) in short slices on
// the event loop: a slice reads what the view waits for first, then counts further rows, and
// gives the loop back after its time budget. Until the last row has been reached the row count
// is the number of rows known so far and grows as counting goes on. Blocks far from what the view
// shows are released, so memory stays bounded however far one scrolls. A replaced recordset drops
// every block and request of the old one.
class LazyGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int kBlockRows = 64;
    static constexpr int kMaxBlocks = 256;
    // True for a cell whose row has not been read yet: the view draws a placeholder.
    static constexpr int kPlaceholderRole = Qt::UserRole + 1;

    explicit LazyGridModel(QObject* parent = nullptr);
    ~LazyGridModel() override;

    // Columns and rows of this recordset from now on; a null one empties the grid.
    void SetRecordset(std::shared_ptr<engine::Recordset> recordset);
    const std::shared_ptr<engine::Recordset>& Recordset() const { return owner_; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

    QString FieldName(int column) const;
    engine::FieldType FieldType(int column) const;

    // Rows known so far, and whether that is all of them.
    qint64 KnownRows() const;
    bool CountComplete() const { return complete_; }
    // "1200+" while counting, "1234" once the count is known.
    QString RowCountText() const;

    // The rows the view shows; requests outside them are dropped and blocks far from them go first.
    void SetVisibleRows(int first, int last);
    // Recordset position of a grid row and back (rows deleted through the grid are skipped).
    qint64 PositionOfRow(int row) const;
    int RowOfPosition(qint64 position) const;

    // Changes made through the recordset: the grid follows.
    void RowRemoved(qint64 position);
    void RowChanged(qint64 position);
    void RowsAppended();

    // Edits typed into the grid wait for the row to be left: the window decides to commit or drop.
    bool HasPendingEdit() const { return pending_.row >= 0; }
    int PendingRow() const { return pending_.row; }
    void CommitPendingEdit();  // throws the engine's error; the edit stays pending
    void DiscardPendingEdit();

    // One slice of work within the budget; true while work remains. The model runs slices from a
    // timer by itself; tests and benchmarks may call it directly.
    bool Pump(std::chrono::microseconds budget = std::chrono::milliseconds(8));
    // Read and count until nothing waits (or the deadline passes); for tests and benchmarks.
    void FetchAll(std::chrono::milliseconds deadline = std::chrono::milliseconds(60000));
    // The text of a cell, read at once when its row is not in memory.
    QString TextAt(int row, int column);
    // The cell is read.
    bool IsFetched(int row) const;
    int CachedBlocks() const { return static_cast<int>(blocks_.size()); }
    // Whether counting runs by itself after the first screen (on by default).
    void SetCountInBackground(bool on);
    // Counting is asked to finish soon (a jump to the last row waits for it).
    void RequestCount();

Q_SIGNALS:
    void CountChanged(qint64 known, bool complete);
    void RowsFetched();

private:
    struct Block {
        std::vector<QString> cells;  // rows x columns
        std::vector<bool> deleted;
        int rows = 0;
        quint64 used = 0;
    };
    struct Pending {
        int row = -1;
        qint64 position = -1;
        std::map<int, engine::Value> values;
    };
    void Schedule() const;
    void ReadBlock(qint64 block);
    bool CountSlice(std::chrono::steady_clock::time_point until);
    void GrowTo(qint64 positions, bool complete);
    void ReleaseFarBlocks();
    QString CellText(int column, const engine::Value& value) const;
    void ForgetBlockOf(qint64 position);

    std::shared_ptr<engine::Recordset> owner_;
    std::shared_ptr<engine::Recordset> reader_;
    std::vector<std::shared_ptr<engine::Field>> fields_;
    std::vector<QString> names_;
    std::vector<engine::FieldType> types_;
    bool editable_ = false;
    qint64 positions_ = 0;  // positions known in the recordset
    bool complete_ = true;
    std::vector<qint64> removed_;  // sorted positions deleted through the grid
    mutable QHash<qint64, Block> blocks_;
    mutable std::deque<qint64> wanted_;
    mutable quint64 clock_ = 0;
    int visibleFirst_ = 0, visibleLast_ = -1;
    bool countInBackground_ = true;
    bool countRequested_ = false;
    bool resetting_ = false;
    qint64 countStep_ = 4000;
    quint64 generation_ = 0;
    Pending pending_;
    QTimer* timer_;
};

}  // namespace veranth::views
