#include "views/lazy_grid_model.h"

#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/field.h"
#include "engine/recordset.h"

#include <algorithm>
#include <climits>

namespace veranth::views {

using engine::EngineError;
using engine::Value;
using Clock = std::chrono::steady_clock;

namespace {
// The rows probed when a recordset arrives, so a small set shows complete at once.
constexpr qint64 kFirstProbe = 256;
// Rows counted per step of a counting slice: the step grows while steps are quick and shrinks when
// one takes longer than a slice should (a cold file is read from disk as it is counted).
constexpr qint64 kMinCountStep = 1000;
constexpr qint64 kMaxCountStep = 200000;
constexpr int kMemoShown = 255;

int ClampRows(qint64 n) { return n > INT_MAX ? INT_MAX : static_cast<int>(n); }
}  // namespace

LazyGridModel::LazyGridModel(QObject* parent) : QAbstractTableModel(parent), timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    timer_->setInterval(0);
    connect(timer_, &QTimer::timeout, this, [this] {
        if (Pump()) timer_->start();
    });
}

LazyGridModel::~LazyGridModel() = default;

void LazyGridModel::SetRecordset(std::shared_ptr<engine::Recordset> recordset) {
    beginResetModel();
    ++generation_;
    blocks_.clear();
    wanted_.clear();
    removed_.clear();
    pending_ = Pending();
    fields_.clear();
    names_.clear();
    types_.clear();
    owner_ = std::move(recordset);
    reader_.reset();
    positions_ = 0;
    complete_ = true;
    countRequested_ = false;
    editable_ = false;
    if (owner_ && owner_->isOpen()) {
        for (int i = 0; i < owner_->fields().count(); ++i) {
            auto f = owner_->field(i);
            names_.push_back(f->name());
            types_.push_back(f->type());
        }
        try {
            // Its own clone: reading rows never moves the owner's current row.
            reader_ = owner_->clone();
            for (int i = 0; i < reader_->fields().count(); ++i) fields_.push_back(reader_->field(i));
            editable_ = reader_->updatable();
            complete_ = false;
            // One short step: a small set is known whole at once, a big one shows its first rows
            // while counting goes on.
            resetting_ = true;
            CountSlice(Clock::now());
            resetting_ = false;
        } catch (const EngineError&) {
            resetting_ = false;
            // A forward-only set cannot be read again by a grid: it shows its columns only.
            reader_.reset();
            fields_.clear();
            positions_ = 0;
            complete_ = true;
        }
    }
    endResetModel();
    Q_EMIT CountChanged(KnownRows(), complete_);
    if (!complete_) Schedule();
}

int LazyGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ClampRows(KnownRows()); }

int LazyGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(names_.size());
}

qint64 LazyGridModel::KnownRows() const { return positions_ - static_cast<qint64>(removed_.size()); }

QString LazyGridModel::RowCountText() const {
    return QString::number(KnownRows()) + (complete_ ? QString() : QStringLiteral("+"));
}

QString LazyGridModel::FieldName(int column) const {
    return column >= 0 && column < static_cast<int>(names_.size()) ? names_[static_cast<size_t>(column)] : QString();
}

engine::FieldType LazyGridModel::FieldType(int column) const {
    return column >= 0 && column < static_cast<int>(types_.size()) ? types_[static_cast<size_t>(column)]
                                                                   : engine::FieldType::Text;
}

qint64 LazyGridModel::PositionOfRow(int row) const {
    qint64 p = row;
    for (qint64 d : removed_) {
        if (d <= p) ++p;
        else break;
    }
    return p;
}

int LazyGridModel::RowOfPosition(qint64 position) const {
    const auto before = std::lower_bound(removed_.begin(), removed_.end(), position) - removed_.begin();
    return ClampRows(position - before);
}

QString LazyGridModel::TextAt(int row, int column) {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount() || !reader_) return QString();
    const qint64 block = PositionOfRow(row) / kBlockRows;
    if (!blocks_.contains(block)) {
        ReadBlock(block);
        ReleaseFarBlocks();
    }
    return data(index(row, column)).toString();
}

bool LazyGridModel::IsFetched(int row) const { return blocks_.contains(PositionOfRow(row) / kBlockRows); }

QVariant LazyGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole && role != kPlaceholderRole)) return {};
    if (pending_.row == index.row() && role != kPlaceholderRole) {
        if (auto it = pending_.values.find(index.column()); it != pending_.values.end())
            return engine::toDisplayText(it->second);
    }
    const qint64 position = PositionOfRow(index.row());
    const qint64 block = position / kBlockRows;
    auto it = blocks_.find(block);
    if (it == blocks_.end()) {
        if (std::find(wanted_.begin(), wanted_.end(), block) == wanted_.end()) wanted_.push_front(block);
        Schedule();
        return role == kPlaceholderRole ? QVariant(true) : QVariant();
    }
    it->used = ++clock_;
    if (role == kPlaceholderRole) return false;
    const auto offset = static_cast<size_t>(position - block * kBlockRows);
    if (static_cast<int>(offset) >= it->rows) return {};
    return it->cells[offset * names_.size() + static_cast<size_t>(index.column())];
}

