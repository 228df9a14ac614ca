#include "views/table_obj_window.h"

#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"
#include "engine/recordset.h"
#include "platform/widgets/form_helpers.h"
#include "views/display_record.h"
#include "views/dyna_snap_layout.h"
#include "views/seek_form.h"
#include "views/table_obj_view.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QTimer>
#include <QVBoxLayout>

namespace veranth::views {

using engine::EngineError;
using platform::MessageResult;

namespace {
QPushButton* Button(QWidget* parent, QLayout* layout, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(b);
    return b;
}
}  // namespace

FrmTableObj::FrmTableObj(db::Session& session, std::shared_ptr<engine::Recordset> recordset, QWidget* parent)
    : QWidget(parent), session_(session), recordset_(std::move(recordset)), seek_(new FrmSeek(this)) {
    setObjectName(QStringLiteral("frmTableObj"));
    setProperty("tag", QStringLiteral("Recordset"));
    picViewButtons_ = new QWidget(this);
    picViewButtons_->setObjectName(QStringLiteral("picViewButtons"));
    auto* view = new QHBoxLayout(picViewButtons_);
    view->setContentsMargins(2, 2, 2, 2);
    auto* cmdAdd = Button(picViewButtons_, view, "cmdAdd", QStringLiteral("&Add"));
    auto* cmdEdit = Button(picViewButtons_, view, "cmdEdit", QStringLiteral("&Edit"));
    auto* cmdDelete = Button(picViewButtons_, view, "cmdDelete", QStringLiteral("&Delete"));
    auto* cmdSeek = Button(picViewButtons_, view, "cmdSeek", QStringLiteral("&Seek"));
    auto* cmdFilter = Button(picViewButtons_, view, "cmdFilter", QStringLiteral("F&ilter"));
    auto* cmdClose = Button(picViewButtons_, view, "cmdClose", QStringLiteral("&Close"));
    cmdClose->setShortcut(Qt::Key_Escape);
    auto* lblIndex = new QLabel(QStringLiteral("Index:"), picViewButtons_);
    lblIndex->setObjectName(QStringLiteral("lblIndex"));
    cboIndexes_ = new QComboBox(picViewButtons_);
    cboIndexes_->setObjectName(QStringLiteral("cboIndexes"));
    cboIndexes_->setFocusPolicy(Qt::NoFocus);
    view->addWidget(lblIndex);
    view->addWidget(cboIndexes_, 1);
    picChangeButtons_ = new QWidget(this);
    picChangeButtons_->setObjectName(QStringLiteral("picChangeButtons"));
    auto* change = new QHBoxLayout(picChangeButtons_);
    change->setContentsMargins(2, 2, 2, 2);
    auto* cmdUpdate = Button(picChangeButtons_, change, "cmdUpdate", QStringLiteral("&Update"));
    auto* cmdCancel = Button(picChangeButtons_, change, "cmdCancel", QStringLiteral("&Cancel"));
    change->addStretch();
    picChangeButtons_->hide();

    auto* header = new QWidget(this);
    header->setObjectName(QStringLiteral("picFieldHeader"));
    auto* headerLayout = new QHBoxLayout(header);
    headerLayout->setContentsMargins(4, 0, 4, 0);
    auto* lblFieldHdr = new QLabel(QStringLiteral("Field NAme:"), header);
    lblFieldHdr->setObjectName(QStringLiteral("lblFieldHdr"));
    auto* lblFieldValue = new QLabel(QStringLiteral("Value (F4=Zoom)"), header);
    lblFieldValue->setObjectName(QStringLiteral("lblFieldValue"));
    headerLayout->addWidget(lblFieldHdr, 3);
    headerLayout->addWidget(lblFieldValue, 7);

    auto* scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("vsbScrollBar"));
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    auto* picFields = new QWidget;
    picFields->setObjectName(QStringLiteral("picFields"));
    auto* fields = new QGridLayout(picFields);
    fields->setVerticalSpacing(2);
    scroll->setWidget(picFields);

    auto* picStatBox = new QWidget(this);
    picStatBox->setObjectName(QStringLiteral("picStatBox"));
    auto* stat = new QHBoxLayout(picStatBox);
    stat->setContentsMargins(2, 2, 2, 2);
    navigation_.push_back(Button(picStatBox, stat, "cmdFirst", QStringLiteral("|<")));
    navigation_.push_back(Button(picStatBox, stat, "cmdPrevious", QStringLiteral("<")));
    lblStatus_ = new QLabel(picStatBox);
    lblStatus_->setObjectName(QStringLiteral("lblStatus"));
    lblStatus_->setFrameShape(QFrame::Box);
    lblStatus_->setAutoFillBackground(true);
    lblStatus_->setStyleSheet(QStringLiteral("background: white"));
    stat->addWidget(lblStatus_, 1);
    navigation_.push_back(Button(picStatBox, stat, "cmdNext", QStringLiteral(">")));
    navigation_.push_back(Button(picStatBox, stat, "cmdLast", QStringLiteral(">|")));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(picViewButtons_);
    layout->addWidget(picChangeButtons_);
    layout->addWidget(header);
    layout->addWidget(scroll, 1);
    layout->addWidget(picStatBox);

