#include "views/open_recordset.h"

#include "tests/views/views_fixture.h"

namespace veranth::views {
namespace {

using db::RecordsetType;
using db::ViewWindowKind;
using platform::PromptRecord;

class ViewsOpenRecordset : public testing::ViewsTest {
protected:
    void SetUp() override {
        ViewsTest::SetUp();
        FillCustomers(5);
    }
    const QList<db::RecordsetWindowRequest>& Shown() const { return f.windows.shown; }
    int Beeps() const {
        int n = 0;
        for (const PromptRecord& r : f.prompter.Records()) n += r.kind == PromptRecord::Kind::Beep;
        return n;
    }
};

TEST_F(ViewsOpenRecordset, TableCaptionAndWindowFollowTheRecordsetTypeAndViewMode) {
    struct Case {
        db::ViewMode mode;
        RecordsetType type;
        const char* caption;
        ViewWindowKind kind;
        const char* status;
    };
    const Case cases[] = {
        {db::ViewMode::FieldForm, RecordsetType::Dynaset, "Dynaset:Customers", ViewWindowKind::DynaSnap, "Opening Single Table Dynaset, please wait..."},
        {db::ViewMode::FieldForm, RecordsetType::Snapshot, "Snapshot:Customers", ViewWindowKind::DynaSnap, "Opening Single Table Snapshot, please wait..."},
        {db::ViewMode::FieldForm, RecordsetType::Table, "Table:Customers", ViewWindowKind::TableObj, "Opening Full Table, please wait..."},
        {db::ViewMode::DataControl, RecordsetType::Dynaset, "Dynaset:Customers", ViewWindowKind::DataControl, "Opening Single Table Dynaset, please wait..."},
        {db::ViewMode::Grid, RecordsetType::Table, "Table:Customers", ViewWindowKind::DataGrid, "Opening Full Table, please wait..."},
    };
    for (const Case& c : cases) {
        f.windows.shown.clear();
        s.connection.viewMode = c.mode;
        s.connection.recordsetType = c.type;
        ViewTable(s, QStringLiteral("Customers"));
        ASSERT_EQ(Shown().size(), 1) << c.caption;
        EXPECT_EQ(Shown()[0].caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(Shown()[0].kind, c.kind) << c.caption;
        ASSERT_TRUE(Shown()[0].recordset);
        EXPECT_EQ(Shown()[0].recordset->fields().count(), 5);
        EXPECT_TRUE(f.status.History().contains(QString::fromUtf8(c.status))) << c.caption;
        EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
    }
    EXPECT_TRUE(f.Messages().isEmpty());
}

TEST_F(ViewsOpenRecordset, AttachedTableAsTableAsksAndYesOpensADynasetWithItsButtonPressed) {
    s.connection.recordsetType = RecordsetType::Table;
    f.prompter.AddAnswer(QStringLiteral("yes"));
    ViewTable(s, QStringLiteral("CustomerLink"));
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("Can't Open a Table Object on an Attached Table, Use Dynaset?")});
    EXPECT_EQ(Beeps(), 1);
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_EQ(Shown()[0].caption, QStringLiteral("Dynaset:CustomerLink"));
    EXPECT_EQ(s.connection.recordsetType, RecordsetType::Dynaset);
    EXPECT_TRUE(s.menus.Checked(QStringLiteral("Dynaset")));
    EXPECT_FALSE(s.menus.Checked(QStringLiteral("Table")));
    EXPECT_TRUE(f.status.History().contains(QStringLiteral("Opening Attached Table as Dynaset, please wait...")));
}

TEST_F(ViewsOpenRecordset, AttachedTableAsTableAnsweredNoOpensNothing) {
    s.connection.recordsetType = RecordsetType::Table;
    f.prompter.AddAnswer(QStringLiteral("no"));
    ViewTable(s, QStringLiteral("CustomerLink"));
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_EQ(s.connection.recordsetType, RecordsetType::Table);
}

TEST_F(ViewsOpenRecordset, AttachmentIsOnlyAskedAboutForAccessFiles) {
    s.connection.recordsetType = RecordsetType::Dynaset;
    ViewTable(s, QStringLiteral("CustomerLink"));
    EXPECT_TRUE(f.status.History().contains(QStringLiteral("Opening Attached Table as Dynaset, please wait...")));
    s.connection.dataType = QStringLiteral("Dbase IV;");
    ViewTable(s, QStringLiteral("CustomerLink"));
    EXPECT_TRUE(f.status.History().contains(QStringLiteral("Opening Single Table Dynaset, please wait...")));
    EXPECT_EQ(Shown().size(), 2);
}

TEST_F(ViewsOpenRecordset, AMissingTableIsReportedAndOpensNothing) {
    ViewTable(s, QStringLiteral("Nowhere"));
    EXPECT_TRUE(Shown().isEmpty());
    ASSERT_EQ(f.Messages().size(), 1);
    EXPECT_TRUE(f.Messages()[0].startsWith(QStringLiteral("The following Error occurred:")));
    EXPECT_FALSE(f.status.Busy());
}

TEST_F(ViewsOpenRecordset, SelectTextRoutesToAViewOnceCaptionedWithItsText) {
    const QString select = QStringLiteral("SELECT * FROM Customers WHERE ID > 2");
    ViewQuery(s, select, true);
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_EQ(Shown()[0].caption, select);
    EXPECT_EQ(Shown()[0].kind, ViewWindowKind::DynaSnap);
    Shown()[0].recordset->moveLast();
    EXPECT_EQ(Shown()[0].recordset->recordCount(), 3);
    EXPECT_TRUE(f.Messages().isEmpty());
    EXPECT_TRUE(f.status.History().contains(QStringLiteral("Opening Query Dynaset, please wait...")));

    // Longer than 50 characters: a general caption.
    const QString longer = QStringLiteral("SELECT ID, [Last Name], City, Amount FROM Customers WHERE ID > 2");
    ViewQuery(s, longer, true);
    ASSERT_EQ(Shown().size(), 2);
    EXPECT_EQ(Shown()[1].caption, QStringLiteral("SQL Statement"));
}

TEST_F(ViewsOpenRecordset, ASelectThatFailsToOpenIsReportedOnceAndNotRetried) {
    ViewQuery(s, QStringLiteral("SELECT * FROM Nowhere"), true);
    EXPECT_TRUE(Shown().isEmpty());
    ASSERT_EQ(f.Messages().size(), 1);
    EXPECT_TRUE(f.Messages()[0].contains(QStringLiteral("Number: ")));
}

TEST_F(ViewsOpenRecordset, DeleteTextRunsWithoutAskingAndMarksPendingChangesInATransaction) {
    s.connection.inTransaction = true;
    ViewQuery(s, QStringLiteral("DELETE FROM Customers WHERE ID = 1"), true);
    EXPECT_TRUE(f.Messages().isEmpty());
    EXPECT_EQ(CountRows(QStringLiteral("Customers")), 4);
    EXPECT_TRUE(s.connection.pendingChanges);
    EXPECT_TRUE(Shown().isEmpty());
    EXPECT_TRUE(f.status.History().contains(QStringLiteral("Executing Query, please wait...")));
}

TEST_F(ViewsOpenRecordset, StoredDeleteQueryAsksFirst) {
    s.database->createQueryDef(QStringLiteral("DropOne"), QStringLiteral("DELETE FROM Customers WHERE ID = 1"));
    f.prompter.AddAnswer(QStringLiteral("no"));
    ViewQuery(s, QStringLiteral("DropOne"), false);
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("Execute Delete Query?")});
    EXPECT_EQ(CountRows(QStringLiteral("Customers")), 5);
    f.prompter.AddAnswer(QStringLiteral("yes"));
    ViewQuery(s, QStringLiteral("DropOne"), false);
    EXPECT_EQ(CountRows(QStringLiteral("Customers")), 4);
    // Outside a transaction nothing is pending.
    EXPECT_FALSE(s.connection.pendingChanges);
}

