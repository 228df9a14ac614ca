#include "views/seek_form.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace veranth::views {

FrmSeek::FrmSeek(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSeek"));
    setWindowTitle(QStringLiteral("Seek Parameters"));
    setModal(true);

    auto* operators = new QGroupBox(QStringLiteral("Operator:"), this);
    auto* operatorsLayout = new QHBoxLayout(operators);
    auto* group = new QButtonGroup(this);
    const char* ops[] = {"=", ">=", "<=", ">", "<"};
    txtSeekValue_ = new QLineEdit(this);
    txtSeekValue_->setObjectName(QStringLiteral("txtSeekValue"));
    for (int i = 0; i < 5; ++i) {
        optSeekOperator_[i] = new QRadioButton(QLatin1String(ops[i]), operators);
        optSeekOperator_[i]->setObjectName(QStringLiteral("optSeekOperator(%1)").arg(i));
        group->addButton(optSeekOperator_[i], i);
        operatorsLayout->addWidget(optSeekOperator_[i]);
    }
    optSeekOperator_[0]->setChecked(true);
    connect(group, &QButtonGroup::idClicked, this, [this] { txtSeekValue_->setFocus(); });

    auto* valueLabel = new QLabel(QStringLiteral("&Value:"), this);
    valueLabel->setBuddy(txtSeekValue_);
    cmdOK_ = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK_->setObjectName(QStringLiteral("cmdOK"));
    cmdOK_->setDefault(true);
    auto* cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdOK_);
    buttons->addWidget(cmdCancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(operators);
    layout->addWidget(valueLabel);
    layout->addWidget(txtSeekValue_);
    layout->addLayout(buttons);

    connect(txtSeekValue_, &QLineEdit::textChanged, this, [this](const QString& text) { cmdOK_->setEnabled(!text.isEmpty()); });
    connect(cmdOK_, &QPushButton::clicked, this, &FrmSeek::Accept);
    connect(cmdCancel, &QPushButton::clicked, this, &FrmSeek::reject);
}

void FrmSeek::Accept() {
    // OK is enabled before anything is typed: an empty value still means "no seek".
    const int chosen = [this] {
        for (int i = 0; i < 5; ++i)
            if (optSeekOperator_[i]->isChecked()) return i;
        return 0;
    }();
    request_.op = optSeekOperator_[chosen]->text();
    request_.value = txtSeekValue_->text();
    txtSeekValue_->setFocus();
    accept();
}

void FrmSeek::reject() {
    request_.value.clear();
    txtSeekValue_->setFocus();
    QDialog::reject();
}

}  // namespace veranth::views
