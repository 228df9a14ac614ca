#include "views/display_record.h"

#include "db/error_report.h"
#include "db/session.h"
#include "engine/conversions.h"
#include "engine/recordset.h"

namespace veranth::views {

QStringList BlankFieldBoxes(int fieldCount) {
    QStringList texts;
    texts.reserve(fieldCount);
    for (int i = 0; i < fieldCount; ++i) texts.append(QString());
    return texts;
}

QString PositionText(double percentPosition, std::int64_t recordCount, std::int32_t rowCount, bool countOnly) {
    if (countOnly) return QString::number(rowCount) + QStringLiteral(" Rows");
    double position = 0;
    if (recordCount > 0) position = engine::roundHalfEven(percentPosition * 0.01 * rowCount + 1);
    return QString::number(static_cast<std::int64_t>(position)) + QLatin1Char('/') + QString::number(rowCount);
}

RecordDisplay DisplayRecord(db::Session& session, engine::Recordset& recordset, std::int32_t rowCount, bool adding) {
    RecordDisplay display;
    session.Status().SetBusy(true);
    bool countOnly = false;
    // A table-type set of a table without indexes has no meaningful position.
    db::Guarded(session, [&] {
        if (recordset.type() != engine::RecordsetType::Table) return;
        try {
            countOnly = session.database->tableDefs().item(recordset.name())->indexes().count() == 0;
        } catch (const engine::EngineError&) {
            countOnly = true;
        }
    });

    QString text;
    db::Guarded(session, [&] {
        const int fieldCount = recordset.fields().count();
        if (!adding && (recordset.bof() || recordset.eof())) {
            text = (recordset.bof() ? QStringLiteral("(BOF)/") : QStringLiteral("(EOF)/")) + QString::number(rowCount);
            display.fieldsWritten = true;
            display.fieldTexts = BlankFieldBoxes(fieldCount);
            display.shownLengths.assign(static_cast<size_t>(fieldCount), 0);
            return;
        }
        text = PositionText(recordset.percentPosition(), recordset.recordCount(), rowCount, countOnly);
        if (adding) return;
        display.fieldsWritten = true;
        display.fieldTexts = BlankFieldBoxes(fieldCount);
        display.shownLengths.assign(static_cast<size_t>(fieldCount), 0);
        for (int i = 0; i < fieldCount; ++i) {
            const auto field = recordset.field(i);
            if (field->type() == engine::FieldType::Memo) {
                const std::int64_t size = field->fieldSize();
                const std::int64_t shown = size < kMemoBoxChars ? size : kMemoBoxChars;
                display.fieldTexts[i] = engine::toDisplayText(field->getChunk(0, shown));
                display.shownLengths[static_cast<size_t>(i)] = shown;
            } else {
                display.fieldTexts[i] = engine::toDisplayText(field->value());
                display.shownLengths[static_cast<size_t>(i)] = display.fieldTexts[i].size();
            }
        }
    });

    db::Guarded(session, [&] {
        if (!recordset.updatable()) text += QStringLiteral("  [Not Updatable]");
    });
    display.status = text;
    session.Status().SetBusy(false);
    return display;
}

}  // namespace veranth::views