    connect(cmdAdd, &QPushButton::clicked, this, &FrmTableObj::Add);
    connect(cmdEdit, &QPushButton::clicked, this, &FrmTableObj::Edit);
    connect(cmdDelete, &QPushButton::clicked, this, &FrmTableObj::Delete);
    connect(cmdSeek, &QPushButton::clicked, this, &FrmTableObj::Seek);
    connect(cmdFilter, &QPushButton::clicked, this, &FrmTableObj::Filter);
    connect(cmdClose, &QPushButton::clicked, this, &FrmTableObj::CloseWindow);
    connect(cmdUpdate, &QPushButton::clicked, this, &FrmTableObj::Update);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmTableObj::Cancel);
    const TableMove moves[4] = {TableMove::First, TableMove::Previous, TableMove::Next, TableMove::Last};
    for (int i = 0; i < 4; ++i) connect(navigation_[static_cast<size_t>(i)], &QPushButton::clicked, this, [this, m = moves[i]] { Navigate(m); });

    setFocusPolicy(Qt::StrongFocus);
    try {
        if (!recordset_) throw EngineError(engine::err::kInvalidOperation, QStringLiteral("There is no recordset to show."));
        session_.Status().SetBusy(true);
        db::ShowStatus(session_, QStringLiteral("Opening Table"), true);
        tableName_ = recordset_->name();
        QStringList entries;
        if (session_.database) {
            try {
                entries = IndexListEntries(*session_.database->tableDefs().item(tableName_));
            } catch (const EngineError&) {
            }
        }
        cboIndexes_->addItems(entries);
        if (session_.connection.dataType == QLatin1String(db::kAccessDataType)) recordset_->setLockEdits(true);
        rows_ = recordset_->recordCount();
        const int count = recordset_->fields().count();
        for (int i = 0; i < count; ++i) {
            auto field = recordset_->field(i);
            auto* label = new QLabel(field->name() + QLatin1Char(':'), picFields);
            label->setObjectName(QStringLiteral("lblFieldName(%1)").arg(i));
            auto* box = new QLineEdit(picFields);
            box->setObjectName(QStringLiteral("txtFieldData(%1)").arg(i));
            box->setReadOnly(true);
            box->setMinimumWidth(platform::TwipsToPixels(this, TypeBoxWidth(field->type())) / 2);
            if (field->type() == engine::FieldType::Text && field->size() > 0) box->setMaxLength(field->size());
            connect(box, &QLineEdit::textEdited, this, [this, i] { changedBox_ = i; });
            connect(box, &QLineEdit::editingFinished, this, [this, i] { WriteBox(i); });
            fields->addWidget(label, i, 0);
            fields->addWidget(box, i, 1);
            boxes_.push_back(box);
        }
        fields->setRowStretch(count, 1);
        const TableFormSize size = TableObjFormSize(count);
        resize(platform::TwipsToPixels(this, size.width), platform::TwipsToPixels(this, size.height));
        move(platform::TwipsToPixels(this, 1000), platform::TwipsToPixels(this, 1000));
        connect(cboIndexes_, &QComboBox::currentIndexChanged, this, &FrmTableObj::IndexChosen);
        if (entries.isEmpty()) Display();
        else IndexChosen();
        session_.Status().SetBusy(false);
        db::ShowStatus(session_, QString());
        loaded_ = true;
    } catch (const EngineError& e) {
        session_.Status().SetBusy(false);
        db::ShowError(session_, e);
        QTimer::singleShot(0, this, &FrmTableObj::CloseWindow);
    }
}

FrmTableObj::~FrmTableObj() {
    if (recordset_) recordset_->close();
}

void FrmTableObj::CloseWindow() {
    if (parentWidget() && parentWidget()->inherits("QMdiSubWindow")) parentWidget()->close();
    else close();
}

void FrmTableObj::closeEvent(QCloseEvent* event) {
    session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
    db::ShowStatus(session_, QString());
    QWidget::closeEvent(event);
}

void FrmTableObj::Display() {
    if (!recordset_) return;
    const RecordDisplay d = DisplayRecord(session_, *recordset_, static_cast<std::int32_t>(rows_), adding_);
    lblStatus_->setText(d.status);
    if (d.fieldsWritten)
        for (size_t i = 0; i < boxes_.size() && i < static_cast<size_t>(d.fieldTexts.size()); ++i)
            boxes_[i]->setText(d.fieldTexts[static_cast<qsizetype>(i)]);
    changedBox_ = -1;
}

