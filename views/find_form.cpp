#include "views/find_form.h"

#include "platform/widgets/form_helpers.h"

#include <QApplication>
#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veranth::views {

FrmFindForm::FrmFindForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmFindForm"));
    setWindowTitle(QStringLiteral("Find Record"));
    setModal(true);

    lstFields_ = new QListWidget(this);
    lstFields_->setObjectName(QStringLiteral("lstFields"));
    lstOperators_ = new QListWidget(this);
    lstOperators_->setObjectName(QStringLiteral("lstOperators"));
    for (const char* op : {"=", "<>", ">=", "<=", ">", "<", "Like"}) lstOperators_->addItem(QLatin1String(op));
    lstOperators_->setCurrentRow(0);
    txtExpression_ = new QLineEdit(this);
    txtExpression_->setObjectName(QStringLiteral("txtExpression"));

    auto* fieldsLabel = new QLabel(QStringLiteral("&Fields:"), this);
    fieldsLabel->setBuddy(lstFields_);
    auto* operatorsLabel = new QLabel(QStringLiteral("&Operators:"), this);
    operatorsLabel->setBuddy(lstOperators_);
    auto* valueLabel = new QLabel(QStringLiteral("&Value or Expression:"), this);
    valueLabel->setBuddy(txtExpression_);

    auto* types = new QGroupBox(this);
    auto* typesLayout = new QHBoxLayout(types);
    auto* group = new QButtonGroup(this);
    const char* typeNames[] = {"FindFirst", "FindNext", "FindPrevious", "FindLast"};
    for (int i = 0; i < 4; ++i) {
        optFindType_[i] = new QRadioButton(QLatin1String(typeNames[i]), types);
        optFindType_[i]->setObjectName(QStringLiteral("optFindType(%1)").arg(i));
        group->addButton(optFindType_[i], i);
        typesLayout->addWidget(optFindType_[i]);
    }
    optFindType_[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this](int id) { request_.findType = static_cast<FindRequest::Type>(id); });

    cmdOK_ = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setEnabled(false);
    cmdOK_->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* grid = new QGridLayout;
    grid->addWidget(fieldsLabel, 0, 0);
    grid->addWidget(operatorsLabel, 0, 1);
    grid->addWidget(lstFields_, 1, 0);
    grid->addWidget(lstOperators_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(valueLabel);
    layout->addWidget(txtExpression_);
    layout->addWidget(types);
    layout->addLayout(buttons);

    connect(txtExpression_, &QLineEdit::textChanged, this, &FrmFindForm::UpdateOk);
    connect(lstFields_, &QListWidget::itemClicked, this, &FrmFindForm::UpdateOk);
    connect(lstOperators_, &QListWidget::itemClicked, this, &FrmFindForm::UpdateOk);
    connect(lstFields_, &QListWidget::currentRowChanged, this, &FrmFindForm::UpdateOk);
    connect(lstOperators_, &QListWidget::currentRowChanged, this, &FrmFindForm::UpdateOk);
    connect(cmdOK_, &QPushButton::clicked, this, &FrmFindForm::Accept);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmFindForm::reject);
}

void FrmFindForm::SetFieldNames(const QStringList& names) {
    lstFields_->clear();
    lstFields_->addItems(names);
    UpdateOk();
}

void FrmFindForm::UpdateOk() {
    const QListWidgetItem* field = lstFields_->currentItem();
    const QListWidgetItem* op = lstOperators_->currentItem();
    cmdOK_->setEnabled(field && !field->text().isEmpty() && op && !op->text().isEmpty() && !txtExpression_->text().isEmpty());
}

void FrmFindForm::Accept() {
    if (!cmdOK_->isEnabled()) return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    request_.fieldName = lstFields_->currentItem()->text();
    request_.fieldIndex = lstFields_->currentRow();
    request_.value = txtExpression_->text();
    request_.op = lstOperators_->currentItem()->text();
    request_.cancelled = false;
    QApplication::restoreOverrideCursor();
    accept();
}

void FrmFindForm::reject() {
    request_.cancelled = true;
    QDialog::reject();
}

}  // namespace veranth::views
