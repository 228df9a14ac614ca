#include "views/zoom_form.h"

#include "platform/widgets/form_helpers.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QResizeEvent>
#include <QTextCursor>
#include <QVBoxLayout>

namespace veranth::views {

FrmZoom::FrmZoom(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmZoom"));
    setModal(true);
    txtZoomData_ = new QLineEdit(this);
    txtZoomData_->setObjectName(QStringLiteral("txtZoomData"));
    // A zoom holds a Memo's first 20050 characters, more than a line box takes by default.
    txtZoomData_->setMaxLength(1 << 20);
    txtMemo_ = new QPlainTextEdit(this);
    txtMemo_->setObjectName(QStringLiteral("txtMemo"));
    txtMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtMemo_->hide();
    cmdSave_ = new QPushButton(QStringLiteral("&Save Changes"), this);
    cmdSave_->setObjectName(QStringLiteral("cmdSave"));
    cmdCloseNoSave_ = new QPushButton(QStringLiteral("&Close w/o Changes"), this);
    cmdCloseNoSave_->setObjectName(QStringLiteral("cmdCloseNoSave"));
    cmdClose_ = new QPushButton(QStringLiteral("&Close"), this);
    cmdClose_->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdSave_, cmdCloseNoSave_, cmdClose_}) {
        b->setAutoDefault(false);
        b->hide();
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSave_);
    buttons->addWidget(cmdCloseNoSave_);
    buttons->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(txtZoomData_);
    layout->addWidget(txtMemo_, 1);
    layout->addLayout(buttons);

    connect(cmdSave_, &QPushButton::clicked, this, &FrmZoom::Save);
    connect(cmdCloseNoSave_, &QPushButton::clicked, this, &FrmZoom::reject);
    connect(cmdClose_, &QPushButton::clicked, this, &FrmZoom::reject);
}

void FrmZoom::Configure(const ZoomRequest& request) {
    setWindowTitle(request.caption);
    cmdSave_->setVisible(request.editable);
    cmdCloseNoSave_->setVisible(request.editable);
    cmdClose_->setVisible(!request.editable);
    txtZoomData_->setVisible(!request.memo);
    txtMemo_->setVisible(request.memo);
    // A read-only zoom takes no typing in either box: nothing typed there could be saved.
    txtZoomData_->setReadOnly(!request.editable);
    txtMemo_->setReadOnly(!request.editable);
    original_ = request.text;
    if (request.memo) txtMemo_->setPlainText(request.text);
    else txtZoomData_->setText(request.text);
    resize(platform::TwipsToPixels(this, 4600), platform::TwipsToPixels(this, request.memo ? 2205 : 1125));
}

void FrmZoom::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // The caret goes to the end of the text.
    if (txtMemo_->isVisibleTo(this)) {
        txtMemo_->moveCursor(QTextCursor::End);
        txtMemo_->setFocus();
    } else {
        txtZoomData_->end(false);
        txtZoomData_->setFocus();
    }
}

void FrmZoom::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const int margin = platform::TwipsToPixels(this, 200);
    if (txtZoomData_->isVisibleTo(this)) txtZoomData_->setFixedWidth(std::max(0, width() - margin));
    else txtMemo_->setFixedWidth(std::max(0, width() - margin));
}

void FrmZoom::Save() {
    if (txtZoomData_->isVisibleTo(this)) {
        result_ = txtZoomData_->text();
    } else {
        result_ = txtMemo_->toPlainText();
        // The box shows line ends as plain line feeds: an unchanged text keeps the ones it had.
        QString shown = original_;
        shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (result_ == shown) result_ = original_;
    }
    accept();
}

void FrmZoom::reject() {
    result_ = QLatin1String(kZoomCancelled);
    QDialog::reject();
}

}  // namespace veranth::views
