#include "views/data_control_window.h"

#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"
#include "engine/recordset.h"
#include "platform/widgets/form_helpers.h"
#include "views/data_control.h"
#include "views/data_control_view.h"
#include "views/data_ctl_prop_window.h"
#include "views/dyna_snap_layout.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

namespace veranth::views {

using engine::EngineError;
using platform::MessageIcon;
using platform::MessageResult;

namespace {
constexpr int kButtonStripTwips = 700;
constexpr int kDataControlTwips = 360;
constexpr int kPictureRowTwips = 280;

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}
}  // namespace

FrmDataControl::FrmDataControl(db::Session& session, std::shared_ptr<engine::Recordset> recordset, bool parameterized,
                               QWidget* parent)
    : QWidget(parent), session_(session), parameterized_(parameterized) {
    setObjectName(QStringLiteral("frmDataControl"));
    setProperty("tag", QStringLiteral("Recordset"));

    picButtons_ = new QWidget(this);
    picButtons_->setObjectName(QStringLiteral("picButtons"));
    cmdAdd_ = Button(picButtons_, "cmdAdd", QStringLiteral("&Add"));
    cmdCancelAdd_ = Button(picButtons_, "cmdCancelAdd", QStringLiteral("&Cancel"));
    cmdUpdate_ = Button(picButtons_, "cmdUpdate", QStringLiteral("&Update"));
    cmdDelete_ = Button(picButtons_, "cmdDelete", QStringLiteral("&Delete"));
    cmdFind_ = Button(picButtons_, "cmdFind", QStringLiteral("&Find"));
    cmdRefresh_ = Button(picButtons_, "cmdRefresh", QStringLiteral("&Refresh"));
    cmdClose_ = Button(picButtons_, "cmdClose", QStringLiteral("&Close"));
    cmdClose_->setShortcut(Qt::Key_Escape);
    cmdCancelAdd_->hide();
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (QPushButton* b : {cmdAdd_, cmdCancelAdd_, cmdUpdate_, cmdDelete_, cmdFind_, cmdRefresh_, cmdClose_}) buttons->addWidget(b);
    auto* lblFieldHeader = new QLabel(QStringLiteral("Field Name:"), picButtons_);
    lblFieldHeader->setObjectName(QStringLiteral("lblFieldHeader"));
    lblFieldValue_ = new QLabel(QStringLiteral("Value:"), picButtons_);
    lblFieldValue_->setObjectName(QStringLiteral("lblFieldValue"));
    auto* stripLayout = new QVBoxLayout(picButtons_);
    stripLayout->setContentsMargins(2, 2, 2, 0);
    stripLayout->addLayout(buttons);
    auto* headers = new QWidget(picButtons_);
    lblFieldHeader->setParent(headers);
    lblFieldValue_->setParent(headers);
    headers->setMinimumHeight(lblFieldHeader->sizeHint().height());
    stripLayout->addWidget(headers);

    fieldArea_ = new QWidget(this);
    picFields_ = new QWidget(fieldArea_);
    picFields_->setObjectName(QStringLiteral("picFields"));
    vsbScrollBar_ = new QScrollBar(Qt::Vertical, this);
    vsbScrollBar_->setObjectName(QStringLiteral("vsbScrollBar"));
    vsbScrollBar_->setSingleStep(300);
    vsbScrollBar_->setPageStep(3000);
    vsbScrollBar_->hide();
    datDataCtl_ = new DataControl(session_, this);
    datDataCtl_->setObjectName(QStringLiteral("datDataCtl"));

    connect(vsbScrollBar_, &QScrollBar::valueChanged, this, &FrmDataControl::ScrollFields);
    connect(datDataCtl_, &DataControl::Reposition, this, &FrmDataControl::OnReposition);
    connect(datDataCtl_, &DataControl::Validate, this, &FrmDataControl::OnValidate);
    connect(datDataCtl_, &DataControl::Error, this, &FrmDataControl::OnError);
    connect(datDataCtl_, &DataControl::MouseUp, this, [this](Qt::MouseButton b, Qt::KeyboardModifiers) { OnMouseUp(b); });
    connect(cmdAdd_, &QPushButton::clicked, this, &FrmDataControl::Add);
    connect(cmdCancelAdd_, &QPushButton::clicked, this, &FrmDataControl::CancelAdd);
    connect(cmdUpdate_, &QPushButton::clicked, this, &FrmDataControl::Update);
    connect(cmdDelete_, &QPushButton::clicked, this, &FrmDataControl::Delete);
    connect(cmdFind_, &QPushButton::clicked, this, &FrmDataControl::Find);
    connect(cmdRefresh_, &QPushButton::clicked, this, &FrmDataControl::Refresh);
    connect(cmdClose_, &QPushButton::clicked, this, [this] {
        if (parentWidget() && parentWidget()->inherits("QMdiSubWindow")) parentWidget()->close();
        else close();
    });
    Load(std::move(recordset));
}

