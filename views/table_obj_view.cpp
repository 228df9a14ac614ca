#include "views/table_obj_view.h"

#include "engine/tabledef.h"
#include "views/name_helpers.h"

#include <Qt>

namespace veranth::views {

QStringList IndexListEntries(engine::TableDef& table) {
    QStringList entries;
    for (int i = 0; i < table.indexes().count(); ++i) {
        auto index = table.indexes().item(i);
        QString entry = index->name() + QLatin1Char(':') + index->fields() +
                        (index->unique() ? QStringLiteral(":Unique") : QStringLiteral(":Non-Unique"));
        if (index->primary()) entry += QStringLiteral(":Primary");
        entries << entry;
    }
    return entries;
}

QString IndexNameOfEntry(const QString& entry) { return entry.section(QLatin1Char(':'), 0, 0); }

TableMove TableKeyMove(int key, bool control) {
    switch (key) {
    case Qt::Key_Up: return control ? TableMove::First : TableMove::Previous;
    case Qt::Key_Down: return control ? TableMove::Last : TableMove::Next;
    case Qt::Key_Home: return TableMove::First;
    case Qt::Key_End: return TableMove::Last;
    default: return TableMove::None;
    }
}

TableFormSize TableObjFormSize(int fieldCount) {
    TableFormSize s;
    if (fieldCount > 10) {
        s.height = 4668;
        s.scrollBar = true;
    } else {
        s.height = (fieldCount + 1) * 340 + 1600;
    }
    return s;
}

QString TableFilterStatement(const QString& tableName, const QString& expression) {
    return QStringLiteral("select * from ") + BracketName(tableName) + QStringLiteral(" where ") + expression;
}

}  // namespace veranth::views
