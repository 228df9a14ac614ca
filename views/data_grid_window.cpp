#include "views/data_grid_window.h"

#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"
#include "engine/recordset.h"
#include "platform/widgets/form_helpers.h"
#include "views/bound_grid.h"
#include "views/data_control.h"
#include "views/data_control_view.h"
#include "views/data_ctl_prop_window.h"
#include "views/data_grid_view.h"
#include "views/lazy_grid_model.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace veranth::views {

using engine::EngineError;
using platform::MessageResult;

namespace {
QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    return b;
}
}  // namespace

FrmDataGrid::FrmDataGrid(db::Session& session, std::shared_ptr<engine::Recordset> recordset, QWidget* parent)
    : QWidget(parent), session_(session) {
    setObjectName(QStringLiteral("frmDataGrid"));
    setProperty("tag", QStringLiteral("Recordset"));
    picButtons_ = new QWidget(this);
    picButtons_->setObjectName(QStringLiteral("picButtons"));
    auto* cmdRefresh = Button(picButtons_, "cmdRefresh", QStringLiteral("&Refresh"));
    auto* cmdSort = Button(picButtons_, "cmdSort", QStringLiteral("&Sort"));
    auto* cmdFilter = Button(picButtons_, "cmdFilter", QStringLiteral("&Filter"));
    auto* cmdClose = Button(picButtons_, "cmdClose", QStringLiteral("&Close"));
    cmdClose->setShortcut(Qt::Key_Escape);
    // How many rows the grid knows of: "1200+" while it is still counting.
    lblRowCount_ = new QLabel(picButtons_);
    lblRowCount_->setObjectName(QStringLiteral("lblRowCount"));
    auto* strip = new QHBoxLayout(picButtons_);
    strip->setContentsMargins(2, 2, 2, 2);
    for (QPushButton* b : {cmdRefresh, cmdSort, cmdFilter, cmdClose}) strip->addWidget(b);
    strip->addStretch();
    strip->addWidget(lblRowCount_);

    grdDataGrid_ = new BoundGrid(this);
    grdDataGrid_->setObjectName(QStringLiteral("grdDataGrid"));
    datDataCtl_ = new DataControl(session_, this);
    datDataCtl_->setObjectName(QStringLiteral("datDataCtl"));
    datDataCtl_->SetCaption(QStringLiteral("Right Click for Data Control Properties"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);
    layout->addWidget(picButtons_);
    layout->addWidget(grdDataGrid_, 1);
    layout->addWidget(datDataCtl_);

    connect(cmdRefresh, &QPushButton::clicked, this, &FrmDataGrid::Refresh);
    connect(cmdSort, &QPushButton::clicked, this, &FrmDataGrid::Sort);
    connect(cmdFilter, &QPushButton::clicked, this, &FrmDataGrid::Filter);
    connect(cmdClose, &QPushButton::clicked, this, &FrmDataGrid::CloseWindow);
    connect(grdDataGrid_, &BoundGrid::HeadClick, this, &FrmDataGrid::HeadClick);
    connect(grdDataGrid_, &BoundGrid::MouseEvent, this,
            [this](Qt::MouseButton, Qt::KeyboardModifiers modifiers) { shiftState_ = modifiers; });
    connect(grdDataGrid_, &BoundGrid::CountChanged, lblRowCount_, [this](const QString& text) {
        lblRowCount_->setText(text + QStringLiteral(" Rows"));
    });
    connect(grdDataGrid_, &BoundGrid::BeforeDelete, this, [this](bool* cancel) {
        *cancel = session_.Prompter().Ask(QStringLiteral("Delete Current Row?")) != MessageResult::Yes;
    });
    connect(datDataCtl_, &DataControl::Validate, this, [this](int, bool* save) {
        if (*save && session_.Prompter().Ask(QStringLiteral("Commit changes?")) != MessageResult::Yes) *save = false;
    });
    connect(datDataCtl_, &DataControl::Error, this, [this](int number, const QString& description, int* response) {
        session_.Prompter().Inform(QStringLiteral("Error:") + QString::number(number) + QLatin1Char(' ') + description);
        *response = kDataErrContinue;
    });
    connect(datDataCtl_, &DataControl::MouseUp, this, [this](Qt::MouseButton b, Qt::KeyboardModifiers) { OnMouseUp(b); });

    try {
        if (!recordset) throw EngineError(engine::err::kInvalidOperation, QStringLiteral("There is no recordset to show."));
        grdDataGrid_->SetDataSource(datDataCtl_);
        datDataCtl_->SetRecordset(std::move(recordset));
        datDataCtl_->SetCaption(QStringLiteral("Right Click for Data Control Properties"));
        resize(platform::TwipsToPixels(this, 5865), platform::TwipsToPixels(this, 5070));
        loaded_ = true;
    } catch (const std::exception& e) {
        ShowGridError(e);
        QTimer::singleShot(0, this, &FrmDataGrid::CloseWindow);
    }
}

FrmDataGrid::~FrmDataGrid() = default;

std::shared_ptr<engine::Recordset> FrmDataGrid::MrsFormRecordset() const { return datDataCtl_->Recordset(); }

void FrmDataGrid::ShowGridError(const std::exception& error) {
    const auto* engineError = dynamic_cast<const EngineError*>(&error);
    session_.Prompter().Inform(engineError ? ViewErrorMessage(*engineError) : QString::fromUtf8(error.what()));
}

void FrmDataGrid::CloseWindow() {
    if (parentWidget() && parentWidget()->inherits("QMdiSubWindow")) parentWidget()->close();
    else close();
}

void FrmDataGrid::resizeEvent(QResizeEvent* event) { QWidget::resizeEvent(event); }

void FrmDataGrid::closeEvent(QCloseEvent* event) {
    try {
        datDataCtl_->LeaveRow(data_action::kUnload);
    } catch (const std::exception&) {
    }
    QWidget::closeEvent(event);
}

void FrmDataGrid::Refresh() {
    auto rs = datDataCtl_->Recordset();
    if (!rs) return;
    try {
        rs->requery();
        grdDataGrid_->ReBind();
        datDataCtl_->Repositioned();
    } catch (const EngineError& e) {
        ShowGridError(e);
    }
}

void FrmDataGrid::Reordered(Reorder what, const QString& text) {
    auto rs = datDataCtl_->Recordset();
    try {
        session_.Status().SetBusy(true);
        auto fresh = ReorderedRecordset(session_, *rs, what, text);
        datDataCtl_->SetRecordset(std::move(fresh));
        datDataCtl_->SetCaption(QStringLiteral("Right Click for Data Control Properties"));
    } catch (const EngineError& e) {
        session_.Status().SetBusy(false);
        db::ShowStatus(session_, QString());
        ShowGridError(e);
    }
}

void FrmDataGrid::Sort() {
    auto rs = datDataCtl_->Recordset();
    if (!rs || RefusedOnTableRecordset(session_, *rs, Reorder::Sort)) return;
    QString text = pendingSort_;
    if (text.isEmpty()) {
        const auto answer = session_.Prompter().Input({QStringLiteral("Enter Sort Column:"), QStringLiteral("Veranth"), QString()});
        if (!answer || answer->isEmpty()) return;
        text = *answer;
    }
    Reordered(Reorder::Sort, text);
}

void FrmDataGrid::Filter() {
    auto rs = datDataCtl_->Recordset();
    if (!rs || RefusedOnTableRecordset(session_, *rs, Reorder::Filter)) return;
    const auto answer = session_.Prompter().Input({QStringLiteral("Enter Filter Expression:"), QStringLiteral("Veranth"), QString()});
    Reordered(Reorder::Filter, answer.value_or(QString()));
}

void FrmDataGrid::HeadClick(int column) {
    auto rs = datDataCtl_->Recordset();
    if (!rs) return;
    const bool keyHeld = shiftState_ != Qt::NoModifier;
    const auto sort = HeaderSort(rs->type() == engine::RecordsetType::Table, grdDataGrid_->Model()->FieldType(column),
                                 grdDataGrid_->Model()->FieldName(column), keyHeld);
    if (!sort) return;
    if (keyHeld) shiftState_ = Qt::NoModifier;
    pendingSort_ = *sort;
    Sort();
    pendingSort_.clear();
}

void FrmDataGrid::OnMouseUp(Qt::MouseButton button) {
    if (button != Qt::RightButton) return;
    try {
        session_.Status().SetBusy(true);
        const QString source = datDataCtl_->RecordSource(), database = datDataCtl_->DatabaseName();
        FrmDataCtlProp dialog(session_, *datDataCtl_, suspend_, this);
        if (dialog.exec() != QDialog::Accepted) {
            session_.Status().SetBusy(false);
            return;
        }
        datDataCtl_->Refresh();  // the grid rebuilds its columns from the new recordset
        datDataCtl_->SetCaption(QStringLiteral("Right Click for Data Control Properties"));
        suspend_ = false;
        session_.Status().SetBusy(false);
    } catch (const EngineError& e) {
        suspend_ = false;
        session_.Status().SetBusy(false);
        ShowGridError(e);
        CloseWindow();
    }
}

}  // namespace veranth::views
