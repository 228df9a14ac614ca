#include "browser/database_window.h"
#include "browser/property_window.h"
#include "browser/sql_window.h"

#include "engine/errors.h"
#include "platform/widgets/form_helpers.h"
#include "tests/browser/browser_fixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace veranth::browser {
namespace {

template <class T>
T* Child(const QWidget& parent, const char* name) {
    T* child = parent.findChild<T*>(QLatin1String(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
}

// A property of its own, kept in a value the test can read.
struct HeldProperty {
    engine::Value value;
    engine::Property property;
    HeldProperty(const char* name, int type, engine::Value initial)
        : value(std::move(initial)), property(QLatin1String(name), type, [this] { return value; }, [this](const engine::Value& v) { value = v; }) {}
};

TEST(BrowserPropertyWindow, BooleanPropertyIsACheckBoxCaptionedWithItsName) {
    platform::ScriptedPrompter prompter;
    HeldProperty held("AllowZeroLength", 1, engine::Value::boolean(true));
    FrmProperty window(prompter);
    window.SetPropObject(&held.property);
    window.show();
    EXPECT_EQ(window.objectName(), QStringLiteral("frmProperty"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("AllowZeroLength Property Value"));
    EXPECT_EQ(Child<QLabel>(window, "lblLabel")->text(), QStringLiteral("&Enter property value:"));
    EXPECT_FALSE(Child<QLineEdit>(window, "txtPropValue")->isVisible());
    QCheckBox* box = Child<QCheckBox>(window, "chkPropValue");
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), QStringLiteral("AllowZeroLength"));
    EXPECT_TRUE(box->isChecked());

    box->setChecked(false);
    QTest::mouseClick(Child<QPushButton>(window, "cmdOK"), Qt::LeftButton);
    EXPECT_TRUE(window.OK());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(held.value, engine::Value::boolean(false));
}

TEST(BrowserPropertyWindow, TypeMismatchIsReportedAndTheEditorStaysOpen) {
    platform::ScriptedPrompter prompter;
    HeldProperty held("QueryTimeout", 3, engine::Value::integer(60));
    FrmProperty window(prompter);
    window.SetPropObject(&held.property);
    window.show();
    QApplication::setActiveWindow(&window);
    QLineEdit* text = Child<QLineEdit>(window, "txtPropValue");
    EXPECT_EQ(text->text(), QStringLiteral("60"));
    text->setText(QStringLiteral("sixty"));
    QTest::mouseClick(Child<QPushButton>(window, "cmdOK"), Qt::LeftButton);
    ASSERT_EQ(prompter.Records().size(), 1);
    EXPECT_EQ(prompter.Records()[0].text, engine::EngineError(engine::err::kTypeMismatch, QStringLiteral("sixty"), QStringLiteral("Integer")).description());
    EXPECT_TRUE(window.isVisible());
    EXPECT_FALSE(window.OK());
    EXPECT_TRUE(text->hasFocus());
    EXPECT_EQ(held.value, engine::Value::integer(60));

    text->setText(QStringLiteral("30"));
    QTest::mouseClick(Child<QPushButton>(window, "cmdOK"), Qt::LeftButton);
    EXPECT_TRUE(window.OK());
    EXPECT_EQ(held.value, engine::Value::integer(30));

    window.SetPropObject(&held.property);
    window.show();
    QTest::mouseClick(Child<QPushButton>(window, "cmdCancel"), Qt::LeftButton);
    EXPECT_FALSE(window.OK());
    EXPECT_FALSE(window.isVisible());
}

class BrowserWindows : public ::testing::Test {
protected:
    testing::BrowserDatabase d;
    db::Session& s = d.s;

    QTreeWidgetItem* Item(const FrmDatabase& window, const QString& key) {
        QTreeWidgetItemIterator it(window.TreeWidget());
        for (; *it; ++it)
            if ((*it)->data(0, kNodeKeyRole).toString() == key) return *it;
        return nullptr;
    }
};

TEST_F(BrowserWindows, DoubleClickOnAPropertyEditsItUntilTheValueFits) {
    FrmDatabase window(s, nullptr);
    window.LoadDatabase();
    const QString key = QStringLiteral(">Properties>QueryTimeout");
    ASSERT_NE(Item(window, key), nullptr);
    // The editor is modal: it is answered once its own event loop runs.
    QStringList seen;
    QTimer::singleShot(0, [&] {
        auto* editor = qobject_cast<FrmProperty*>(QApplication::activeModalWidget());
        ASSERT_NE(editor, nullptr);
        seen.append(editor->windowTitle());
        QLineEdit* text = Child<QLineEdit>(*editor, "txtPropValue");
        text->setText(QStringLiteral("abc"));
        QTest::mouseClick(Child<QPushButton>(*editor, "cmdOK"), Qt::LeftButton);
        seen.append(editor->isVisible() ? QStringLiteral("still open") : QStringLiteral("closed"));
        text->setText(QStringLiteral("25"));
        QTest::mouseClick(Child<QPushButton>(*editor, "cmdOK"), Qt::LeftButton);
    });
    window.DoubleClickNode(key);
    EXPECT_EQ(seen, (QStringList{"QueryTimeout Property Value", "still open"}));
    EXPECT_EQ(d.f.Messages().size(), 1) << "the type mismatch";
    EXPECT_EQ(Item(window, key)->text(0), QStringLiteral("QueryTimeout=25"));
    EXPECT_EQ(s.database->queryTimeout(), 25);
}

TEST_F(BrowserWindows, DeleteFromThePopupRemovesTheNodeAndItsGroups) {
    FrmDatabase window(s, nullptr);
    window.LoadDatabase();
    const int before = window.TreeWidget()->topLevelItemCount();
    window.RightClickNode(QStringLiteral("TClients"));
    d.f.prompter.AddAnswer(QStringLiteral("yes"));
    window.DeletePopupNode();
    EXPECT_EQ(window.TreeWidget()->topLevelItemCount(), before - 1);
    EXPECT_EQ(Item(window, QStringLiteral("Clients>Fields")), nullptr);
    EXPECT_FALSE(s.database->tableDefs().contains(QStringLiteral("Clients")));
    window.DeletePopupNode();
    EXPECT_EQ(d.f.Messages().size(), 1) << "with the node gone there is nothing left to delete";
}

TEST_F(BrowserWindows, DesignOnAQueryOffersItsSqlAndOnATableTheDesigner) {
    FrmDatabase window(s, nullptr);
    window.LoadDatabase();
    QSignalSpy sql(&window, &FrmDatabase::QuerySqlRequested);
    QSignalSpy design(&window, &FrmDatabase::TableDesignRequested);
    window.RightClickNode(QStringLiteral("AllClients"));
    window.DesignPopupNode();
    window.RightClickNode(QStringLiteral("TClients"));
    window.DesignPopupNode();
    ASSERT_EQ(sql.count(), 1);
    EXPECT_EQ(sql[0][0].toString(), QStringLiteral("SELECT * FROM Clients"));
    ASSERT_EQ(design.count(), 1);
    EXPECT_EQ(design[0][0].toString(), QStringLiteral("Clients"));
}

TEST_F(BrowserWindows, SqlWindowStartsAtItsDefaultPlaceEmptyAndKeepsItsTextForNextTime) {
    {
        FrmSQL window(s);
        EXPECT_EQ(window.windowTitle(), QStringLiteral("SQL Statement"));
        EXPECT_EQ(window.geometry(), QRect(platform::TwipsToPixels(&window, 3850), 0, platform::TwipsToPixels(&window, 5370),
                                           platform::TwipsToPixels(&window, 3000)));
        EXPECT_TRUE(window.Statement().isEmpty());
        EXPECT_FALSE(Child<QPushButton>(window, "cmdExecuteSQL")->isEnabled());
        Child<QPlainTextEdit>(window, "txtSQLStatement")->setPlainText(QStringLiteral("SELECT Name\nFROM Clients"));
        EXPECT_TRUE(Child<QPushButton>(window, "cmdExecuteSQL")->isEnabled());
        window.close();
    }
    FrmSQL again(s);
    EXPECT_EQ(again.Statement(), QStringLiteral("SELECT Name\nFROM Clients"));
    QTest::mouseClick(Child<QPushButton>(again, "cmdClearSQL"), Qt::LeftButton);
    EXPECT_TRUE(again.Statement().isEmpty());
    EXPECT_FALSE(Child<QPushButton>(again, "cmdExecuteSQL")->isEnabled());
}

TEST_F(BrowserWindows, ExecutedStatementsAreRecalledInAnotherWindowWithCtrlUpAndDown) {
    {
        FrmSQL first(s);
        for (const char* sql : {"UPDATE Clients SET Name = 'A'", "SELECT * FROM Clients"}) {
            first.SetStatement(QLatin1String(sql));
            QTest::mouseClick(Child<QPushButton>(first, "cmdExecuteSQL"), Qt::LeftButton);
        }
        first.close();
    }
    FrmSQL second(s);
    QPlainTextEdit* box = Child<QPlainTextEdit>(second, "txtSQLStatement");
    second.SetStatement(QStringLiteral("SELECT half typed"));
    QStringList shown;
    for (Qt::Key key : {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up, Qt::Key_Down, Qt::Key_Down}) {
        QTest::keyClick(box, key, Qt::ControlModifier);
        shown.append(box->toPlainText());
    }
    EXPECT_EQ(shown, (QStringList{"SELECT * FROM Clients", "UPDATE Clients SET Name = 'A'", "UPDATE Clients SET Name = 'A'",
                                  "SELECT * FROM Clients", "SELECT half typed"}));
    ASSERT_EQ(second.History().Entries().size(), 2);
    EXPECT_EQ(second.History().Entries()[0].database, s.database->name());
}

TEST_F(BrowserWindows, ExecuteRunsAnActionWithoutAQuestionAndShowsASelectCaptionedWithItsText) {
    for (int ref : {1, 2}) s.database->execute(QStringLiteral("INSERT INTO Clients (ClientRef, Name, Notes) VALUES (%1, 'C%1', 'n')").arg(ref));
    s.connection.recordsetType = db::RecordsetType::Dynaset;
    s.connection.viewMode = db::ViewMode::FieldForm;
    FrmSQL window(s);
    window.SetStatement(QStringLiteral("DELETE FROM Clients WHERE ClientRef = 1"));
    QTest::mouseClick(Child<QPushButton>(window, "cmdExecuteSQL"), Qt::LeftButton);
    EXPECT_TRUE(d.f.prompter.Records().isEmpty()) << d.f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_TRUE(d.f.windows.shown.isEmpty()) << "an action opens no view";
    EXPECT_EQ(s.database->tableDefs().item(QStringLiteral("Clients"))->recordCount(), 1);

    const QString select = QStringLiteral("SELECT Name FROM Clients");
    window.SetStatement(select);
    QTest::mouseClick(Child<QPushButton>(window, "cmdExecuteSQL"), Qt::LeftButton);
    ASSERT_EQ(d.f.windows.shown.size(), 1) << d.f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(d.f.windows.shown[0].caption, select);
    EXPECT_EQ(d.f.windows.shown[0].kind, db::ViewWindowKind::DynaSnap);
}

TEST_F(BrowserWindows, SaveMakesAStoredQueryAndIsHiddenForOtherDatabases) {
    FrmSQL window(s);
    window.show();
    QSignalSpy saved(&window, &FrmSQL::QuerySaved);
    window.SetStatement(QStringLiteral("SELECT Name FROM Clients"));
    d.f.prompter.AddAnswer(QStringLiteral("text:ClientNames"));
    QTest::mouseClick(Child<QPushButton>(window, "cmdSaveQueryDef"), Qt::LeftButton);
    EXPECT_EQ(saved.count(), 1);
    EXPECT_EQ(s.database->queryDefs().item(QStringLiteral("ClientNames"))->sql(), QStringLiteral("SELECT Name FROM Clients"));

    s.nonAccessDatabase = true;
    window.AfterOpen();
    EXPECT_FALSE(Child<QPushButton>(window, "cmdSaveQueryDef")->isVisible());
    s.nonAccessDatabase = false;
    window.AfterOpen();
    EXPECT_TRUE(Child<QPushButton>(window, "cmdSaveQueryDef")->isVisible());
}

TEST_F(BrowserWindows, ADraggedQueryNodePutsItsSqlInTheBoxAndOtherNodesDoNot) {
    FrmDatabase tree(s, nullptr);
    tree.LoadDatabase();
    FrmSQL window(s);
    window.SetStatement(QStringLiteral("typed"));
    tree.TreeWidget()->setCurrentItem(Item(tree, QStringLiteral("TClients")));
    window.DropFromTree(tree.TreeWidget());
    EXPECT_EQ(window.Statement(), QStringLiteral("typed"));
    tree.TreeWidget()->setCurrentItem(Item(tree, QStringLiteral("AllClients")));
    window.DropFromTree(tree.TreeWidget());
    EXPECT_EQ(window.Statement(), QStringLiteral("SELECT * FROM Clients"));
}

TEST_F(BrowserWindows, GrabsOfTheDatabaseAndSqlWindows) {
    FrmDatabase tree(s, nullptr);
    tree.LoadDatabase();
    tree.ClickNode(QStringLiteral("Clients>Fields"));
    tree.ClickNode(QStringLiteral("TClients>Fields>Name"));
    Item(tree, QStringLiteral("TClients"))->setExpanded(true);
    tree.show();
    FrmSQL window(s);
    window.SetStatement(QStringLiteral("SELECT Name, Notes\nFROM Clients\nWHERE Name Like 'A*'"));
    window.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(tree.grab().save(QDir::currentPath() + QStringLiteral("/browser_database_window.png")));
    EXPECT_TRUE(window.grab().save(QDir::currentPath() + QStringLiteral("/browser_sql_window.png")));
}

}  // namespace
}  // namespace veranth::browser
