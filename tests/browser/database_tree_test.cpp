#include "browser/database_tree.h"

#include "engine/field_type.h"
#include "tests/support/session_fixture.h"

#include <gtest/gtest.h>

namespace veranth::browser {
namespace {

using engine::FieldType;

// A file with Clients (ClientRef, Name; index ByName; an 80-character validation text), a query
// over it, and an attached table from a second file.
class BrowserDatabaseTree : public ::testing::Test {
protected:
    testing::SessionFixture f;
    db::Session& s = f.session;
    DatabaseTree tree;
    const QString longText = QString(80, QLatin1Char('v'));

    void SetUp() override {
        f.LogIn();
        const QString lettersPath = f.NewDatabase(QStringLiteral("letters.mdb"));
        {
            auto letters = f.engine.openDatabase(lettersPath);
            auto t = letters->createTableDef(QStringLiteral("Letters"));
            t->fields().append(t->createField(QStringLiteral("LetterRef"), FieldType::Long));
            letters->tableDefs().append(t);
            letters->close();
        }
        s.database = f.engine.openDatabase(f.NewDatabase(QStringLiteral("main.mdb")));
        auto t = s.database->createTableDef(QStringLiteral("Clients"));
        t->fields().append(t->createField(QStringLiteral("ClientRef"), FieldType::Long));
        auto name = t->createField(QStringLiteral("Name"), FieldType::Text, 30);
        name->setValidationText(longText);
        t->fields().append(name);
        t->setValidationText(longText);
        auto index = t->createIndex(QStringLiteral("ByName"));
        index->setFields(QStringLiteral("Name"));
        t->indexes().append(index);
        s.database->tableDefs().append(t);
        auto link = s.database->createTableDef(QStringLiteral("LetterLink"));
        link->setConnect(QStringLiteral(";DATABASE=") + lettersPath);
        link->setSourceTableName(QStringLiteral("Letters"));
        s.database->tableDefs().append(link);
        s.database->createQueryDef(QStringLiteral("AllClients"), QStringLiteral("SELECT * FROM Clients"));
        tree.Load(s);
    }
    QStringList Texts(const QStringList& keys) const {
        QStringList texts;
        for (const QString& k : keys) texts.append(tree.Node(k)->text);
        return texts;
    }
};

TEST_F(BrowserDatabaseTree, RootsAndGroupsHaveTheirKeysTextsImagesAndTags) {
    EXPECT_EQ(tree.Roots(), (QStringList{">Properties", "TClients", "TLetterLink", "AllClients"}));
    EXPECT_EQ(tree.Children(QStringLiteral("TClients")), (QStringList{"Clients>Fields", "Clients>Indexes", "Clients>Properties"}));
    EXPECT_EQ(tree.Node(QStringLiteral("TClients"))->image, NodeImage::Table);
    EXPECT_EQ(tree.Node(QStringLiteral("TLetterLink"))->image, NodeImage::Attached);
    const TreeNode* attach = tree.Node(QStringLiteral("LetterLink>AttachType"));
    ASSERT_NE(attach, nullptr);
    EXPECT_EQ(attach->text, QStringLiteral("Microsoft Access Table"));
    EXPECT_EQ(tree.Node(QStringLiteral("AllClients"))->tag, QStringLiteral("Query"));
    EXPECT_EQ(tree.Children(QStringLiteral("AllClients")), QStringList{"AllClients>Properties"});
    EXPECT_FALSE(tree.Children(QStringLiteral(">Properties")).isEmpty()) << "the database's properties are filled at load";
    EXPECT_TRUE(s.menus.Visible(QStringLiteral("mnuDBPUNewQuery")));
}

TEST_F(BrowserDatabaseTree, GroupsFillOnTheirFirstClickOnly) {
    EXPECT_EQ(Texts(tree.Click(s, QStringLiteral("Clients>Fields"))), (QStringList{"ClientRef", "Name"}));
    EXPECT_TRUE(tree.Click(s, QStringLiteral("Clients>Fields")).isEmpty()) << "a second click adds nothing";
    EXPECT_NE(tree.Node(QStringLiteral("TClients>Fields>Name")), nullptr);
    EXPECT_EQ(Texts(tree.Click(s, QStringLiteral("Clients>Indexes"))), QStringList{"ByName"});
    EXPECT_EQ(tree.CurrentKey(), QStringLiteral("Clients>Indexes"));
}

TEST_F(BrowserDatabaseTree, TableStringPropertiesAreCutButFieldOnesAreWhole) {
    tree.Click(s, QStringLiteral("Clients>Properties"));
    const TreeNode* tableText = tree.Node(QStringLiteral("TClients>ValidationText"));
    ASSERT_NE(tableText, nullptr);
    EXPECT_EQ(tableText->text, QStringLiteral("ValidationText=") + longText.left(50));

    tree.Click(s, QStringLiteral("Clients>Fields"));
    const QStringList added = tree.Click(s, QStringLiteral("TClients>Fields>Name"));
    const QString key = QStringLiteral("Clients>Fields") + QStringLiteral("TClients>Fields>Name") + QStringLiteral(">ValidationText");
    ASSERT_NE(tree.Node(key), nullptr) << added.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(tree.Node(key)->text, QStringLiteral("ValidationText=") + longText);
    for (const QString& k : added) EXPECT_FALSE(tree.Node(k)->text.startsWith(QStringLiteral("Value="))) << "a field's Value is not listed";
}

TEST_F(BrowserDatabaseTree, RenamesGoToTheEngineAndFailuresKeepTheOldText) {
    EXPECT_FALSE(tree.CanRename(QStringLiteral("Clients>Fields")));
    EXPECT_FALSE(tree.CanRename(QStringLiteral(">Properties")));
    EXPECT_TRUE(tree.Rename(s, QStringLiteral("TClients"), QStringLiteral("Customers")).isEmpty());
    EXPECT_NO_THROW(s.database->tableDefs().item(QStringLiteral("Customers")));
    EXPECT_EQ(tree.Node(QStringLiteral("TClients"))->text, QStringLiteral("Customers")) << "the key stays, the text changes";

    const QString failure = tree.Rename(s, QStringLiteral("TClients"), QStringLiteral("LetterLink"));
    EXPECT_FALSE(failure.isEmpty());
    EXPECT_EQ(tree.Node(QStringLiteral("TClients"))->text, QStringLiteral("Customers"));
}

TEST_F(BrowserDatabaseTree, PopupItemsFollowTheNode) {
    const struct {
        const char* key;  // empty: no node under the pointer
        bool open, copy, design, renameShown, renameEnabled;
    } cases[] = {
        {"", false, false, false, false, false},
        {"TClients", true, true, true, true, true},
        {"AllClients", true, false, true, true, true},
        {"Clients>Properties", false, false, false, true, false},
    };
    for (const auto& c : cases) {
        const TreeNode* node = c.key[0] ? tree.Node(QLatin1String(c.key)) : nullptr;
        DatabaseTree::SetPopupItems(s, node);
        EXPECT_EQ(s.menus.Visible(QStringLiteral("mnuDBPUOpen")), c.open) << c.key;
        EXPECT_EQ(s.menus.Visible(QStringLiteral("mnuDBPUCopyStruct")), c.copy) << c.key;
        EXPECT_EQ(s.menus.Visible(QStringLiteral("mnuDBPUDesign")), c.design) << c.key;
        EXPECT_EQ(s.menus.Visible(QStringLiteral("mnuDBPURename")), c.renameShown) << c.key;
        EXPECT_EQ(s.menus.Enabled(QStringLiteral("mnuDBPURename")), c.renameEnabled) << c.key;
        EXPECT_EQ(s.menus.Visible(QStringLiteral("mnuDBPUBar1")), node != nullptr) << c.key;
    }
}

TEST_F(BrowserDatabaseTree, TableListNamesAttachedTablesAndHidesSystemOnes) {
    EXPECT_EQ(TableListEntries(s), (QStringList{"Clients", "LetterLink -> Microsoft Access"}));
    s.preferences.allowSys = true;
    EXPECT_GT(TableListEntries(s).size(), 2);
    tree.Load(s);
    EXPECT_GT(tree.Roots().size(), 4);
    EXPECT_EQ(AttachmentPrefix(QStringLiteral("dBase III;DATABASE=/srv/dbf")), QStringLiteral("dBase III"));
}

TEST(BrowserDatabaseTreeEmpty, QueriesWithoutTablesHideNewQuery) {
    testing::SessionFixture f;
    f.LogIn();
    f.session.database = f.engine.openDatabase(f.NewDatabase(QStringLiteral("q.mdb")));
    f.session.database->createQueryDef(QStringLiteral("Constant"), QStringLiteral("SELECT 1 AS One"));
    DatabaseTree tree;
    tree.Load(f.session);
    EXPECT_FALSE(f.session.menus.Visible(QStringLiteral("mnuDBPUNewQuery")));
    EXPECT_NE(tree.Node(QStringLiteral("Constant")), nullptr);
}

}  // namespace
}  // namespace veranth::browser
