#include "views/bound_grid.h"

#include "engine/errors.h"
#include "engine/recordset.h"
#include "views/lazy_grid_model.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTimer>

namespace veranth::views {

namespace {

// Cells whose row is still being read show a grey bar instead of text, so the window never waits.
class PlaceholderDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        if (!index.data(LazyGridModel::kPlaceholderRole).toBool()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        const QRect r = option.rect.adjusted(4, option.rect.height() / 3, -option.rect.width() / 3, -option.rect.height() / 3);
        painter->fillRect(r, option.palette.color(QPalette::Midlight));
    }
};

}  // namespace

BoundGrid::BoundGrid(QWidget* parent) : QTableView(parent), model_(new LazyGridModel(this)) {
    setModel(model_);
    setItemDelegate(new PlaceholderDelegate(this));
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setSectionsClickable(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    viewport()->installEventFilter(this);
    horizontalHeader()->viewport()->installEventFilter(this);
    connect(horizontalHeader(), &QHeaderView::sectionClicked, this, &BoundGrid::HeadClick);
    connect(this, &QTableView::doubleClicked, this, [this] { Q_EMIT DblClick(); });
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &BoundGrid::TellVisibleRows);
    connect(model_, &LazyGridModel::CountChanged, this, [this](qint64, bool complete) {
        Q_EMIT CountChanged(model_->RowCountText());
        if (complete && lastRowWanted_) GoToLastRow();
    });
}

BoundGrid::~BoundGrid() {
    if (control_) control_->DetachRowEditor(this);
}

void BoundGrid::SetDataSource(DataControl* control) {
    if (control_) {
        control_->DetachRowEditor(this);
        disconnect(control_, nullptr, this, nullptr);
    }
    control_ = control;
    if (!control_) {
        model_->SetRecordset(nullptr);
        return;
    }
    control_->AttachRowEditor(this);
    connect(control_, &DataControl::RecordsetReplaced, this, &BoundGrid::ReBind);
    connect(control_, &DataControl::Reposition, this, &BoundGrid::FollowControl);
    connect(control_, &QObject::destroyed, this, [this] { control_ = nullptr; });
    ReBind();
}

void BoundGrid::ReBind() {
    lastRowWanted_ = false;
    model_->SetRecordset(control_ ? control_->Recordset() : nullptr);
    TellVisibleRows();
    FollowControl();
}

int BoundGrid::CurrentRow() const { return currentIndex().isValid() ? currentIndex().row() : -1; }

QString BoundGrid::ColumnText(int column) { return model_->TextAt(CurrentRow(), column); }

QString BoundGrid::RowCountText() const { return model_->RowCountText(); }

bool BoundGrid::RowEdited() const { return model_->HasPendingEdit(); }

void BoundGrid::SaveRow() { model_->CommitPendingEdit(); }

void BoundGrid::DropRow() { model_->DiscardPendingEdit(); }

void BoundGrid::FollowControl() {
    if (syncing_ || !control_ || !control_->Recordset() || !control_->Recordset()->isOpen()) return;
    const qint64 position = control_->Recordset()->absolutePosition();
    if (position < 0) return;
    const int row = model_->RowOfPosition(position);
    if (row >= model_->rowCount()) return;  // not counted yet
    syncing_ = true;
    const int column = std::max(0, currentIndex().column());
    setCurrentIndex(model_->index(row, column));
    scrollTo(currentIndex());
    syncing_ = false;
}

void BoundGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    if (syncing_ || !current.isValid() || (previous.isValid() && previous.row() == current.row())) return;
    if (control_ && control_->Recordset() && control_->Recordset()->isOpen()) {
        if (!control_->LeaveRow(data_action::kBookmark)) {
            // The row's changes could not be saved: stay on it.
            const QPersistentModelIndex back(previous);
            QTimer::singleShot(0, this, [this, back] {
                syncing_ = true;
                if (back.isValid()) setCurrentIndex(back);
                syncing_ = false;
            });
            return;
        }
        try {
            control_->Recordset()->setAbsolutePosition(model_->PositionOfRow(current.row()));
        } catch (const engine::EngineError& e) {
            control_->RaiseError(e);
        }
        syncing_ = true;
        control_->Repositioned();
        syncing_ = false;
    }
    Q_EMIT RowColChange(previous.isValid() ? previous.row() : -1);
}

void BoundGrid::DeleteCurrentRow() {
    auto rs = control_ ? control_->Recordset() : model_->Recordset();
    const int row = CurrentRow();
    if (!rs || !rs->isOpen() || !rs->updatable() || row < 0) return;
    bool cancel = false;
    Q_EMIT BeforeDelete(&cancel);
    if (cancel) return;
    const qint64 position = model_->PositionOfRow(row);
    try {
        if (model_->PendingRow() == row) model_->DiscardPendingEdit();
        rs->setAbsolutePosition(position);
        rs->remove();
    } catch (const engine::EngineError& e) {
        if (control_) control_->RaiseError(e);
        return;
    }
    const int column = std::max(0, currentIndex().column());
    syncing_ = true;
    model_->RowRemoved(position);
    const int next = std::min(row, model_->rowCount() - 1);
    if (next >= 0) {
        setCurrentIndex(model_->index(next, column));
        try {
            rs->setAbsolutePosition(model_->PositionOfRow(next));
        } catch (const engine::EngineError&) {
        }
    }
    if (control_) control_->Repositioned();
    syncing_ = false;
    Q_EMIT AfterDelete();
}

void BoundGrid::GoToLastRow() {
    if (!model_->CountComplete()) {
        lastRowWanted_ = true;
        model_->RequestCount();
        return;
    }
    lastRowWanted_ = false;
    const int row = model_->rowCount() - 1;
    if (row < 0) return;
    setCurrentIndex(model_->index(row, std::max(0, currentIndex().column())));
    scrollToBottom();
    TellVisibleRows();
}

void BoundGrid::keyPressEvent(QKeyEvent* event) {
    if (state() != QAbstractItemView::EditingState) {
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::NoModifier) {
            DeleteCurrentRow();
            return;
        }
        if (event->key() == Qt::Key_End && (event->modifiers() & Qt::ControlModifier)) {
            GoToLastRow();
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

bool BoundGrid::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        Q_EMIT MouseEvent(mouse->button(), mouse->modifiers());
    }
    return QTableView::eventFilter(watched, event);
}

void BoundGrid::resizeEvent(QResizeEvent* event) {
    QTableView::resizeEvent(event);
    TellVisibleRows();
}

void BoundGrid::TellVisibleRows() {
    const int first = std::max(0, rowAt(0));
    int last = rowAt(viewport()->height() - 1);
    if (last < 0) last = model_->rowCount() - 1;
    model_->SetVisibleRows(first, last);
}

}  // namespace veranth::views