FrmDataControl::~FrmDataControl() = default;

int FrmDataControl::Px(double twips) const { return platform::TwipsToPixels(this, twips); }

std::shared_ptr<engine::Recordset> FrmDataControl::MrsFormRecordset() const { return datDataCtl_->Recordset(); }

QWidget* FrmDataControl::BoundControl(int field) const {
    return field >= 0 && field < static_cast<int>(controls_.size()) ? controls_[static_cast<size_t>(field)].data() : nullptr;
}

void FrmDataControl::ShowWindowError(const std::exception& error) {
    const auto* engineError = dynamic_cast<const EngineError*>(&error);
    session_.Prompter().Inform(engineError ? ViewErrorMessage(*engineError) : QString::fromUtf8(error.what()));
}

void FrmDataControl::Load(std::shared_ptr<engine::Recordset> recordset) {
    try {
        if (!recordset) throw EngineError(engine::err::kInvalidOperation, QStringLiteral("There is no recordset to show."));
        if (recordset->type() == engine::RecordsetType::Table) {
            const QString index = FirstIndexName(session_, recordset->name());
            if (!index.isEmpty()) recordset->setIndex(index);
        }
        if (recordset->recordCount() > 0) {
            recordset->moveNext();
            recordset->movePrevious();
        }
        datDataCtl_->SetRecordset(std::move(recordset));
        BuildBoundControls();
        UpdateCaption();
        loaded_ = true;
    } catch (const std::exception& e) {
        ShowWindowError(e);
        loaded_ = false;
        QTimer::singleShot(0, this, [this] { cmdClose_->click(); });
    }
}

void FrmDataControl::ClearBoundControls() {
    for (auto& l : labels_)
        if (l) {
            l->setText(QString());
            l->hide();
            l->deleteLater();
        }
    for (auto& c : controls_)
        if (c) {
            c->hide();
            c->deleteLater();
        }
    datDataCtl_->UnbindAll();
    labels_.clear();
    controls_.clear();
}

void FrmDataControl::BuildBoundControls() {
    ClearBoundControls();
    auto rs = datDataCtl_->Recordset();
    const int count = rs ? rs->fields().count() : 0;
    QWidget* previous = nullptr;
    for (int i = 0; i < count; ++i) {
        auto field = rs->field(i);
        auto* label = new QLabel(field->name() + QLatin1Char(':'), picFields_);
        label->setObjectName(QStringLiteral("lblFieldName(%1)").arg(i));
        QWidget* control = nullptr;
        switch (ControlKindFor(field->type(), datDataCtl_->Tag())) {
        case BoundKind::CheckBox:
            control = new QCheckBox(picFields_);
            control->setObjectName(QStringLiteral("chkFieldData(%1)").arg(i));
            break;
        case BoundKind::PictureBox: {
            auto* picture = new BoundPicture(picFields_);
            picture->setObjectName(QStringLiteral("picFieldData(%1)").arg(i));
            connect(picture, &BoundPicture::Clicked, this, [this, picture] { picture->ToggleSize(Px(kPictureRowTwips)); });
            connect(picture, &BoundPicture::DoubleClicked, this, [this, picture] { LoadPicture(picture); });
            control = picture;
            break;
        }
        case BoundKind::OleBox: {
            auto* ole = new BoundOle(picFields_);
            ole->setObjectName(QStringLiteral("oleFieldData(%1)").arg(i));
            connect(ole, &BoundOle::ActionRequested, this, [this, ole] {
                session_.Prompter().Inform(ole->Bytes().isEmpty() ? QStringLiteral("The field holds no object.")
                                                                  : QStringLiteral("OLE Object of %1 bytes").arg(ole->Bytes().size()),
                                           QStringLiteral("Veranth"), MessageIcon::Information);
            });
            control = ole;
            break;
        }
        case BoundKind::TextBox: {
            auto* box = new QLineEdit(picFields_);
            box->setObjectName(QStringLiteral("txtFieldData(%1)").arg(i));
            if (field->type() == engine::FieldType::Text && field->size() > 0) box->setMaxLength(field->size());
            box->installEventFilter(this);
            control = box;
            break;
        }
        }
        label->show();
        control->show();
        if (previous) setTabOrder(previous, control);
        previous = control;
        labels_.emplace_back(label);
        controls_.emplace_back(control);
        datDataCtl_->Bind(control, field->name());
    }
    const DataFormSize size = DataControlFormSize(count);
    vsbScrollBar_->setVisible(size.scrollBar);
    vsbScrollBar_->setRange(0, std::max(0, count * kDataFieldRowTwips - 3000));
    vsbScrollBar_->setValue(0);
    resize(Px(size.width), Px(size.height));
    datDataCtl_->UpdateControls();
    LayOut();
}

