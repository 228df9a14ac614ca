#pragma once

#include "platform/status_sink.h"

#include <QPointer>

class QLabel;
class QProgressBar;

namespace veranth::app {

// Status reports of the logic, shown in the main window's status bar: panel 1 and panel 2, a
// progress bar for loops of known size, and the busy pointer. Until the window attaches its
// widgets the reports are kept and shown when it does.
class StatusBarSink : public platform::StatusSink {
public:
    void Attach(QLabel* panel1, QLabel* panel2, QProgressBar* progress);

    void SetPanelText(int panel, const QString& text) override;
    void SetBusy(bool busy) override;
    void SetProgress(qint64 done, qint64 total) override;

    QString PanelText(int panel) const { return panel == 2 ? text2_ : text1_; }

private:
    QPointer<QLabel> panel1_, panel2_;
    QPointer<QProgressBar> progress_;
    QString text1_ = QStringLiteral("Ready"), text2_;
    bool busy_ = false;
};

}  // namespace veranth::app
