#include "browser/object_commands.h"

#include "browser/database_tree.h"
#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/conversions.h"
#include "engine/errors.h"
#include "views/name_helpers.h"
#include "views/open_recordset.h"

namespace veranth::browser {
namespace {

const QString kTable = QStringLiteral("Table");
const QString kQuery = QStringLiteral("Query");
const QString kField = QStringLiteral("Field");
const QString kIndex = QStringLiteral("Index");

// The table a field or index node belongs to: the text of its group's parent.
QString TableOfMember(const DatabaseTree& tree, const TreeNode& member) {
    const TreeNode* group = tree.Node(member.parentKey);
    const TreeNode* table = group ? tree.Node(group->parentKey) : nullptr;
    return table ? table->text : QString();
}

}  // namespace

void OpenNode(db::Session& session, const TreeNode* node) {
    session.Status().SetBusy(true);
    try {
        if (node && node->tag == kTable) views::ViewTable(session, views::CutAttachSuffix(node->text));
        else if (node && node->tag == kQuery) views::ViewQuery(session, node->text, false);
    } catch (const std::exception&) {
        // The open routines report their own failures; whatever escapes them is not shown twice.
    }
    session.Status().SetBusy(false);
    db::ShowStatus(session, QString());
}

bool DeleteNode(db::Session& session, DatabaseTree& tree, const QString& key) {
    const TreeNode* node = tree.Node(key);
    if (!node || !session.database) return false;
    const struct {
        const QString& tag;
        const char* question;
    } kDeletions[] = {{kTable, "Delete Table?"}, {kQuery, "Delete QueryDef?"}, {kField, "Delete Field?"}, {kIndex, "Delete Index?"}};
    const char* question = nullptr;
    for (const auto& d : kDeletions)
        if (node->tag == d.tag) question = d.question;
    if (!question) return false;
    if (session.Prompter().Ask(QLatin1String(question)) != platform::MessageResult::Yes) return false;
    try {
        engine::Database& database = *session.database;
        if (node->tag == kTable) {
            database.tableDefs().remove(views::CutAttachSuffix(node->text));
        } else if (node->tag == kQuery) {
            database.queryDefs().remove(node->text);
        } else {
            auto table = database.tableDefs().item(TableOfMember(tree, *node));
            if (node->tag == kField) table->fields().remove(node->text);
            else table->indexes().remove(node->text);
        }
    } catch (const engine::EngineError& e) {
        db::ShowError(session, e);
        return false;
    }
    tree.Remove(key);
    return true;
}

std::optional<NodeProperty> FindNodeProperty(db::Session& session, const DatabaseTree& tree, const QString& key) {
    const TreeNode* node = tree.Node(key);
    const TreeNode* parent = node ? tree.Node(node->parentKey) : nullptr;
    if (!parent || !session.database || node->tag != QLatin1String("Property")) return std::nullopt;
    const QString name = node->text.section(QLatin1Char('='), 0, 0);
    engine::Database& database = *session.database;
    const TreeNode* grandparent = tree.Node(parent->parentKey);
    if (!grandparent) return NodeProperty{database.properties().item(name), {session.database}};
    if (grandparent->tag == kTable) {
        auto table = database.tableDefs().item(grandparent->text);
        return NodeProperty{table->properties().item(name), {table}};
    }
    if (grandparent->tag == kQuery) {
        auto query = database.queryDefs().item(grandparent->text);
        return NodeProperty{query->properties().item(name), {query}};
    }
    const TreeNode* tableNode = tree.Node(grandparent->parentKey);
    if (!tableNode) return std::nullopt;
    if (grandparent->tag == QLatin1String("Fields")) {
        auto table = database.tableDefs().item(tableNode->text);
        auto field = table->fields().item(parent->text);
        return NodeProperty{field->properties().item(name), {table, field}};
    }
    if (grandparent->tag == QLatin1String("Indexes")) {
        auto table = database.tableDefs().item(tableNode->text);
        auto index = table->indexes().item(parent->text);
        return NodeProperty{index->properties().item(name), {table, index}};
    }
    return std::nullopt;
}

QStringList EditPropertyNode(db::Session& session, DatabaseTree& tree, const QString& key, const PropertyEditor& editor) {
    QStringList changed;
    try {
        std::optional<NodeProperty> target = FindNodeProperty(session, tree, key);
        if (!target) return changed;
        engine::Property& property = target->property;
        // Writing the value it already has is how a read-only property shows itself before the
        // user types anything.
        try {
            property.setValue(property.value());
        } catch (const std::exception&) {
            session.Prompter().Inform(QLatin1Char('\'') + property.name() + QStringLiteral("' Property is Read Only!"), QStringLiteral("Veranth"),
                                      platform::MessageIcon::Exclamation);
            return changed;
        }
        if (!editor || !editor(property)) return changed;
        const TreeNode* node = tree.Node(key);
        const TreeNode* parent = tree.Node(node->parentKey);
        // Database, table and query properties are listed cut, field and index ones whole.
        const bool memberProperty = parent->tag == kField || parent->tag == kIndex;
        tree.SetText(key, PropertyNodeText(property, !memberProperty));
        changed.append(key);
        if (property.name() == QLatin1String("Name")) {
            const QString objectKey = memberProperty ? parent->key : parent->parentKey;
            const TreeNode* object = tree.Node(objectKey);
            if (object && (memberProperty || object->tag == kTable || object->tag == kQuery)) {
                tree.SetText(objectKey, engine::toDisplayText(property.value()));
                changed.append(objectKey);
            }
        }
    } catch (const engine::EngineError& e) {
        db::ShowError(session, e);
    } catch (const std::exception& e) {
        db::ShowError(session, e);
    }
    return changed;
}

std::optional<QString> StoredQuerySql(db::Session& session, const TreeNode* node) {
    if (!node || node->tag != kQuery || !session.database) return std::nullopt;
    const auto query = session.database->queryDefs().find(node->text);
    if (!query) return std::nullopt;
    return query->sql();
}

}  // namespace veranth::browser
