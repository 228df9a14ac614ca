#include "views/display_record.h"

#include "tests/views/views_fixture.h"

namespace veranth::views {
namespace {

class ViewsDisplayRecord : public testing::ViewsTest {};

TEST_F(ViewsDisplayRecord, PositionTextsAndFieldTexts) {
    FillCustomers(25);
    auto rs = OpenCustomers();
    rs->moveLast();
    rs->moveFirst();
    rs->move(2);
    RecordDisplay d = DisplayRecord(s, *rs, 25, false);
    EXPECT_EQ(d.status, QStringLiteral("3/25"));
    ASSERT_TRUE(d.fieldsWritten);
    EXPECT_EQ(d.fieldTexts, (QStringList{"3", "Name3", "York", "3", ""}));

    // Adding: the count and position, the boxes left alone.
    d = DisplayRecord(s, *rs, 25, true);
    EXPECT_EQ(d.status, QStringLiteral("3/25"));
    EXPECT_FALSE(d.fieldsWritten);

    rs->moveFirst();
    rs->movePrevious();
    d = DisplayRecord(s, *rs, 25, false);
    EXPECT_EQ(d.status, QStringLiteral("(BOF)/25"));
    EXPECT_EQ(d.fieldTexts, BlankFieldBoxes(5));
    rs->moveLast();
    rs->moveNext();
    EXPECT_EQ(DisplayRecord(s, *rs, 25, false).status, QStringLiteral("(EOF)/25"));
    EXPECT_TRUE(f.Messages().isEmpty());
}

TEST_F(ViewsDisplayRecord, TableOfATableWithoutIndexesShowsOnlyTheCount) {
    for (int i = 1; i <= 25; ++i) s.database->execute(QStringLiteral("INSERT INTO Plain (Code) VALUES (%1)").arg(i));
    auto rs = s.database->openRecordset(QStringLiteral("Plain"), engine::RecordsetType::Table);
    rs->move(2);
    EXPECT_EQ(DisplayRecord(s, *rs, 25, false).status, QStringLiteral("25 Rows"));
    // With an index the position shows.
    FillCustomers(25);
    auto indexed = OpenCustomers(engine::RecordsetType::Table);
    indexed->move(2);
    EXPECT_EQ(DisplayRecord(s, *indexed, 25, false).status, QStringLiteral("3/25"));
}

TEST_F(ViewsDisplayRecord, ASetThatCannotBeChangedSaysSo) {
    FillCustomers(25);
    auto rs = OpenCustomers(engine::RecordsetType::Snapshot);
    rs->moveLast();
    rs->moveFirst();
    rs->move(2);
    EXPECT_EQ(DisplayRecord(s, *rs, 25, false).status, QStringLiteral("3/25  [Not Updatable]"));
}

TEST_F(ViewsDisplayRecord, AMemoBoxShowsItsFirstFiftyCharacters) {
    FillCustomers(3);
    const QString memo49(49, QLatin1Char('a'));
    const QString memo80 = QString(50, QLatin1Char('b')) + QString(30, QLatin1Char('c'));
    s.database->execute(QStringLiteral("UPDATE Customers SET Notes = '%1' WHERE ID = 1").arg(memo49));
    s.database->execute(QStringLiteral("UPDATE Customers SET Notes = '%1' WHERE ID = 2").arg(memo80));
    auto rs = OpenCustomers();
    RecordDisplay d = DisplayRecord(s, *rs, 3, false);
    EXPECT_EQ(d.fieldTexts[4], memo49);
    EXPECT_EQ(d.shownLengths[4], 49);
    rs->moveNext();
    d = DisplayRecord(s, *rs, 3, false);
    EXPECT_EQ(d.fieldTexts[4], QString(50, QLatin1Char('b')));
    EXPECT_EQ(d.shownLengths[4], 50);
}

TEST(ViewsPositionText, RoundsHalvesToEven) {
    // 2.5 of 4 rows, 0.625 x 4 + 1 = 3.5 -> 4; 0.375 x 4 + 1 = 2.5 -> 2.
    EXPECT_EQ(PositionText(62.5, 4, 4, false), QStringLiteral("4/4"));
    EXPECT_EQ(PositionText(37.5, 4, 4, false), QStringLiteral("2/4"));
    EXPECT_EQ(PositionText(50, 0, 0, false), QStringLiteral("0/0"));
    EXPECT_EQ(PositionText(50, 10, 10, true), QStringLiteral("10 Rows"));
}

}  // namespace
}  // namespace veranth::views
