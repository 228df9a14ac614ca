#include "app/status_bar_sink.h"

#include <QApplication>
#include <QLabel>
#include <QProgressBar>

namespace veranth::app {

void StatusBarSink::Attach(QLabel* panel1, QLabel* panel2, QProgressBar* progress) {
    panel1_ = panel1;
    panel2_ = panel2;
    progress_ = progress;
    if (panel1_) panel1_->setText(text1_);
    if (panel2_) panel2_->setText(text2_);
    if (progress_) progress_->hide();
}

void StatusBarSink::SetPanelText(int panel, const QString& text) {
    QPointer<QLabel>& label = panel == 2 ? panel2_ : panel1_;
    (panel == 2 ? text2_ : text1_) = text;
    if (!label) return;
    label->setText(text);
    // The text must show now, not when the long work that follows lets the window paint.
    label->repaint();
}

void StatusBarSink::SetBusy(bool busy) {
    if (busy == busy_) return;
    busy_ = busy;
    if (busy) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

void StatusBarSink::SetProgress(qint64 done, qint64 total) {
    if (!progress_) return;
    if (total <= 0) {
        progress_->hide();
        return;
    }
    // The bar counts in thousandths so totals beyond an int's range still show.
    progress_->setRange(0, 1000);
    progress_->setValue(static_cast<int>(done * 1000 / total));
    progress_->show();
    progress_->repaint();
}

}  // namespace veranth::app