void FrmDataControl::LayOut() {
    if (resizing_ || suspend_) return;
    resizing_ = true;
    const int width = this->width();
    const int strip = Px(kButtonStripTwips);
    const int dataHeight = Px(kDataControlTwips);
    const bool scroll = vsbScrollBar_->isVisible();
    const int scrollWidth = scroll ? Px(260) : 0;
    picButtons_->setGeometry(0, 0, width - Px(20), strip);
    datDataCtl_->setGeometry(0, height() - dataHeight, width, dataHeight);
    fieldArea_->setGeometry(0, strip, width - scrollWidth, std::max(0, height() - strip - dataHeight));
    vsbScrollBar_->setGeometry(width - scrollWidth, strip, scrollWidth, std::max(0, height() - strip - dataHeight));
    const double usable = platform::PixelsToTwips(this, fieldArea_->width()) - 50;
    picFields_->resize(fieldArea_->width(), Px(static_cast<double>(controls_.size()) * kDataFieldRowTwips + 60));
    auto rs = datDataCtl_->Recordset();
    int valueLeft = 0;
    for (size_t i = 0; i < controls_.size(); ++i) {
        if (!labels_[i] || !controls_[i]) continue;
        const int top = Px(static_cast<double>(i) * kDataFieldRowTwips + 30);
        const int rowHeight = Px(kDataFieldRowTwips - 40);
        labels_[i]->setGeometry(Px(60), top, Px(usable * 0.3 - 100), rowHeight);
        const auto type = rs ? rs->field(static_cast<int>(i))->type() : engine::FieldType::Text;
        const double w = static_cast<int>(type) >= static_cast<int>(engine::FieldType::Text) ? usable * 0.7 - 270 : TypeBoxWidth(type);
        valueLeft = labels_[i]->geometry().right() + Px(200);
        const int h = qobject_cast<BoundPicture*>(controls_[i].data()) ? controls_[i]->height() : rowHeight;
        controls_[i]->setGeometry(valueLeft, top, Px(std::max(300.0, w)), std::max(h, rowHeight));
    }
    lblFieldValue_->move(valueLeft > 0 ? valueLeft : Px(usable * 0.3 + 200), 0);
    resizing_ = false;
}

void FrmDataControl::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (isMinimized()) return;
    LayOut();
}

void FrmDataControl::ScrollFields(int value) {
    const int snapped = (value / kDataFieldRowTwips) * kDataFieldRowTwips;
    picFields_->move(0, -Px(snapped));
}

void FrmDataControl::FocusFirst() {
    if (!controls_.empty() && controls_.front()) controls_.front()->setFocus();
}