TEST_F(ViewsOpenRecordset, StoredSelectWithParametersAsksInOrderBeforeOpening) {
    s.database->createQueryDef(QStringLiteral("Band"),
                               QStringLiteral("PARAMETERS [Low Id] Long, [High Id] Long; "
                                              "SELECT * FROM Customers WHERE ID >= [Low Id] AND ID <= [High Id]"));
    s.connection.viewMode = db::ViewMode::DataControl;
    f.prompter.AddAnswer(QStringLiteral("text:2"));
    f.prompter.AddAnswer(QStringLiteral("text:4"));
    ViewQuery(s, QStringLiteral("Band"), false);
    EXPECT_EQ(InputTitles(), (QStringList{QStringLiteral("'Low Id':|Enter Value for Parameter:"),
                                          QStringLiteral("'High Id':|Enter Value for Parameter:")}));
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_EQ(Shown()[0].kind, ViewWindowKind::DataControl);
    EXPECT_TRUE(Shown()[0].parameterized);
    Shown()[0].recordset->moveLast();
    EXPECT_EQ(Shown()[0].recordset->recordCount(), 3);
}

TEST_F(ViewsOpenRecordset, StoredSelectAsTableAsksForADynaset) {
    s.database->createQueryDef(QStringLiteral("All"), QStringLiteral("SELECT * FROM Customers"));
    s.connection.recordsetType = RecordsetType::Table;
    f.prompter.AddAnswer(QStringLiteral("no"));
    ViewQuery(s, QStringLiteral("All"), false);
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("Can't Open a Table Object from a QueryDef, Use Dynaset?")});
    EXPECT_TRUE(Shown().isEmpty());
    f.prompter.AddAnswer(QStringLiteral("yes"));
    ViewQuery(s, QStringLiteral("All"), false);
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_EQ(s.connection.recordsetType, RecordsetType::Dynaset);
    EXPECT_TRUE(s.menus.Checked(QStringLiteral("Dynaset")));
}

TEST_F(ViewsOpenRecordset, SnapshotTypeOpensQueriesAsSnapshots) {
    s.connection.recordsetType = RecordsetType::Snapshot;
    ViewQuery(s, QStringLiteral("SELECT * FROM Customers"), true);
    ASSERT_EQ(Shown().size(), 1);
    EXPECT_EQ(Shown()[0].recordset->type(), engine::RecordsetType::Snapshot);
    EXPECT_FALSE(Shown()[0].recordset->updatable());
}

}  // namespace
}  // namespace veranth::views
