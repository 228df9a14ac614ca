#pragma once

#include <QString>
#include <QStringList>

namespace veranth::engine {
class TableDef;
}

namespace veranth::views {

// The table view's rules, apart from its window.

// One entry per index, in collection order: "PrimaryKey:+ID:Unique:Primary", "ByName:+Name:Non-Unique".
QStringList IndexListEntries(engine::TableDef& table);
// The index name of an entry: the text before its first ":".
QString IndexNameOfEntry(const QString& entry);

enum class TableMove { None, First, Previous, Next, Last };
// The keys of the window while nothing is being changed: Up, Down, Home, End, Ctrl+Up, Ctrl+Down.
TableMove TableKeyMove(int key, bool control);

struct TableFormSize {
    int width = 5508;
    int height = 0;
    bool scrollBar = false;
};
TableFormSize TableObjFormSize(int fieldCount);

// The statement the Filter button shows in a field-form view.
QString TableFilterStatement(const QString& tableName, const QString& expression);

}  // namespace veranth::views