void FrmDataControl::UpdateCaption() {
    auto rs = datDataCtl_->Recordset();
    if (!rs || !rs->isOpen()) return;
    try {
        rows_ = rs->recordCount();
        if (datDataCtl_->EditMode() == static_cast<int>(engine::EditMode::Add)) return;
        const bool countOnly = rs->type() == engine::RecordsetType::Table && TableWithoutIndexes(session_, rs->name());
        const bool updatable = rs->updatable();
        datDataCtl_->SetCaption(DataControlCaption(rs->bof(), rs->eof(), rs->percentPosition(), rows_, countOnly,
                                                   datDataCtl_->ForwardOnly(), updatable));
        for (QPushButton* b : {cmdAdd_, cmdCancelAdd_, cmdUpdate_, cmdDelete_}) b->setEnabled(updatable);
        cmdCancelAdd_->hide();
        cmdAdd_->show();
    } catch (const EngineError& e) {
        if (e.number() != engine::err::kNoCurrentRecord) ShowWindowError(e);
    }
}

void FrmDataControl::OnReposition() {
    if (suspend_) return;
    auto rs = datDataCtl_->Recordset();
    if (!rs || !rs->isOpen()) return;
    if (rs->bof() && rs->eof() && datDataCtl_->EditMode() != static_cast<int>(engine::EditMode::Add) && rs->updatable()) {
        Add();
        return;
    }
    UpdateCaption();
}

void FrmDataControl::OnValidate(int action, bool* save) {
    if (cancellingAdd_) {
        *save = false;
        cancellingAdd_ = false;
        return;
    }
    if (!*save) return;
    const bool adding = datDataCtl_->EditMode() == static_cast<int>(engine::EditMode::Add);
    const QString question = ValidateQuestion(action, adding);
    if (question.isEmpty()) return;
    if (session_.Prompter().Ask(question) == MessageResult::Yes) {
        if (adding && action >= data_action::kMoveFirst && action <= data_action::kMoveLast) ++rows_;
    } else {
        *save = false;
    }
}

void FrmDataControl::OnError(int dataError, const QString& description, int* response) {
    QString message;
    if (DataErrorShown(dataError, description, &message)) session_.Prompter().Inform(message);
    *response = kDataErrContinue;
}

void FrmDataControl::OnMouseUp(Qt::MouseButton button) {
    if (button != Qt::RightButton) return;
    if (parameterized_) {
        session_.Prompter().Inform(QLatin1String(kNotForParameterized), QStringLiteral("Veranth"), MessageIcon::Information);
        return;
    }
    try {
        session_.Status().SetBusy(true);
        const QString source = datDataCtl_->RecordSource(), database = datDataCtl_->DatabaseName(), tag = datDataCtl_->Tag();
        FrmDataCtlProp dialog(session_, *datDataCtl_, suspend_, this);
        if (dialog.exec() != QDialog::Accepted) {
            session_.Status().SetBusy(false);
            return;
        }
        const bool changed = source != datDataCtl_->RecordSource() || database != datDataCtl_->DatabaseName() ||
                             tag != datDataCtl_->Tag();
        if (changed) ClearBoundControls();
        datDataCtl_->Refresh();
        if (changed) {
            auto clone = datDataCtl_->ForwardOnly() ? nullptr : datDataCtl_->Recordset()->clone();
            rows_ = 0;
            if (clone) {
                clone->moveFirst();
                if (!clone->eof()) {
                    clone->moveLast();
                    rows_ = clone->recordCount();
                }
                clone->close();
            }
            suspend_ = false;
            BuildBoundControls();
            UpdateCaption();
        } else if (datDataCtl_->ForwardOnly()) {
            suspend_ = false;
            UpdateCaption();
        }
        suspend_ = false;
        if (tag != datDataCtl_->Tag()) LayOut();
        session_.Status().SetBusy(false);
    } catch (const EngineError& e) {
        suspend_ = false;
        session_.Status().SetBusy(false);
        db::ShowError(session_, e);
        cmdClose_->click();
    }
}

void FrmDataControl::Add() {
    auto rs = datDataCtl_->Recordset();
    if (!rs) return;
    try {
        QByteArray bookmark;
        if (rs->recordCount() > 0 && !rs->bof() && !rs->eof()) bookmark = rs->bookmark();
        rs->addNew();
        addBookmark_ = bookmark;
        datDataCtl_->UpdateControls();
        datDataCtl_->SetCaption(QStringLiteral("New Record"));
        cmdAdd_->hide();
        cmdCancelAdd_->show();
        if (!addBookmark_.isEmpty()) FocusFirst();
    } catch (const EngineError& e) {
        ShowWindowError(e);
    }
}

