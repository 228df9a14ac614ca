#include "views/data_control.h"

#include "db/session.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/recordset.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QToolButton>

#include <algorithm>

namespace veranth::views {

using engine::EngineError;
using engine::Value;

namespace {

engine::RecordsetType EngineType(int recordsetType) {
    switch (recordsetType) {
    case 0: return engine::RecordsetType::Table;
    case 2: return engine::RecordsetType::Snapshot;
    default: return engine::RecordsetType::Dynaset;
    }
}

int ControlType(engine::RecordsetType type) {
    switch (type) {
    case engine::RecordsetType::Table: return 0;
    case engine::RecordsetType::Snapshot:
    case engine::RecordsetType::ForwardOnly: return 2;
    default: return 1;
    }
}

QToolButton* ArrowButton(QWidget* parent, const char* name, const QString& text) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setText(text);
    b->setAutoRaise(true);
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

bool IsTextual(engine::FieldType type) { return type == engine::FieldType::Text || type == engine::FieldType::Memo; }

}  // namespace

DataControl::DataControl(db::Session& session, QWidget* parent)
    : QWidget(parent), session_(session), caption_(new QLabel(this)) {
    first_ = ArrowButton(this, "cmdMoveFirst", QStringLiteral("|<"));
    previous_ = ArrowButton(this, "cmdMovePrevious", QStringLiteral("<"));
    next_ = ArrowButton(this, "cmdMoveNext", QStringLiteral(">"));
    last_ = ArrowButton(this, "cmdMoveLast", QStringLiteral(">|"));
    caption_->setObjectName(QStringLiteral("lblCaption"));
    caption_->setAlignment(Qt::AlignCenter);
    caption_->setFrameShape(QFrame::StyledPanel);
    // Right-button releases belong to the control, not to its caption.
    caption_->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(first_);
    layout->addWidget(previous_);
    layout->addWidget(caption_, 1);
    layout->addWidget(next_);
    layout->addWidget(last_);
    connect(first_, &QToolButton::clicked, this, &DataControl::MoveFirst);
    connect(previous_, &QToolButton::clicked, this, &DataControl::MovePrevious);
    connect(next_, &QToolButton::clicked, this, &DataControl::MoveNext);
    connect(last_, &QToolButton::clicked, this, &DataControl::MoveLast);
}

DataControl::~DataControl() {
    if (recordset_) recordset_->close();
}

bool DataControl::ForwardOnly() const {
    return (options_ & engine::rs_option::kForwardOnly) ||
           (recordset_ && recordset_->type() == engine::RecordsetType::ForwardOnly);
}

int DataControl::EditMode() const { return recordset_ ? static_cast<int>(recordset_->editMode()) : 0; }

QString DataControl::Caption() const { return caption_->text(); }

void DataControl::SetCaption(const QString& caption) { caption_->setText(caption); }

void DataControl::SetRecordset(std::shared_ptr<engine::Recordset> recordset) {
    if (recordset_ && recordset_ != recordset) recordset_->close();
    recordset_ = std::move(recordset);
    if (recordset_) {
        recordSource_ = recordset_->name();
        recordsetType_ = ControlType(recordset_->type());
        if (recordset_->type() == engine::RecordsetType::ForwardOnly) options_ |= engine::rs_option::kForwardOnly;
        if (!database_ && session_.database) database_ = session_.database;
        if (database_) {
            databaseName_ = database_->name();
            connect_ = database_->connect();
        }
    }
    const bool scrolls = !ForwardOnly();
    first_->setEnabled(scrolls);
    previous_->setEnabled(scrolls);
    last_->setEnabled(scrolls);
    for (Binding& b : bindings_) b.changed = false;
    Q_EMIT RecordsetReplaced();
    Repositioned();
}

std::shared_ptr<engine::Database> DataControl::DatabaseFor() {
    auto same = [&](const std::shared_ptr<engine::Database>& db) {
        return db && db->isOpen() && db->name() == databaseName_ && db->connect() == connect_;
    };
    if (same(database_)) return database_;
    if (same(session_.database)) return session_.database;
    auto workspace = session_.workspace ? session_.workspace : session_.Engine().defaultWorkspace();
    return workspace->openDatabase(databaseName_, exclusive_, readOnly_, connect_);
}

void DataControl::Refresh() {
    auto database = DatabaseFor();
    int options = options_;
    engine::RecordsetType type = EngineType(recordsetType_);
    if (type == engine::RecordsetType::Snapshot && (options & engine::rs_option::kForwardOnly))
        type = engine::RecordsetType::ForwardOnly;
    auto fresh = database->openRecordset(recordSource_, type, options);
    database_ = database;
    const int keepOptions = options_;
    SetRecordset(std::move(fresh));
    options_ = keepOptions;
}

void DataControl::WriteChangedFields() {
    for (const Binding& b : bindings_) {
        if (!b.changed || !b.control) continue;
        auto field = recordset_->field(b.field);
        field->setValue(BoundValue(b.control, IsTextual(field->type())));
    }
}

void DataControl::UpdateRecord() {
    if (!recordset_) return;
    for (RowEditor* e : editors_)
        if (e->RowEdited()) e->SaveRow();
    if (recordset_->editMode() == engine::EditMode::None) {
        if (!BindingsChanged()) return;
        recordset_->edit();
    }
    WriteChangedFields();
    recordset_->update();
    SetDataChanged(false);
}

void DataControl::UpdateControls() {
    const bool adding = recordset_ && recordset_->editMode() == engine::EditMode::Add;
    const bool onRow = recordset_ && recordset_->isOpen() && !recordset_->bof() && !recordset_->eof();
    for (Binding& b : bindings_) {
        b.changed = false;
        if (!b.control) continue;
        Value v = Value::null();
        if (adding || onRow) {
            try {
                v = recordset_->field(b.field)->value();
            } catch (const EngineError&) {
                // A row deleted by someone else shows blank.
            }
        }
        const QSignalBlocker quiet(b.control);
        ShowBoundValue(b.control, v);
    }
}

void DataControl::Repositioned() {
    UpdateControls();
    Q_EMIT Reposition();
}

void DataControl::RaiseError(const EngineError& error) {
    int response = kDataErrDisplay;
    Q_EMIT Error(error.number(), error.description(), &response);
    if (response != kDataErrContinue)
        session_.Prompter().Inform(error.description(), QStringLiteral("Veranth"), platform::MessageIcon::Exclamation);
}

bool DataControl::LeaveRow(int action) {
    if (!recordset_ || !recordset_->isOpen()) return true;
    bool save = DataChanged();
    Q_EMIT Validate(action, &save);
    try {
        if (save && DataChanged()) {
            UpdateRecord();
        } else if (recordset_->editMode() != engine::EditMode::None) {
            recordset_->cancelUpdate();
        }
    } catch (const EngineError& e) {
        RaiseError(e);
        return false;
    }
    SetDataChanged(false);
    return true;
}

void DataControl::Move(int action) {
    engine::Recordset& rs = *recordset_;
    const bool empty = rs.bof() && rs.eof();
    switch (action) {
    case data_action::kMoveFirst:
        rs.moveFirst();
        break;
    case data_action::kMoveLast:
        rs.moveLast();
        break;
    case data_action::kMovePrevious:
        if (empty || rs.bof()) break;
        rs.movePrevious();
        if (rs.bof() && bofAction_ == 0) rs.moveFirst();
        break;
    case data_action::kMoveNext:
        if (!empty && !rs.eof()) rs.moveNext();
        if (rs.eof()) {
            if (eofAction_ == 0 && !empty) rs.moveLast();
            else if (eofAction_ == 2 && rs.updatable()) rs.addNew();
        }
        break;
    default:
        break;
    }
}

void DataControl::UserMove(int action) {
    if (!recordset_ || !recordset_->isOpen()) return;
    if (!LeaveRow(action)) return;
    try {
        Move(action);
    } catch (const EngineError& e) {
        RaiseError(e);
    }
    Repositioned();
}

void DataControl::MoveFirst() { UserMove(data_action::kMoveFirst); }
void DataControl::MovePrevious() { UserMove(data_action::kMovePrevious); }
void DataControl::MoveNext() { UserMove(data_action::kMoveNext); }
void DataControl::MoveLast() { UserMove(data_action::kMoveLast); }

void DataControl::Bind(QWidget* control, const QString& dataField) {
    if (!control) return;
    for (Binding& b : bindings_)
        if (b.control == control) {
            b.field = dataField;
            control->setProperty("DataField", dataField);
            return;
        }
    bindings_.push_back({control, dataField, false});
    control->setProperty("DataField", dataField);
    auto mark = [this, control] {
        for (Binding& b : bindings_)
            if (b.control == control) b.changed = true;
    };
    if (auto* box = qobject_cast<QLineEdit*>(control)) connect(box, &QLineEdit::textEdited, this, mark);
    else if (auto* check = qobject_cast<QCheckBox*>(control)) connect(check, &QCheckBox::clicked, this, mark);
    else if (auto* picture = qobject_cast<BoundPicture*>(control)) connect(picture, &BoundPicture::Changed, this, mark);
    else if (auto* ole = qobject_cast<BoundOle*>(control)) connect(ole, &BoundOle::Changed, this, mark);
}

void DataControl::UnbindAll() {
    for (Binding& b : bindings_)
        if (b.control) {
            disconnect(b.control, nullptr, this, nullptr);
            b.control->setProperty("DataField", QString());
        }
    bindings_.clear();
}

QString DataControl::DataField(const QWidget* control) const {
    for (const Binding& b : bindings_)
        if (b.control == control) return b.field;
    return QString();
}

bool DataControl::DataChanged() const {
    for (const Binding& b : bindings_)
        if (b.changed && b.control) return true;
    for (const RowEditor* e : editors_)
        if (e->RowEdited()) return true;
    return false;
}

void DataControl::DetachRowEditor(RowEditor* editor) { editors_.erase(std::remove(editors_.begin(), editors_.end(), editor), editors_.end()); }

void DataControl::SetDataChanged(bool changed) {
    for (Binding& b : bindings_) b.changed = changed;
    if (!changed)
        for (RowEditor* e : editors_) e->DropRow();
}

bool DataControl::BindingsChanged() const {
    for (const Binding& b : bindings_)
        if (b.changed && b.control) return true;
    return false;
}

void DataControl::mouseReleaseEvent(QMouseEvent* event) {
    Q_EMIT MouseUp(event->button(), event->modifiers());
    QWidget::mouseReleaseEvent(event);
}

}  // namespace veranth::views
