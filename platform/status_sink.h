#pragma once

#include <QString>
#include <QStringList>
#include <functional>

namespace veranth::platform {

// Where long work reports itself: the main window's status panels and busy pointer, or a terminal.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    // Panel 1 carries messages and progress, panel 2 the user.
    virtual void SetPanelText(int panel, const QString& text) = 0;
    virtual void SetBusy(bool busy) = 0;
    // A loop whose size is known; total 0 hides the bar.
    virtual void SetProgress(qint64 done, qint64 total) = 0;
};

// Drops everything: for tests and for runs that show nothing.
class NullStatusSink : public StatusSink {
public:
    void SetPanelText(int, const QString&) override {}
    void SetBusy(bool) override {}
    void SetProgress(qint64, qint64) override {}
};

// Keeps what it was told, for tests to read back.
class RecordingStatusSink : public StatusSink {
public:
    void SetPanelText(int panel, const QString& text) override;
    void SetBusy(bool busy) override { busy_ = busy; }
    void SetProgress(qint64 done, qint64 total) override { done_ = done; total_ = total; }

    QString PanelText(int panel) const { return panel == 2 ? panel2_ : panel1_; }
    const QStringList& History() const { return history_; }
    bool Busy() const { return busy_; }

private:
    QString panel1_, panel2_;
    QStringList history_;
    bool busy_ = false;
    qint64 done_ = 0, total_ = 0;
};

// Lets pending user-interface events run inside a long loop, so the windows stay painted.
class YieldHook {
public:
    explicit YieldHook(std::function<void()> letEventsRun = {}) : run_(std::move(letEventsRun)) {}
    void operator()() const {
        ++count_;
        if (run_) run_();
    }
    qint64 Count() const { return count_; }

private:
    std::function<void()> run_;
    mutable qint64 count_ = 0;
};

}  // namespace veranth::platform
