#include "views/data_grid_view.h"

#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"
#include "engine/recordset.h"

namespace veranth::views {

std::optional<QString> HeaderSort(bool tableType, engine::FieldType type, const QString& fieldName, bool keyHeld) {
    if (tableType || static_cast<int>(type) > static_cast<int>(engine::FieldType::Text)) return std::nullopt;
    const QString column = QLatin1Char('[') + fieldName + QLatin1Char(']');
    return keyHeld ? column + QStringLiteral(" desc") : column;
}

bool RefusedOnTableRecordset(db::Session& session, const engine::Recordset& recordset, Reorder what) {
    if (recordset.type() != engine::RecordsetType::Table) return false;
    session.Prompter().Beep();
    session.Prompter().Inform(what == Reorder::Sort ? QStringLiteral("You Cannot Sort a Table Recordset!")
                                                    : QStringLiteral("You Cannot Filter a Table Recordset!"),
                              QStringLiteral("Veranth"), platform::MessageIcon::Exclamation);
    return true;
}

std::shared_ptr<engine::Recordset> ReorderedRecordset(db::Session& session, engine::Recordset& recordset, Reorder what,
                                                      const QString& text) {
    session.Status().SetBusy(true);
    db::ShowStatus(session, what == Reorder::Sort ? QStringLiteral("Setting New Sort Order") : QStringLiteral("Setting New Filter"),
                   true);
    const QString before = what == Reorder::Sort ? recordset.sort() : recordset.filter();
    auto set = [&](const QString& value) {
        if (what == Reorder::Sort) recordset.setSort(value);
        else recordset.setFilter(value);
    };
    try {
        set(text);
        auto fresh = recordset.openRecordset(recordset.type());
        set(before);
        session.Status().SetBusy(false);
        db::ShowStatus(session, QString());
        return fresh;
    } catch (const engine::EngineError&) {
        set(before);
        session.Status().SetBusy(false);
        db::ShowStatus(session, QString());
        throw;
    }
}

}  // namespace veranth::views
