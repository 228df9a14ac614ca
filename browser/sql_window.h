#pragma once

#include "browser/sql_history.h"

#include <QWidget>

class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace veranth::db {
class Session;
}

namespace veranth::browser {

// frmSQL, "SQL Statement": a statement typed and run against the current database. Its text is
// also the shared current statement other tools write and read. Every statement executed goes
// into the history, recalled with Ctrl+Up and Ctrl+Down.
class FrmSQL : public QWidget {
    Q_OBJECT
public:
    // `history` is the file of the statement history (SqlHistory::FileFor the session's store
    // when empty).
    explicit FrmSQL(db::Session& session, QWidget* parent = nullptr, const QString& historyFile = QString());

    QString Statement() const;
    void SetStatement(const QString& text);
    // The stored placement, applied to the window's frame once it has one.
    void RestorePlacement();
    // After a database was opened: Save is offered only for a native file.
    void AfterOpen();

    void Execute();
    void Clear();
    void Save();
    // Ctrl+Up and Ctrl+Down.
    void RecallOlder();
    void RecallNewer();
    // A drag from the database window's tree ended on the statement box: a stored query's node
    // puts its SQL there; anything else changes nothing.
    void DropFromTree(const QTreeWidget* tree);

    const SqlHistory& History() const { return history_; }

    // True once the window was closed: it is on its way out and is not shown again.
    bool Unloaded() const { return unloaded_; }

Q_SIGNALS:
    // A statement was saved as a stored query: the database window's list is out of date.
    void QuerySaved();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowRecalled(const std::optional<QString>& text);

    db::Session& session_;
    QPlainTextEdit* txtSQLStatement_;
    QPushButton* cmdExecuteSQL_;
    QPushButton* cmdClearSQL_;
    QPushButton* cmdSaveQueryDef_;
    SqlHistory history_;
    SqlRecall recall_;
    bool recalling_ = false;
    bool unloaded_ = false;
};

}  // namespace veranth::browser
