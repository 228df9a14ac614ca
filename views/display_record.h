#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class Recordset;
}

namespace veranth::views {

// A Memo longer than this shows only its first characters in a value box.
inline constexpr int kMemoBoxChars = 50;

// What a field-form view shows for the current record: the position text for lblStatus and,
// unless a new record is being added, the text of every value box txtFieldData(i).
struct RecordDisplay {
    QString status;
    bool fieldsWritten = false;
    QStringList fieldTexts;
    // How many characters of the stored value each box's text stands for: all of it, except a
    // long Memo, whose box holds only its start. Writing a box back keeps the part not shown.
    std::vector<std::int64_t> shownLengths;
};

// `DisplayRecord`: the position text ("3/25", "25 Rows", "(BOF)/25", "  [Not Updatable]" after it)
// and the field texts. An engine error in a step is shown and the next step still runs.
RecordDisplay DisplayRecord(db::Session& session, engine::Recordset& recordset, std::int32_t rowCount, bool adding);

// `BlankFieldBoxes`: the texts of fieldCount empty boxes.
QStringList BlankFieldBoxes(int fieldCount);

// The position text alone: "3/25", or "25 Rows" for a count-only display.
QString PositionText(double percentPosition, std::int64_t recordCount, std::int32_t rowCount, bool countOnly);

}  // namespace veranth::views
