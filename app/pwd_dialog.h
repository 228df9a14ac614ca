#pragma once

#include "platform/widgets/centered_dialog.h"

#include <functional>

class QLineEdit;

namespace veranth::app {

// mdl_PWD: asks for the support password. `PWD_Correct` is the checker's answer for the typed
// text after OK, False after Cancel.
class MdlPwd : public platform::CenteredDialog {
    Q_OBJECT
public:
    using Checker = std::function<bool(const QString&)>;
    MdlPwd(Checker checker, QWidget* parent = nullptr);

    bool PWD_Correct() const { return correct_; }
    QLineEdit* PasswordBox() const { return password_; }

private:
    Checker checker_;
    QLineEdit* password_;
    bool correct_ = false;
};

}  // namespace veranth::app