QVariant LazyGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Horizontal) return FieldName(section);
    return QString::number(section + 1);
}

Qt::ItemFlags LazyGridModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const auto type = FieldType(index.column());
    if (editable_ && type != engine::FieldType::LongBinary && type != engine::FieldType::Binary) f |= Qt::ItemIsEditable;
    return f;
}

bool LazyGridModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || role != Qt::EditRole || !(flags(index) & Qt::ItemIsEditable)) return false;
    if (pending_.row >= 0 && pending_.row != index.row()) return false;  // the window settles the other row first
    const QString text = value.toString();
    const auto type = FieldType(index.column());
    const bool textual = type == engine::FieldType::Text || type == engine::FieldType::Memo;
    pending_.row = index.row();
    pending_.position = PositionOfRow(index.row());
    pending_.values[index.column()] = text.isEmpty() && !textual ? Value::null() : Value::string(text);
    Q_EMIT dataChanged(index, index);
    return true;
}

void LazyGridModel::CommitPendingEdit() {
    if (pending_.row < 0 || !reader_) return;
    try {
        reader_->setAbsolutePosition(pending_.position);
        reader_->edit();
        for (const auto& [column, v] : pending_.values) fields_[static_cast<size_t>(column)]->setValue(v);
        reader_->update();
    } catch (const EngineError&) {
        try {
            if (reader_->editMode() != engine::EditMode::None) reader_->cancelUpdate();
        } catch (const EngineError&) {
        }
        throw;
    }
    const qint64 position = pending_.position;
    pending_ = Pending();
    RowChanged(position);
}

void LazyGridModel::DiscardPendingEdit() {
    if (pending_.row < 0) return;
    const int row = pending_.row;
    pending_ = Pending();
    Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void LazyGridModel::SetVisibleRows(int first, int last) {
    visibleFirst_ = first;
    visibleLast_ = last;
}

void LazyGridModel::Schedule() const {
    if (!timer_->isActive()) timer_->start();
}

void LazyGridModel::SetCountInBackground(bool on) {
    countInBackground_ = on;
    if (on && !complete_) Schedule();
}

void LazyGridModel::RequestCount() {
    countRequested_ = true;
    if (!complete_) Schedule();
}

QString LazyGridModel::CellText(int column, const Value& value) const {
    if (value.isMissing()) return QString();
    switch (FieldType(column)) {
    case engine::FieldType::LongBinary:
    case engine::FieldType::Binary:
        return QStringLiteral("Long binary data");
    case engine::FieldType::Memo: {
        QString text = engine::toDisplayText(value).left(kMemoShown);
        text.replace(QLatin1Char('\n'), QLatin1Char(' ')).remove(QLatin1Char('\r'));
        return text;
    }
    default:
        return engine::toDisplayText(value);
    }
}

void LazyGridModel::ReadBlock(qint64 block) {
    const qint64 start = block * kBlockRows;
    const qint64 end = std::min(positions_, start + kBlockRows);
    if (start >= end) return;
    Block b;
    b.rows = static_cast<int>(end - start);
    const size_t columns = names_.size();
    b.cells.resize(static_cast<size_t>(b.rows) * columns);
    b.deleted.assign(static_cast<size_t>(b.rows), false);
    for (qint64 p = start; p < end; ++p) {
        const auto r = static_cast<size_t>(p - start);
        try {
            reader_->setAbsolutePosition(p);
            for (size_t c = 0; c < columns; ++c) b.cells[r * columns + c] = CellText(static_cast<int>(c), fields_[c]->value());
        } catch (const EngineError&) {
            b.deleted[r] = true;
            for (size_t c = 0; c < columns; ++c) b.cells[r * columns + c] = QStringLiteral("#Deleted");
        }
    }
    b.used = ++clock_;
    blocks_.insert(block, std::move(b));
}

void LazyGridModel::GrowTo(qint64 positions, bool complete) {
    if (resetting_) {
        positions_ = positions;
        complete_ = complete;
        return;
    }
    const qint64 oldRows = KnownRows();
    const qint64 newRows = positions - static_cast<qint64>(removed_.size());
    const bool changed = positions != positions_ || complete != complete_;
    if (newRows > oldRows && ClampRows(newRows) > ClampRows(oldRows)) {
        beginInsertRows(QModelIndex(), ClampRows(oldRows), ClampRows(newRows) - 1);
        positions_ = positions;
        endInsertRows();
    } else {
        positions_ = positions;
    }
    complete_ = complete;
    if (changed) Q_EMIT CountChanged(KnownRows(), complete_);
}

bool LazyGridModel::CountSlice(Clock::time_point until) {
    if (!reader_ || complete_) return false;
    while (!complete_) {
        qint64 known = positions_;
        if (known == 0) {
            reader_->moveFirst();
            if (reader_->eof()) {
                GrowTo(reader_->recordCount(), true);
                break;
            }
            known = reader_->absolutePosition() + 1;
        } else {
            reader_->setAbsolutePosition(known - 1);
        }
        const qint64 step = known < kFirstProbe ? kFirstProbe - known : countStep_;
        const auto started = Clock::now();
        reader_->move(step);
        if (reader_->eof()) GrowTo(reader_->recordCount(), true);
        else GrowTo(reader_->absolutePosition() + 1, false);
        const auto took = Clock::now() - started;
        if (took < std::chrono::milliseconds(2)) countStep_ = std::min(kMaxCountStep, countStep_ * 2);
        else if (took > std::chrono::milliseconds(6)) countStep_ = std::max(kMinCountStep, countStep_ / 2);
        if (Clock::now() >= until) break;
    }
    return !complete_;
}

void LazyGridModel::ReleaseFarBlocks() {
    const qint64 centre = PositionOfRow(std::max(0, (visibleFirst_ + std::max(visibleFirst_, visibleLast_)) / 2)) / kBlockRows;
    while (blocks_.size() > kMaxBlocks) {
        auto far = blocks_.begin();
        qint64 farthest = -1;
        for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
            const qint64 distance = std::abs(it.key() - centre);
            if (distance > farthest || (distance == farthest && it->used < far->used)) {
                farthest = distance;
                far = it;
            }
        }
        blocks_.erase(far);
    }
}

