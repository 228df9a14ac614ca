#pragma once

#include <QMainWindow>

class QLabel;
class QMdiArea;

namespace veranth::app {

// The program's main window: a multiple-document area for the database, SQL and view windows,
// with the status bar's message and user panels.
class FrmMDI : public QMainWindow {
    Q_OBJECT
public:
    explicit FrmMDI(QWidget* parent = nullptr);

    QMdiArea* MdiArea() const { return mdiArea_; }
    void SetStatusText(int panel, const QString& text);

private:
    QMdiArea* mdiArea_;
    QLabel* panel1_;
    QLabel* panel2_;
};

}  // namespace veranth::app
