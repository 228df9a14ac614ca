#pragma once

#include <QDialog>
#include <functional>

class QLineEdit;

namespace veranth::app {

// frmLogin: a login name and password. OK hands them to the login logic, which answers with a
// text to show (the window stays) or nothing (the window unloads).
class FrmLogin : public QDialog {
    Q_OBJECT
public:
    using OkHandler = std::function<QString(const QString& loginName, const QString& password)>;
    FrmLogin(OkHandler onOk, QWidget* parent = nullptr);

    QLineEdit* LoginName() const { return loginName_; }
    QLineEdit* Password() const { return password_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    OkHandler onOk_;
    QLineEdit* loginName_;
    QLineEdit* password_;
};

// frmDBPWD: the password of a protected database file. `PWD` is empty after Cancel.
class FrmDBPWD : public QDialog {
    Q_OBJECT
public:
    explicit FrmDBPWD(QWidget* parent = nullptr);
    const QString& PWD() const { return pwd_; }
    QLineEdit* Password() const { return password_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* password_;
    QString pwd_;
};

}  // namespace veranth::app
