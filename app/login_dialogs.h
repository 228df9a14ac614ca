#pragma once

#include "platform/widgets/centered_dialog.h"

#include <functional>

class QLineEdit;

namespace veranth::app {

// frmLogin: a login name and password. OK hands them to the login logic, which answers with a
// text to show (the window stays) or nothing (the window unloads).
class FrmLogin : public platform::CenteredDialog {
    Q_OBJECT
public:
    using OkHandler = std::function<QString(const QString& loginName, const QString& password)>;
    FrmLogin(OkHandler onOk, QWidget* parent = nullptr);

    QLineEdit* LoginName() const { return loginName_; }
    QLineEdit* Password() const { return password_; }

private:
    OkHandler onOk_;
    QLineEdit* loginName_;
    QLineEdit* password_;
};

// frmDBPWD: the password of a protected database file. `PWD` is empty after Cancel.
class FrmDBPWD : public platform::CenteredDialog {
    Q_OBJECT
public:
    explicit FrmDBPWD(QWidget* parent = nullptr);
    const QString& PWD() const { return pwd_; }
    QLineEdit* Password() const { return password_; }

private:
    QLineEdit* password_;
    QString pwd_;
};

}  // namespace veranth::app
