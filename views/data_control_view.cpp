#include "views/data_control_view.h"

#include "db/session.h"
#include "engine/conversions.h"
#include "engine/errors.h"

#include <cmath>

namespace veranth::views {

BoundKind ControlKindFor(engine::FieldType type, const QString& binaryTag) {
    if (type == engine::FieldType::Boolean) return BoundKind::CheckBox;
    if (type == engine::FieldType::LongBinary)
        return binaryTag == QLatin1String("OLE") ? BoundKind::OleBox : BoundKind::PictureBox;
    return BoundKind::TextBox;
}

DataFormSize DataControlFormSize(int fieldCount) {
    DataFormSize s;
    if (fieldCount > 10) {
        s.height = 4500;
        s.width += 260;
        s.scrollBar = true;
    } else {
        s.height = fieldCount * kDataFieldRowTwips + 1500;
    }
    return s;
}

QString DataControlCaption(bool bof, bool eof, double percentPosition, std::int64_t rows, bool countOnly,
                           bool forwardOnly, bool updatable) {
    const QString count = QString::number(rows);
    QString text;
    if (bof) text = QStringLiteral("(BOF)/") + count;
    else if (eof) text = QStringLiteral("(EOF)/") + count;
    else if (countOnly) text = count + QStringLiteral(" Rows");
    else if (forwardOnly) text = count + QStringLiteral(" Rows (Forward Only Recordset)");
    else {
        const double position = engine::roundHalfEven(percentPosition * 0.01 * static_cast<double>(rows) + 1);
        text = QString::number(static_cast<std::int64_t>(position)) + QLatin1Char('/') + count;
    }
    if (!updatable) text += QStringLiteral("  [Not Updatable]");
    return text;
}

bool TableWithoutIndexes(db::Session& session, const QString& tableName) {
    if (!session.database) return true;
    try {
        return session.database->tableDefs().item(tableName)->indexes().count() == 0;
    } catch (const engine::EngineError&) {
        return true;
    }
}

QString FirstIndexName(db::Session& session, const QString& tableName) {
    if (!session.database) return QString();
    try {
        auto& indexes = session.database->tableDefs().item(tableName)->indexes();
        return indexes.count() > 0 ? indexes.item(0)->name() : QString();
    } catch (const engine::EngineError&) {
        return QString();
    }
}

QString ValidateQuestion(int action, bool adding) {
    switch (action) {
    case data_action::kMoveFirst:
    case data_action::kMovePrevious:
    case data_action::kMoveNext:
    case data_action::kMoveLast:
        return adding ? QStringLiteral("Save New Record?") : QStringLiteral("Commit Changes?");
    case data_action::kClose:
    case data_action::kUnload:
        return QStringLiteral("Commit Changes before Closing?");
    default:
        return QString();
    }
}

QString ViewErrorMessage(const engine::EngineError& error) {
    return QStringLiteral("Error:") + QString::number(error.number()) + QLatin1Char(' ') + error.description();
}

bool DataErrorShown(int dataError, const QString& description, QString* message) {
    if (dataError == 481) return false;
    *message = QStringLiteral("Data error event hit Err:") + description;
    return true;
}

}  // namespace veranth::views
