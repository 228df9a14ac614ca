#pragma once

#include "browser/database_tree.h"

#include <QWidget>

class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace veranth::db {
class Session;
}

namespace veranth::browser {

// What each item of the tree widget carries: its node's key and tag.
inline constexpr int kNodeKeyRole = Qt::UserRole;
inline constexpr int kNodeTagRole = Qt::UserRole + 1;

// frmDatabase, the "Database Window": the tree of the current database. Closing it closes the
// database. The tree's logic is DatabaseTree; this window mirrors it and turns clicks into calls.
class FrmDatabase : public QWidget {
    Q_OBJECT
public:
    // `popup` is the main window's hidden menu mnuDBPopUp.
    FrmDatabase(db::Session& session, QMenu* popup, QWidget* parent = nullptr);

    // `LoadDatabase` and the tree widget rebuilt from it.
    void LoadDatabase();
    // `RefreshTableList` without a list.
    void RefreshTableList();
    // The popup's "&Rename": edits the popup node's label in place.
    void RenamePopupNode();
    // The popup's "&Open", "&Edit", "De&lete" and "&Design..." on the popup node.
    void OpenPopupNode();
    void EditPopupNode();
    void DeletePopupNode();
    void DesignPopupNode();

    const DatabaseTree& Tree() const { return tree_; }
    QTreeWidget* TreeWidget() const { return view_; }
    const QString& PopupKey() const { return popupKey_; }
    // A click as the user makes it, by key (for the window's own signals and for tests).
    void ClickNode(const QString& key);
    void RightClickNode(const QString& key);
    // A double-click: the node toggles open or shut and is edited (a property) or opened.
    void DoubleClickNode(const QString& key);

    // True once the window was closed: it is on its way out and is not shown again.
    bool Unloaded() const { return unloaded_; }

Q_SIGNALS:
    // Design on a table: the table designer for that table.
    void TableDesignRequested(const QString& tableName);
    // Design on a stored query: its SQL for the SQL window.
    void QuerySqlRequested(const QString& sql);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QTreeWidgetItem* MakeItem(const QString& key);
    void AddChildren(const QString& parentKey, const QStringList& keys);
    void SaveGeometry();

    db::Session& session_;
    QMenu* popup_;
    QTreeWidget* view_;
    DatabaseTree tree_;
    QHash<QString, QTreeWidgetItem*> items_;
    QString popupKey_;
    QString editingKey_;
    bool filling_ = false;
    bool unloaded_ = false;
};

}  // namespace veranth::browser
