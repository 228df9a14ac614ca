#include "browser/object_commands.h"

#include "browser/database_tree.h"
#include "browser/name_reuse.h"
#include "tests/browser/browser_fixture.h"

#include <gtest/gtest.h>

namespace veranth::browser {
namespace {

class BrowserObjectCommands : public ::testing::Test {
protected:
    testing::BrowserDatabase d;
    db::Session& s = d.s;
    DatabaseTree tree;

    void SetUp() override {
        tree.Load(s);
        tree.Click(s, QStringLiteral("Clients>Fields"));
        tree.Click(s, QStringLiteral("Clients>Indexes"));
        tree.Click(s, QStringLiteral("Clients>Properties"));
        tree.Click(s, QStringLiteral("TClients>Fields>ClientRef"));
        tree.Click(s, QStringLiteral("AllClients>Properties"));
    }
    // An editor that types `value` and presses OK, or Cancel when `ok` is false.
    PropertyEditor Typing(const QString& value, bool ok = true) {
        return [this, value, ok](engine::Property& p) {
            ++editorShown;
            if (ok) p.setValue(engine::Value(value));
            return ok;
        };
    }
    int editorShown = 0;
};

TEST_F(BrowserObjectCommands, OpenFollowsThePopupNodeNotTheNodeLastClicked) {
    s.connection.recordsetType = db::RecordsetType::Dynaset;
    s.connection.viewMode = db::ViewMode::FieldForm;
    tree.Click(s, QStringLiteral("TClients"));
    OpenNode(s, tree.Node(QStringLiteral("AllClients")));
    OpenNode(s, tree.Node(QStringLiteral("TClients")));
    OpenNode(s, tree.Node(QStringLiteral("Clients>Fields")));
    ASSERT_EQ(d.f.windows.shown.size(), 2) << d.f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(d.f.windows.shown[0].caption, QStringLiteral("SELECT * FROM Clients")) << "the stored query, by its name";
    EXPECT_EQ(d.f.windows.shown[1].caption, QStringLiteral("Dynaset:Clients"));
    EXPECT_TRUE(d.f.Messages().isEmpty());
    EXPECT_FALSE(d.f.status.Busy());
}

TEST_F(BrowserObjectCommands, DeleteAsksItsQuestionAndNoKeepsEverything) {
    const struct {
        const char* key;
        const char* question;  // nullptr: asks nothing
        const char* answer;
        bool gone;
    } cases[] = {
        {"TClients>Fields>Notes", "Delete Field?", "no", false},
        {"Clients>Fields", nullptr, "", false},
        {"TClients>Fields>Notes", "Delete Field?", "yes", true},
        {"TClients>Indexes>ByName", "Delete Index?", "yes", true},
        {"AllClients", "Delete QueryDef?", "yes", true},
        {"TClients", "Delete Table?", "yes", true},
    };
    for (const auto& c : cases) {
        const QString key = QLatin1String(c.key);
        d.f.prompter.ClearRecords();
        if (c.answer[0]) d.f.prompter.AddAnswer(QLatin1String(c.answer));
        EXPECT_EQ(DeleteNode(s, tree, key), c.gone) << c.key;
        EXPECT_EQ(tree.Node(key) == nullptr, c.gone) << c.key;
        if (!c.question) {
            EXPECT_TRUE(d.f.prompter.Records().isEmpty()) << c.key;
            continue;
        }
        ASSERT_EQ(d.f.prompter.Records().size(), 1) << c.key;
        EXPECT_EQ(d.f.prompter.Records()[0].text, QLatin1String(c.question));
        EXPECT_EQ(d.f.prompter.Records()[0].icon, platform::MessageIcon::Question);
        EXPECT_EQ(d.f.prompter.Records()[0].buttons, platform::MessageButtons::YesNo);
    }
    EXPECT_FALSE(s.database->tableDefs().contains(QStringLiteral("Clients")));
    EXPECT_FALSE(s.database->queryDefs().contains(QStringLiteral("AllClients")));
    EXPECT_EQ(tree.Node(QStringLiteral("Clients>Fields")), nullptr) << "a deleted table's groups leave with it";
    EXPECT_FALSE(tree.Roots().contains(QStringLiteral("TClients")));
}

TEST_F(BrowserObjectCommands, DeletedFieldAndIndexLeaveTheTable) {
    d.f.prompter.AddAnswer(QStringLiteral("yes"));
    d.f.prompter.AddAnswer(QStringLiteral("yes"));
    ASSERT_TRUE(DeleteNode(s, tree, QStringLiteral("TClients>Indexes>ByName")));
    ASSERT_TRUE(DeleteNode(s, tree, QStringLiteral("TClients>Fields>Name")));
    auto table = s.database->tableDefs().item(QStringLiteral("Clients"));
    EXPECT_FALSE(table->fields().contains(QStringLiteral("Name")));
    EXPECT_FALSE(table->indexes().contains(QStringLiteral("ByName")));
    EXPECT_EQ(tree.Children(QStringLiteral("Clients>Fields")), (QStringList{"TClients>Fields>ClientRef", "TClients>Fields>Notes"}));
}

TEST_F(BrowserObjectCommands, ReadOnlyPropertyIsRefusedBeforeAnyEditorOpens) {
    const QString key = QStringLiteral("TClients>DateCreated");
    const QString before = tree.Node(key)->text;
    EXPECT_TRUE(EditPropertyNode(s, tree, key, Typing(QStringLiteral("1/1/2000"))).isEmpty());
    EXPECT_EQ(editorShown, 0);
    ASSERT_EQ(d.f.Messages(), QStringList{"'DateCreated' Property is Read Only!"});
    EXPECT_EQ(d.f.prompter.Records()[0].icon, platform::MessageIcon::Exclamation);
    EXPECT_EQ(tree.Node(key)->text, before);
}

TEST_F(BrowserObjectCommands, EditedNameRenamesTheObjectAndItsNode) {
    const QString fieldName = testing::BrowserDatabase::MemberPropertyKey("Clients>Fields", "TClients>Fields>ClientRef", "Name");
    ASSERT_NE(tree.Node(fieldName), nullptr);
    EXPECT_EQ(EditPropertyNode(s, tree, fieldName, Typing(QStringLiteral("CustNo"))),
              (QStringList{fieldName, "TClients>Fields>ClientRef"}));
    EXPECT_EQ(tree.Node(fieldName)->text, QStringLiteral("Name=CustNo"));
    EXPECT_EQ(tree.Node(QStringLiteral("TClients>Fields>ClientRef"))->text, QStringLiteral("CustNo"));
    EXPECT_TRUE(s.database->tableDefs().item(QStringLiteral("Clients"))->fields().contains(QStringLiteral("CustNo")));

    EditPropertyNode(s, tree, QStringLiteral("AllClients>Name"), Typing(QStringLiteral("EveryClient")));
    EXPECT_EQ(tree.Node(QStringLiteral("AllClients"))->text, QStringLiteral("EveryClient"));
    EXPECT_TRUE(s.database->queryDefs().contains(QStringLiteral("EveryClient")));
    EXPECT_TRUE(d.f.Messages().isEmpty()) << d.f.Messages().join(QLatin1Char('|')).toStdString();
}

TEST_F(BrowserObjectCommands, CancelChangesNothingAndEditedTablePropertiesStayCut) {
    const QString key = QStringLiteral("TClients>ValidationText");
    const QString before = tree.Node(key)->text;
    EXPECT_TRUE(EditPropertyNode(s, tree, key, Typing(QStringLiteral("x"), false)).isEmpty());
    EXPECT_EQ(tree.Node(key)->text, before);

    const QString longer = QString(60, QLatin1Char('w'));
    EditPropertyNode(s, tree, key, Typing(longer));
    EXPECT_EQ(s.database->tableDefs().item(QStringLiteral("Clients"))->validationText(), longer) << "the value itself is whole";
    EXPECT_EQ(tree.Node(key)->text, QStringLiteral("ValidationText=") + longer.left(50));
}

TEST_F(BrowserObjectCommands, StatementSavedAsQueryAsksForItsNameAndAboutReuse) {
    d.f.prompter.AddAnswer(QStringLiteral("cancel"));
    EXPECT_FALSE(SaveStatementAsQuery(s, QStringLiteral("SELECT Name FROM Clients")));
    d.f.prompter.AddAnswer(QStringLiteral("text:allclients"));
    d.f.prompter.AddAnswer(QStringLiteral("no"));
    EXPECT_FALSE(SaveStatementAsQuery(s, QStringLiteral("SELECT Name FROM Clients")));
    EXPECT_EQ(s.database->queryDefs().item(QStringLiteral("AllClients"))->sql(), QStringLiteral("SELECT * FROM Clients"));
    d.f.prompter.AddAnswer(QStringLiteral("text:AllClients"));
    d.f.prompter.AddAnswer(QStringLiteral("yes"));
    EXPECT_TRUE(SaveStatementAsQuery(s, QStringLiteral("SELECT Name FROM Clients")));
    EXPECT_EQ(s.database->queryDefs().item(QStringLiteral("AllClients"))->sql(), QStringLiteral("SELECT Name FROM Clients"));
    EXPECT_EQ(d.f.Messages(), (QStringList{"QueryDef already exists, Delete it?", "QueryDef already exists, Delete it?"}));

    d.f.prompter.AddAnswer(QStringLiteral("text:clients"));
    d.f.prompter.AddAnswer(QStringLiteral("no"));
    EXPECT_FALSE(SaveStatementAsQuery(s, QStringLiteral("SELECT 1")));
    EXPECT_EQ(d.f.Messages().last(), QStringLiteral("Table already exists, Delete it?"));
    EXPECT_TRUE(s.database->tableDefs().contains(QStringLiteral("Clients")));
}

}  // namespace
}  // namespace veranth::browser