bool LazyGridModel::Pump(std::chrono::microseconds budget) {
    if (!reader_) {
        wanted_.clear();
        return false;
    }
    const quint64 generation = generation_;
    const auto until = Clock::now() + budget;
    const bool visibleKnown = visibleLast_ >= visibleFirst_;
    const qint64 firstBlock = PositionOfRow(visibleFirst_) / kBlockRows - 1;
    const qint64 lastBlock = PositionOfRow(std::max(visibleFirst_, visibleLast_)) / kBlockRows + 1;
    std::vector<qint64> fetched;
    try {
        while (!wanted_.empty() && Clock::now() < until) {
            const qint64 block = wanted_.front();
            wanted_.pop_front();
            if (blocks_.contains(block) || block * kBlockRows >= positions_) continue;
            // Scrolled past before its turn came: not worth reading any more.
            if (visibleKnown && (block < firstBlock || block > lastBlock)) continue;
            ReadBlock(block);
            fetched.push_back(block);
        }
        if (generation != generation_) return false;
        if (!fetched.empty()) {
            ReleaseFarBlocks();
            for (qint64 block : fetched) {
                const int r0 = RowOfPosition(block * kBlockRows);
                const int r1 = RowOfPosition(std::min(positions_, (block + 1) * kBlockRows) - 1);
                if (r1 >= r0) Q_EMIT dataChanged(index(r0, 0), index(r1, columnCount() - 1));
            }
            Q_EMIT RowsFetched();
        }
        if (!complete_ && (countInBackground_ || countRequested_) && Clock::now() < until) CountSlice(until);
    } catch (const EngineError&) {
        // The source went away under the grid (closed, dropped): stop reading it.
        wanted_.clear();
        complete_ = true;
        Q_EMIT CountChanged(KnownRows(), true);
        return false;
    }
    return !wanted_.empty() || (!complete_ && (countInBackground_ || countRequested_));
}

void LazyGridModel::FetchAll(std::chrono::milliseconds deadline) {
    const auto until = Clock::now() + deadline;
    while (Pump() && Clock::now() < until) {
    }
}

void LazyGridModel::ForgetBlockOf(qint64 position) { blocks_.remove(position / kBlockRows); }

void LazyGridModel::RowRemoved(qint64 position) {
    if (position < 0 || position >= positions_ || std::binary_search(removed_.begin(), removed_.end(), position)) return;
    const int row = RowOfPosition(position);
    beginRemoveRows(QModelIndex(), row, row);
    removed_.insert(std::lower_bound(removed_.begin(), removed_.end(), position), position);
    if (pending_.position == position) pending_ = Pending();
    else if (pending_.row > row) --pending_.row;
    endRemoveRows();
    Q_EMIT CountChanged(KnownRows(), complete_);
}

void LazyGridModel::RowChanged(qint64 position) {
    ForgetBlockOf(position);
    const int row = RowOfPosition(position);
    if (row < rowCount()) Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void LazyGridModel::RowsAppended() {
    if (!reader_) return;
    if (complete_) {
        const qint64 count = reader_->recordCount();
        ForgetBlockOf(positions_ - 1);
        GrowTo(count, true);
    } else {
        Schedule();  // counting reaches it
    }
}

}  // namespace veranth::views
