#pragma once

#include "engine/property.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace veranth::db {
class Session;
}

namespace veranth::browser {

class DatabaseTree;
struct TreeNode;

// Open: a table node in a view of the table, a query node as the stored query it names. Nothing
// is reported: a failed open leaves only the status line reset.
void OpenNode(db::Session& session, const TreeNode* node);

// Delete: a table, stored query, field or index after its Yes/No question; any other node asks
// nothing. True when the object was deleted and its node left the tree.
bool DeleteNode(db::Session& session, DatabaseTree& tree, const QString& key);

// The property a property node shows, with the objects that must stay alive while it is used.
struct NodeProperty {
    engine::Property property;
    std::vector<std::shared_ptr<const void>> owners;
};
// nullopt when the node is no property of a database object the tree knows. Engine errors pass.
std::optional<NodeProperty> FindNodeProperty(db::Session& session, const DatabaseTree& tree, const QString& key);

// frmProperty, or a stand-in: edits the property and says whether the user pressed OK.
using PropertyEditor = std::function<bool(engine::Property& property)>;

// Edit: a read-only property is refused with a warning before any editor opens; after OK the
// property node shows the new value, and a changed "Name" also renames the node of its object.
// Returns the keys of the nodes whose text changed.
QStringList EditPropertyNode(db::Session& session, DatabaseTree& tree, const QString& key, const PropertyEditor& editor);

// The SQL of the stored query a query node names; nullopt for any other node.
std::optional<QString> StoredQuerySql(db::Session& session, const TreeNode* node);

}  // namespace veranth::browser