void FrmTableObj::IndexChosen() {
    if (!recordset_ || cboIndexes_->currentIndex() < 0) return;
    const QString name = IndexNameOfEntry(cboIndexes_->currentText());
    if (name == recordset_->index()) return;
    try {
        recordset_->setIndex(name);
        Display();
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

void FrmTableObj::Navigate(TableMove move) {
    try {
        switch (move) {
        case TableMove::First: recordset_->moveFirst(); break;
        case TableMove::Previous: recordset_->movePrevious(); break;
        case TableMove::Next: recordset_->moveNext(); break;
        case TableMove::Last: recordset_->moveLast(); break;
        case TableMove::None: return;
        }
        Display();
        if (move == TableMove::First) db::ShowStatus(session_, QString());
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

void FrmTableObj::keyPressEvent(QKeyEvent* event) {
    if (!editing_ && !adding_) {
        const TableMove move = TableKeyMove(event->key(), event->modifiers() & Qt::ControlModifier);
        if (move != TableMove::None) {
            Navigate(move);
            return;
        }
    }
    QWidget::keyPressEvent(event);
}

void FrmTableObj::Seek() {
    if (!recordset_ || recordset_->recordCount() == 0) return;
    try {
        for (;;) {
            db::ShowStatus(session_, QStringLiteral("Enter Seek Parameters"));
            seek_->exec();
            const SeekRequest request = seek_->Request();
            if (request.value.isEmpty()) break;
            QByteArray back;
            if (!recordset_->bof() && !recordset_->eof()) back = recordset_->bookmark();
            recordset_->seek(request.op, {engine::Value::string(request.value)});
            if (!recordset_->noMatch() || back.isEmpty()) {
                Display();
                break;
            }
            session_.Prompter().Beep();
            session_.Prompter().Inform(QStringLiteral("Record Not Found"), QStringLiteral("Veranth"),
                                       platform::MessageIcon::Exclamation);
            recordset_->setBookmark(back);
        }
    } catch (const EngineError& e) {
        session_.Prompter().Inform(e.description());
    }
    db::ShowStatus(session_, QString());
}

void FrmTableObj::Filter() {
    const auto answer = session_.Prompter().Input({QStringLiteral("Enter Filter Expression:"), QStringLiteral("Veranth"), QString()});
    if (!answer || answer->isEmpty()) return;
    try {
        const QString sql = TableFilterStatement(tableName_, *answer);
        db::RecordsetWindowRequest request;
        request.kind = db::ViewWindowKind::DynaSnap;
        request.recordset = session_.database->openRecordset(sql, engine::RecordsetType::Dynaset);
        request.caption = sql.size() <= 50 ? sql : QStringLiteral("SQL Statement");
        session_.Windows().ShowRecordsetWindow(request);
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

void FrmTableObj::SetChanging(bool changing) {
    picChangeButtons_->setVisible(changing);
    picViewButtons_->setVisible(!changing);
    for (QPushButton* b : navigation_) b->setEnabled(!changing);
    for (QLineEdit* box : boxes_) box->setReadOnly(!changing);
    if (changing && !boxes_.empty()) boxes_.front()->setFocus();
}

void FrmTableObj::WriteBox(int i) {
    if (changedBox_ != i || (!editing_ && !adding_)) return;
    changedBox_ = -1;
    try {
        const QString text = boxes_[static_cast<size_t>(i)]->text();
        const auto type = recordset_->field(i)->type();
        const bool textual = type == engine::FieldType::Text || type == engine::FieldType::Memo;
        recordset_->field(i)->setValue(text.isEmpty() && !textual ? engine::Value::null() : engine::Value::string(text));
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

void FrmTableObj::Add() {
    try {
        bookmark_ = recordset_->recordCount() > 0 && !recordset_->bof() && !recordset_->eof() ? recordset_->bookmark() : QByteArray();
        recordset_->addNew();
        lblStatus_->setText(QStringLiteral("Add record"));
        adding_ = true;
        SetChanging(true);
        for (QLineEdit* box : boxes_) box->clear();
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

void FrmTableObj::Edit() {
    try {
        recordset_->edit();
        lblStatus_->setText(QStringLiteral("Edit record"));
        editing_ = true;
        bookmark_ = recordset_->bookmark();
        SetChanging(true);
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

void FrmTableObj::Update() {
    if (changedBox_ >= 0) WriteBox(changedBox_);
    try {
        recordset_->update();
        if (session_.connection.inTransaction) session_.connection.pendingChanges = true;
        if (adding_) {
            ++rows_;
            recordset_->moveLast();
        }
        editing_ = adding_ = false;
        SetChanging(false);
        Display();
        session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

void FrmTableObj::Cancel() {
    SetChanging(false);
    editing_ = adding_ = false;
    try {
        if (recordset_->editMode() != engine::EditMode::None) recordset_->cancelUpdate();
        if (!bookmark_.isEmpty()) recordset_->setBookmark(bookmark_);
    } catch (const EngineError&) {
    }
    Display();
    session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
}

void FrmTableObj::Delete() {
    if (session_.Prompter().Ask(QStringLiteral("Delete Current Record?")) != MessageResult::Yes) return;
    try {
        recordset_->remove();
        if (session_.connection.inTransaction) session_.connection.pendingChanges = true;
        if (!recordset_->eof()) recordset_->moveNext();
        --rows_;
        Display();
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

}  // namespace veranth::views
