#pragma once

#include <QWidget>

class QListWidget;
class QPushButton;

namespace veranth::app {

// frmErrors: the engine's Errors collection, one line per error (Number TAB Source TAB Description).
class FrmErrors : public QWidget {
    Q_OBJECT
public:
    explicit FrmErrors(QWidget* parent = nullptr);
    void SetLines(const QStringList& lines);
    QListWidget* List() const { return list_; }

Q_SIGNALS:
    void RefreshRequested();

private:
    QListWidget* list_;
};

}  // namespace veranth::app
