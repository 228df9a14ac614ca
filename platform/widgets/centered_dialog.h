#pragma once

#include <QDialog>

class QLineEdit;

namespace veranth::platform {

// A modal dialog that centres itself on the screen when shown and whose registered text boxes
// select their whole text when they get the focus: the behaviour every password and login window
// of the program shares.
class CenteredDialog : public QDialog {
    Q_OBJECT
public:
    using QDialog::QDialog;

protected:
    void SelectAllOnFocus(QLineEdit* box);
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace veranth::platform
