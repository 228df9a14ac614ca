#pragma once

#include "views/find_request.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;

namespace veranth::views {

// frmSeek, "Seek Parameters": a comparison and a key value for the table view's Seek.
class FrmSeek : public QDialog {
    Q_OBJECT
public:
    explicit FrmSeek(QWidget* parent = nullptr);

    // An empty value means the user cancelled.
    const SeekRequest& Request() const { return request_; }
    void reject() override;

private:
    void Accept();

    QRadioButton* optSeekOperator_[5];
    QLineEdit* txtSeekValue_;
    QPushButton* cmdOK_;
    SeekRequest request_;
};

}  // namespace veranth::views
