#include "browser/database_tree.h"

#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/conversions.h"
#include "engine/errors.h"
#include "engine/schema.h"

namespace veranth::browser {
namespace {

const QString kProperties = QStringLiteral("Properties");
const QString kFields = QStringLiteral("Fields");
const QString kIndexes = QStringLiteral("Indexes");

constexpr qsizetype kShownStringLength = 50;

bool Listed(const db::Session& session, const engine::TableDef& table) {
    return !table.isSystem() || session.preferences.allowSys;
}

// `GetPropertyValue`: the value's text, or "N/A" when it cannot be read.
QString PropertyText(const engine::Property& property, bool cutStrings) {
    try {
        const engine::Value value = property.value();
        QString text = value.isNull() ? QString() : engine::toText(value);
        if (cutStrings && value.type() == engine::ValueType::String) text.truncate(kShownStringLength);
        return text;
    } catch (const std::exception&) {
        return QStringLiteral("N/A");
    }
}

}  // namespace

QString PropertyNodeText(const engine::Property& property, bool cutStrings) {
    return property.name() + QLatin1Char('=') + PropertyText(property, cutStrings);
}

QString AttachmentPrefix(const QString& connect) {
    const QString prefix = connect.section(QLatin1Char(';'), 0, 0);
    return prefix.isEmpty() ? QStringLiteral("Microsoft Access") : prefix;
}

void DatabaseTree::Clear() {
    nodes_.clear();
    children_.clear();
    roots_.clear();
    current_.clear();
}

void DatabaseTree::Add(TreeNode node) {
    // A key that is already there is skipped: the group was filled before.
    if (nodes_.contains(node.key)) return;
    (node.parentKey.isEmpty() ? roots_ : children_[node.parentKey]).append(node.key);
    nodes_.insert(node.key, std::move(node));
}

const TreeNode* DatabaseTree::Node(const QString& key) const {
    const auto it = nodes_.constFind(key);
    return it == nodes_.constEnd() ? nullptr : &*it;
}

void DatabaseTree::Load(db::Session& session) {
    Clear();
    if (!session.database) return;
    session.Status().SetBusy(true);
    bool anyTable = false;
    try {
        const QString root = QLatin1Char('>') + kProperties;
        Add({root, kProperties, NodeImage::Property, kProperties, {}});
        Click(session, root);
        current_.clear();

        auto& tables = session.database->tableDefs();
        for (int i = 0; i < tables.count(); ++i) {
            const auto table = tables.item(i);
            if (!Listed(session, *table)) continue;
            const QString name = table->name();
            const QString key = QLatin1Char('T') + name;
            Add({key, name, table->isAttached() ? NodeImage::Attached : NodeImage::Table, QStringLiteral("Table"), {}});
            Add({name + QLatin1Char('>') + kFields, kFields, NodeImage::Field, kFields, key});
            Add({name + QLatin1Char('>') + kIndexes, kIndexes, NodeImage::Index, kIndexes, key});
            Add({name + QLatin1Char('>') + kProperties, kProperties, NodeImage::Property, kProperties, key});
            if (table->isAttached())
                Add({name + QStringLiteral(">AttachType"), AttachmentPrefix(table->connect()) + QStringLiteral(" Table"), NodeImage::Attached,
                     QString(), key});
            anyTable = true;
        }
        auto& queries = session.database->queryDefs();
        for (int i = 0; i < queries.count(); ++i) {
            const QString name = queries.item(i)->name();
            Add({name, name, NodeImage::Query, QStringLiteral("Query"), {}});
            Add({name + QLatin1Char('>') + kProperties, kProperties, NodeImage::Property, kProperties, name});
        }
    } catch (const engine::EngineError& e) {
        db::ShowError(session, e);
    }
    session.menus.SetVisible(QStringLiteral("mnuDBPUNewQuery"), anyTable);
    session.Status().SetBusy(false);
}

QStringList DatabaseTree::Click(db::Session& session, const QString& key) {
    const TreeNode* node = Node(key);
    if (!node) return {};
    current_ = key;
    if (!Children(key).isEmpty() || !session.database) return {};
    const QStringList before = Children(key);
    const TreeNode clicked = *node;
    const TreeNode* parent = Node(clicked.parentKey);
    try {
        engine::Database& database = *session.database;
        const auto addProperties = [&](engine::Properties properties, const QString& keyPrefix, bool cutStrings, const QString& skip) {
            for (engine::Property& p : properties) {
                if (!skip.isEmpty() && p.name() == skip) continue;
                Add({keyPrefix + QLatin1Char('>') + p.name(), PropertyNodeText(p, cutStrings), NodeImage::Property,
                     QStringLiteral("Property"), key});
            }
        };
        if (clicked.tag == kFields && parent) {
            auto& fields = database.tableDefs().item(parent->text)->fields();
            for (int i = 0; i < fields.count(); ++i) {
                const QString name = fields.item(i)->name();
                Add({parent->key + QLatin1Char('>') + kFields + QLatin1Char('>') + name, name, NodeImage::Field, QStringLiteral("Field"), key});
            }
        } else if (clicked.tag == kIndexes && parent) {
            auto& indexes = database.tableDefs().item(parent->text)->indexes();
            for (int i = 0; i < indexes.count(); ++i) {
                const QString name = indexes.item(i)->name();
                Add({parent->key + QLatin1Char('>') + kIndexes + QLatin1Char('>') + name, name, NodeImage::Index, QStringLiteral("Index"), key});
            }
        } else if ((clicked.tag == QLatin1String("Field") || clicked.tag == QLatin1String("Index")) && parent) {
            const TreeNode* tableNode = Node(parent->parentKey);
            if (!tableNode) return {};
            auto table = database.tableDefs().item(tableNode->text);
            const QString prefix = parent->key + key;
            if (clicked.tag == QLatin1String("Field")) addProperties(table->fields().item(clicked.text)->properties(), prefix, false, QStringLiteral("Value"));
            else addProperties(table->indexes().item(clicked.text)->properties(), prefix, false, QString());
        } else if (clicked.tag == kProperties) {
            if (!parent) addProperties(database.properties(), key, true, QString());
            else if (parent->tag == QLatin1String("Table")) addProperties(database.tableDefs().item(parent->text)->properties(), parent->key, true, QString());
            else if (parent->tag == QLatin1String("Query")) addProperties(database.queryDefs().item(parent->text)->properties(), parent->key, true, QString());
        }
    } catch (const engine::EngineError& e) {
        db::ShowError(session, e);
    }
    QStringList added = Children(key);
    for (const QString& k : before) added.removeOne(k);
    return added;
}

bool DatabaseTree::CanRename(const QString& key) const {
    const TreeNode* node = Node(key);
    if (!node) return false;
    return node->tag != kIndexes && node->tag != kFields && node->tag != kProperties && node->tag != QLatin1String("Property");
}

QString DatabaseTree::Rename(db::Session& session, const QString& key, const QString& newText) {
    TreeNode* node = nodes_.contains(key) ? &nodes_[key] : nullptr;
    if (!node || !session.database || !CanRename(key)) return QString();
    try {
        engine::Database& database = *session.database;
        if (node->tag == QLatin1String("Table")) {
            database.tableDefs().item(node->text)->setName(newText);
        } else if (node->tag == QLatin1String("Query")) {
            database.queryDefs().item(node->text)->setName(newText);
        } else if (node->tag == QLatin1String("Index") || node->tag == QLatin1String("Field")) {
            const TreeNode* group = Node(node->parentKey);
            const TreeNode* table = group ? Node(group->parentKey) : nullptr;
            if (!table) return QString();
            auto tableDef = database.tableDefs().item(table->text);
            if (node->tag == QLatin1String("Index")) tableDef->indexes().item(node->text)->setName(newText);
            else tableDef->fields().item(node->text)->setName(newText);
        } else {
            return QString();
        }
    } catch (const engine::EngineError& e) {
        return e.description();
    }
    // The key stays as it was: the tree is rebuilt by the next load.
    node->text = newText;
    current_ = key;
    return QString();
}

void DatabaseTree::Remove(const QString& key) {
    const auto it = nodes_.constFind(key);
    if (it == nodes_.constEnd()) return;
    const QString parentKey = it->parentKey;
    for (const QString& child : children_.value(key)) Remove(child);
    children_.remove(key);
    (parentKey.isEmpty() ? roots_ : children_[parentKey]).removeOne(key);
    nodes_.remove(key);
    if (current_ == key) current_.clear();
}

void DatabaseTree::SetText(const QString& key, const QString& text) {
    if (nodes_.contains(key)) nodes_[key].text = text;
}

void DatabaseTree::SetPopupItems(db::Session& session, const TreeNode* node) {
    db::MenuState& m = session.menus;
    const QString tag = node ? node->tag : QString();
    const bool table = tag == QLatin1String("Table"), query = tag == QLatin1String("Query");
    const bool fieldOrIndex = tag == QLatin1String("Index") || tag == QLatin1String("Field");
    const bool property = tag == QLatin1String("Property");
    m.SetVisible(QStringLiteral("mnuDBPUOpen"), table || query);
    if (!node || table || query || fieldOrIndex || property || tag == kProperties) m.SetVisible(QStringLiteral("mnuDBPUEdit"), property);
    m.SetVisible(QStringLiteral("mnuDBPUCopyStruct"), table);
    m.SetVisible(QStringLiteral("mnuDBPUDesign"), table || query);
    for (const char* item : {"mnuDBPURename", "mnuDBPUDelete"}) {
        m.SetVisible(QLatin1String(item), node != nullptr);
        m.SetEnabled(QLatin1String(item), table || query || fieldOrIndex);
    }
    m.SetVisible(QStringLiteral("mnuDBPUBar1"), node != nullptr);
    // Rename is never offered for a database that is not a native file.
    if (session.nonAccessDatabase) m.SetVisible(QStringLiteral("mnuDBPURename"), false);
}

QStringList TableListEntries(db::Session& session) {
    QStringList entries;
    if (!session.database) return entries;
    auto& tables = session.database->tableDefs();
    for (int i = 0; i < tables.count(); ++i) {
        const auto table = tables.item(i);
        if (!Listed(session, *table)) continue;
        if (table->attributes() & engine::table_attr::kAttached) {
            entries.append(table->name() + QStringLiteral(" -> ") +
                           (table->connect().startsWith(QLatin1Char(';')) ? QStringLiteral("Microsoft Access")
                                                                           : table->connect().section(QLatin1Char(';'), 0, 0)));
        } else if (table->attributes() & engine::table_attr::kAttachedOdbc) {
            entries.append(table->name() + QStringLiteral(" -> ODBC"));
        } else {
            entries.append(table->name());
        }
    }
    return entries;
}

}  // namespace veranth::browser
