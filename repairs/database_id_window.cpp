#include "repairs/database_id_window.h"

#include "db/session.h"
#include "platform/widgets/form_helpers.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace veranth::repairs {

namespace {

QLabel* Label(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    return label;
}

}  // namespace

MdlDBID::MdlDBID(db::Session& session, DatabaseIdMode mode, AbortRequest& abort, QWidget* parent)
    : CenteredDialog(parent), session_(session), mode_(mode), abort_(abort), txtDbId_(new QLineEdit(this)),
      command1_(new QPushButton(QStringLiteral("&OK"), this)), command2_(new QPushButton(QStringLiteral("&Cancel"), this)) {
    setObjectName(QStringLiteral("mdl_DBID"));
    setWindowTitle(DatabaseIdCaption(mode));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::CustomizeWindowHint);

    auto* label1 = Label(this, "Label1",
                         QStringLiteral("Using this utility except under strict guidance from Varnholt can, and probably will, invalidate "
                                        "your database. Please do not proceed with the change unless you are sure you know what you "
                                        "are doing."));
    auto* label3 = Label(this, "Label3",
                         QStringLiteral("The changes which you are going to implement are irreversible, do not continue unless you have "
                                        "made a backup of your data."));
    auto* label2 = Label(this, "Label2", QStringLiteral("Database ID"));
    auto* label4 = Label(this, "Label4", QStringLiteral("This process will take some time, please be patient..."));
    txtDbId_->setObjectName(QStringLiteral("txt_DBID"));
    command1_->setObjectName(QStringLiteral("Command1"));
    command1_->setDefault(true);
    command2_->setObjectName(QStringLiteral("Command2"));
    if (mode == DatabaseIdMode::Change) {
        label3->hide();
        label4->hide();
    }

    auto* grid = new QGridLayout(this);
    grid->addWidget(label1, 0, 0, 1, 3);
    grid->addWidget(label3, 1, 0, 1, 3);
    grid->addWidget(label2, 2, 0);
    grid->addWidget(txtDbId_, 2, 1, 1, 2);
    grid->addWidget(label4, 3, 0, 1, 3);
    grid->addWidget(command1_, 4, 1);
    grid->addWidget(command2_, 4, 2);
    setFixedWidth(platform::TwipsToPixels(this, 5400));

    if (session_.database) currentId_ = LoadedDatabaseId(*session_.database);
    txtDbId_->setText(QString::number(currentId_));

    connect(command1_, &QPushButton::clicked, this, &MdlDBID::Ok);
    connect(command2_, &QPushButton::clicked, this, &MdlDBID::Cancel);
}

void MdlDBID::Ok() {
    if (running_) return;
    command1_->setEnabled(false);
    running_ = true;
    result_ = DatabaseIdOk(session_, mode_, txtDbId_->text(), currentId_, abort_);
    running_ = false;
    accept();
}

void MdlDBID::Cancel() {
    abort_.requested = true;
    // A running conversion sees the request at its next check; OK closes the window after it.
    if (!running_) reject();
}

}  // namespace veranth::repairs
