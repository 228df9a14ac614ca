#pragma once

#include "views/dyna_snap.h"

#include <QDialog>

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace veranth::views {

// frmZoom: one Text or Memo value in a larger box; editable only while the view edits or adds.
class FrmZoom : public QDialog {
    Q_OBJECT
public:
    explicit FrmZoom(QWidget* parent = nullptr);

    // Caption, buttons, box and height as the view asks.
    void Configure(const ZoomRequest& request);
    // The text to save, or kZoomCancelled.
    const QString& Result() const { return result_; }
    // Esc and the window's close mean "Close w/o Changes".
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Save();

    QLineEdit* txtZoomData_;
    QPlainTextEdit* txtMemo_;
    QPushButton* cmdSave_;
    QPushButton* cmdCloseNoSave_;
    QPushButton* cmdClose_;
    QString result_ = QLatin1String(kZoomCancelled);
    QString original_;
};

}  // namespace veranth::views
