#pragma once

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace veranth::db {
class Session;
}

namespace veranth::engine {
class Property;
}

namespace veranth::browser {

enum class NodeImage { Table, Query, Index, Property, Attached, Field };

// One node of the database window's tree. The tag says what the node is; every command tests it.
struct TreeNode {
    QString key;
    QString text;
    NodeImage image = NodeImage::Property;
    QString tag;
    QString parentKey;  // empty for a root
};

// The tree of the current database: the database's properties, each table with its fields,
// indexes and properties groups, each stored query with its properties. Groups are filled on
// their first click. Kept apart from the tree widget, which mirrors it.
class DatabaseTree {
public:
    // `LoadDatabase`: rebuilds the tree; system tables only when the preference allows them.
    // Shows or hides the popup item "New &Query" by whether any table was listed.
    void Load(db::Session& session);
    void Clear();

    // A click on a node: it becomes the current node, and a group is filled the first time.
    // Returns the keys of the nodes added, in order.
    QStringList Click(db::Session& session, const QString& key);

    const TreeNode* Node(const QString& key) const;
    const QStringList& Roots() const { return roots_; }
    QStringList Children(const QString& key) const { return children_.value(key); }
    const QString& CurrentKey() const { return current_; }

    // Label editing: whether a node may be renamed at all, and the rename itself. Returns the
    // engine's description when the rename fails (the old text stays), else an empty text.
    bool CanRename(const QString& key) const;
    QString Rename(db::Session& session, const QString& key, const QString& newText);

    // The popup menu for a node (empty key: none under the pointer): which of its items show and
    // which are enabled.
    static void SetPopupItems(db::Session& session, const TreeNode* node);

    // A node and everything below it leave the tree (after the object it shows was deleted).
    void Remove(const QString& key);
    // A node shows a new text (after a property edit); its key stays.
    void SetText(const QString& key, const QString& text);

private:
    void Add(TreeNode node);

    QHash<QString, TreeNode> nodes_;
    QHash<QString, QStringList> children_;
    QStringList roots_;
    QString current_;
};

// The entries of a table list: "name", "name -> Microsoft Access" / "name -> <prefix>" for an
// attached table, "name -> ODBC" for an attached ODBC table.
QStringList TableListEntries(db::Session& session);

// A property node's text: name + "=" + the value's text ("N/A" when it cannot be read), a string
// value cut to its first 50 characters when `cutStrings` (the database's, a table's or a query's).
QString PropertyNodeText(const engine::Property& property, bool cutStrings);

// The connect prefix shown for an attached table: the Connect up to its first ";", or
// "Microsoft Access" when that part is empty.
QString AttachmentPrefix(const QString& connect);

}  // namespace veranth::browser
