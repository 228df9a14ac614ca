#include "app/login_dialogs.h"

#include "platform/widgets/form_helpers.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace veranth::app {
namespace {

QLineEdit* PasswordBox(QWidget* parent, const char* name) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setEchoMode(QLineEdit::Password);
    return box;
}

std::pair<QPushButton*, QPushButton*> OkCancel(QDialog* dialog) {
    auto* ok = new QPushButton(QStringLiteral("&OK"), dialog);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), dialog);
    cancel->setObjectName(QStringLiteral("cmdCancel"));
    return {ok, cancel};
}

}  // namespace

FrmLogin::FrmLogin(OkHandler onOk, QWidget* parent)
    : CenteredDialog(parent), onOk_(std::move(onOk)), loginName_(new QLineEdit(this)), password_(PasswordBox(this, "txtPassword")) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Login"));
    setModal(true);
    loginName_->setObjectName(QStringLiteral("txtLoginName"));
    SelectAllOnFocus(loginName_);
    SelectAllOnFocus(password_);
    auto [ok, cancel] = OkCancel(this);
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Login Name:"), this), 0, 0);
    grid->addWidget(loginName_, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Password:"), this), 1, 0);
    grid->addWidget(password_, 1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);
    setFixedSize(sizeHint());

    connect(ok, &QPushButton::clicked, this, [this] {
        const QString problem = onOk_ ? onOk_(loginName_->text(), password_->text()) : QString();
        if (problem.isEmpty()) {
            accept();
            return;
        }
        QMessageBox::information(this, QStringLiteral("Veranth"), problem);
        loginName_->setFocus();
    });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
}

FrmDBPWD::FrmDBPWD(QWidget* parent) : CenteredDialog(parent), password_(PasswordBox(this, "txtPassword")) {
    setObjectName(QStringLiteral("frmDBPWD"));
    setWindowTitle(QStringLiteral("Password Required"));
    setModal(true);
    SelectAllOnFocus(password_);
    auto [ok, cancel] = OkCancel(this);
    auto* label = new QLabel(QStringLiteral("&Enter database password:"), this);
    label->setBuddy(password_);
    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0, 1, 2);
    grid->addWidget(password_, 1, 0, 1, 2);
    grid->addWidget(ok, 2, 0);
    grid->addWidget(cancel, 2, 1);
    setFixedSize(sizeHint());
    connect(ok, &QPushButton::clicked, this, [this] {
        pwd_ = password_->text();
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        pwd_.clear();
        reject();
    });
}

}  // namespace veranth::app