void FrmDataControl::CancelAdd() {
    cancellingAdd_ = true;
    try {
        auto rs = datDataCtl_->Recordset();
        if (!addBookmark_.isEmpty()) {
            datDataCtl_->LeaveRow(data_action::kBookmark);
            rs->setBookmark(addBookmark_);
        } else {
            datDataCtl_->LeaveRow(data_action::kCancel);
        }
        addBookmark_.clear();
        datDataCtl_->Repositioned();
    } catch (const EngineError&) {
        // Nothing to go back to: the new record is dropped either way.
    }
    cancellingAdd_ = false;
}

void FrmDataControl::Update() {
    auto rs = datDataCtl_->Recordset();
    if (!rs) return;
    const bool adding = datDataCtl_->EditMode() == static_cast<int>(engine::EditMode::Add);
    if (session_.Prompter().Ask(adding ? QStringLiteral("Save New Record?") : QStringLiteral("Commit Changes?")) !=
        MessageResult::Yes)
        return;
    session_.Status().SetBusy(true);
    try {
        datDataCtl_->UpdateRecord();
        if (adding) {
            ++rows_;
            rs->moveLast();
        }
        addBookmark_.clear();
        datDataCtl_->Repositioned();
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
    session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
    session_.Status().SetBusy(false);
}

void FrmDataControl::Delete() {
    auto rs = datDataCtl_->Recordset();
    if (!rs) return;
    if (session_.Prompter().Ask(QStringLiteral("Delete Current Record?")) != MessageResult::Yes) return;
    try {
        datDataCtl_->SetDataChanged(false);
        rs->remove();
        --rows_;
        rs->moveNext();
        if (rs->eof() && rows_ > 0) rs->moveLast();
        datDataCtl_->Repositioned();
        FocusFirst();
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
}

void FrmDataControl::Find() {
    auto rs = datDataCtl_->Recordset();
    if (!rs) return;
    const bool table = rs->type() == engine::RecordsetType::Table;
    const auto answer = session_.Prompter().Input(
        {table ? QStringLiteral("Enter Seek Value:") : QStringLiteral("Enter Search Expression:"), QStringLiteral("Veranth"), QString()});
    if (!answer || answer->isEmpty()) return;
    try {
        if (!datDataCtl_->LeaveRow(data_action::kFind)) return;
        QByteArray back;
        if (!rs->bof() && !rs->eof()) back = rs->bookmark();
        if (table) rs->seek(QStringLiteral("="), {engine::Value::string(*answer)});
        else rs->findFirst(*answer);
        if (rs->noMatch() && !back.isEmpty()) rs->setBookmark(back);
        datDataCtl_->Repositioned();
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    }
    FocusFirst();
}

void FrmDataControl::Refresh() {
    if (parameterized_) {
        session_.Prompter().Inform(QLatin1String(kNotForParameterized), QStringLiteral("Veranth"), MessageIcon::Information);
        return;
    }
    try {
        datDataCtl_->Refresh();
    } catch (const EngineError& e) {
        ShowWindowError(e);
    }
}

void FrmDataControl::LoadPicture(QWidget* picture) {
    platform::FileDialogRequest request;
    request.title = QStringLiteral("Select a Picture File to Load");
    request.filter = QStringLiteral("Bitmaps (*.bmp)|*.bmp|Icons (*.ico)|*.ico|Metafiles (*.wmf)|*.wmf|All Files (*.*)|*.*");
    request.filterIndex = 1;
    const auto result = session_.Prompter().FileDialog(request);
    if (!result.accepted || result.fileName.isEmpty()) return;
    QFile file(result.fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        session_.Prompter().Inform(QStringLiteral("Error:75 Path/File access error"));
        return;
    }
    static_cast<BoundPicture*>(picture)->LoadBytes(file.readAll());
}

bool FrmDataControl::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && qobject_cast<QLineEdit*>(watched)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();  // Enter moves on as Tab does
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmDataControl::closeEvent(QCloseEvent* event) {
    if (!closing_) {
        closing_ = true;
        try {
            datDataCtl_->LeaveRow(data_action::kUnload);
        } catch (const std::exception&) {
        }
        session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
    }
    QWidget::closeEvent(event);
}

}  // namespace veranth::views
