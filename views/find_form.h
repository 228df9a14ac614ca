#pragma once

#include "views/find_request.h"

#include <QDialog>

class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace veranth::views {

// frmFindForm, "Find Record": a field, an operator, a value and a direction. It only hides when
// closed, so one view's lists and choices stay for its next Find.
class FrmFindForm : public QDialog {
    Q_OBJECT
public:
    explicit FrmFindForm(QWidget* parent = nullptr);

    void SetFieldNames(const QStringList& names);
    // The choices as they stand; cancelled after Cancel (or Esc).
    const FindRequest& Request() const { return request_; }
    void ClearCancelled() { request_.cancelled = false; }
    // Cancel, Esc and the window's close all cancel.
    void reject() override;

private:
    void UpdateOk();
    void Accept();

    QListWidget* lstFields_;
    QListWidget* lstOperators_;
    QLineEdit* txtExpression_;
    QRadioButton* optFindType_[4];
    QPushButton* cmdOK_;
    FindRequest request_;
};

}  // namespace veranth::views
