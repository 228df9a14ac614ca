#include "app/pwd_dialog.h"

#include "platform/widgets/form_helpers.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veranth::app {

MdlPwd::MdlPwd(Checker checker, QWidget* parent) : CenteredDialog(parent), checker_(std::move(checker)), password_(new QLineEdit(this)) {
    setObjectName(QStringLiteral("mdl_PWD"));
    setWindowTitle(QStringLiteral("Veranth..."));
    setModal(true);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint);

    auto* label = new QLabel(QStringLiteral("Password"), this);
    password_->setObjectName(QStringLiteral("txt_Password"));
    password_->setEchoMode(QLineEdit::Password);
    SelectAllOnFocus(password_);
    auto* ok = new QPushButton(QStringLiteral("&OK"), this);
    ok->setObjectName(QStringLiteral("Command3D1"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("Command3D2"));
    auto* note = new QLabel(QStringLiteral("NB"), this);
    auto* noteText = new QLabel(QStringLiteral("You do not need a password to attempt a database repair."), this);
    noteText->setWordWrap(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(label, 0, 0);
    grid->addWidget(password_, 0, 1, 1, 2);
    grid->addWidget(ok, 1, 1);
    grid->addWidget(cancel, 1, 2);
    grid->addWidget(note, 2, 0, Qt::AlignTop);
    grid->addWidget(noteText, 2, 1, 1, 2);
    setFixedSize(sizeHint().expandedTo(QSize(platform::TwipsToPixels(this, 4500), 0)));

    connect(ok, &QPushButton::clicked, this, [this] {
        correct_ = checker_ && checker_(password_->text());
        accept();
    });
    connect(cancel, &QPushButton::clicked, this, [this] {
        correct_ = false;
        reject();
    });
}

}  // namespace veranth::app
