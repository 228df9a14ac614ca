#include "app/main_window.h"

#include "app/status_bar_sink.h"
#include "browser/database_window.h"
#include "engine/field_type.h"
#include "db/menu_tree.h"
#include "db/connection.h"
#include "db/recent_list.h"
#include "tests/support/session_fixture.h"

#include <QAction>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QPointer>
#include <QStatusBar>
#include <QTest>
#include <QTimer>
#include <QApplication>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace veranth::app {
namespace {

class AppMainWindow : public ::testing::Test {
protected:
    testing::SessionFixture f;
    StatusBarSink status;
    FrmMDI window{f.session, status};

    // The captions of the visible items of a menu, separators as "-".
    QStringList VisibleItems(const char* menu) {
        QStringList captions;
        for (QAction* action : window.findChild<QMenu*>(QLatin1String(menu))->actions())
            if (action->isVisible()) captions.append(action->isSeparator() ? QStringLiteral("-") : action->text());
        return captions;
    }
    bool IsVisible(const char* name) { return window.Action(QLatin1String(name))->isVisible(); }
    bool IsEnabled(const char* name) { return window.Action(QLatin1String(name))->isEnabled(); }
};

TEST_F(AppMainWindow, StartsCaptionedWithItsAreaToolbarAndStatusBar) {
    window.Load();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corvane - Veranth"));
    EXPECT_EQ(window.objectName(), QStringLiteral("frmMDI"));
    EXPECT_TRUE(window.isMaximized()) << "the first run opens maximised";
    EXPECT_NE(window.findChild<QMdiArea*>(QStringLiteral("mdiArea")), nullptr);
    EXPECT_NE(window.findChild<QStatusBar*>(QStringLiteral("stsStatusBar")), nullptr);
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("stsPanel1"))->text(), QStringLiteral("Ready"));
    // First run: field form and dynaset.
    EXPECT_TRUE(window.Action(QStringLiteral("NoDataControl"))->isChecked());
    EXPECT_TRUE(window.Action(QStringLiteral("Dynaset"))->isChecked());
    EXPECT_FALSE(window.Action(QStringLiteral("Table"))->isChecked());
    for (const char* name : {"BeginTrans", "Commit", "Rollback"}) EXPECT_FALSE(IsEnabled(name)) << name;
    EXPECT_EQ(window.Action(QStringLiteral("Rollback"))->toolTip(), QStringLiteral("Rollback current Transaction"));

    // Kept beside the build so a person can look at what the program shows.
    window.grab().toImage().save(QDir::currentPath() + QStringLiteral("/main_window.png"));
}

TEST_F(AppMainWindow, WithoutDatabaseOrPasswordTheMenusOfferOnlyTheBasics) {
    EXPECT_EQ(VisibleItems("mnuDatabase"), (QStringList{"&Close", "-", "&Import/Export...", "&Workspace...", "&Errors...", "-",
                                                        "Co&mpact MDB", "&Repair MDB", "-", "E&xit"}));
    EXPECT_FALSE(IsEnabled("mnuDBClose"));
    EXPECT_FALSE(IsEnabled("mnuDBImpExp"));
    EXPECT_EQ(VisibleItems("mnuUtil"), (QStringList{"&Display", "-", "&Clear Connection"}));
    EXPECT_FALSE(IsVisible("mnuDBOBtrieve"));
    EXPECT_FALSE(IsVisible("mnuDBNBtrieve"));
    // Every item of the tree exists with its given name.
    for (const db::MenuItemDef& def : db::MainMenuTree()) EXPECT_NE(window.Action(QLatin1String(def.name)), nullptr) << def.name;
}

TEST_F(AppMainWindow, TheGateOpensTheFileMenusAndShowsTheRecentList) {
    for (int k = 1; k <= 3; ++k) {
        f.Store(QStringLiteral("MRUDatabase%1").arg(k), QStringLiteral("/srv/db%1.mdb").arg(k));
        f.Store(QStringLiteral("MRUConnect%1").arg(k), QStringLiteral("Microsoft Access"));
    }
    db::LoadRecentList(f.session);
    int shown = 0;
    bool answer = false;
    window.SetPasswordWindow([&] {
        ++shown;
        return answer;
    });

    window.Dispatch(QStringLiteral("mnu_DU_Display"));  // Cancel or a wrong password
    EXPECT_EQ(shown, 1);
    EXPECT_FALSE(IsVisible("mnuDBOpen"));
    EXPECT_TRUE(IsVisible("mnu_DU_Display"));
    EXPECT_TRUE(f.prompter.Records().isEmpty()) << "a wrong password gives no message";

    answer = true;
    window.Dispatch(QStringLiteral("mnu_DU_Display"));
    EXPECT_TRUE(IsVisible("mnuDBOpen"));
    EXPECT_TRUE(IsVisible("mnuDBNew"));
    EXPECT_FALSE(IsVisible("mnu_DU_Display"));
    EXPECT_FALSE(IsVisible("mnuUBar2"));
    EXPECT_TRUE(IsVisible("mnuBarMRU"));
    EXPECT_EQ(window.Action(QStringLiteral("mnuDBMRU(2)"))->text(), QStringLiteral("&2 /srv/db2.mdb"));
    EXPECT_TRUE(IsVisible("mnuDBMRU(3)"));
    EXPECT_FALSE(IsVisible("mnuDBMRU(4)"));
}

TEST_F(AppMainWindow, ItemsOfLaterBuildsSaySoAndConvertIdNeedsTheExactSiteSetting) {
    window.Dispatch(QStringLiteral("mnu_DU_Marrowby"));
    ASSERT_EQ(f.prompter.Records().size(), 1);
    EXPECT_EQ(f.prompter.Records()[0].text, QStringLiteral("Marrowby Cash Fix is not available in this build."));

    // The conversion's window is modal: note which window came up and close it.
    QStringList shown;
    const auto dispatchConvert = [&] {
        QTimer::singleShot(0, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                shown.append(modal->windowTitle());
                modal->close();
            }
        });
        window.Dispatch(QStringLiteral("mnu_ChangeDBID(1)"));
        QCoreApplication::processEvents();
    };
    f.WriteSiteProfile("[Customise]\nAllowConvertDBID=true\n");
    dispatchConvert();
    EXPECT_TRUE(shown.isEmpty()) << "lower-case true does nothing";
    f.WriteSiteProfile("[Customise]\nAllowConvertDBID=True\n");
    dispatchConvert();
    EXPECT_EQ(shown, QStringList{QStringLiteral("Convert Database ID and References")});
    EXPECT_EQ(f.prompter.Records().size(), 1);
}

TEST_F(AppMainWindow, ToolbarChoicesAreExclusiveWithinTheirGroup) {
    window.Action(QStringLiteral("DBGrid"))->trigger();
    window.Action(QStringLiteral("Snapshot"))->trigger();
    EXPECT_EQ(f.session.connection.viewMode, db::ViewMode::Grid);
    EXPECT_EQ(f.session.connection.recordsetType, db::RecordsetType::Snapshot);
    EXPECT_TRUE(window.Action(QStringLiteral("DBGrid"))->isChecked());
    EXPECT_FALSE(window.Action(QStringLiteral("NoDataControl"))->isChecked());
    EXPECT_FALSE(window.Action(QStringLiteral("Dynaset"))->isChecked());
}

TEST_F(AppMainWindow, TheMainDatabaseFromTheMenuShowsTheRepairItems) {
    const QString data = f.dir.Path() + QStringLiteral("/data/");
    QDir().mkpath(data);
    f.WriteSiteProfile("[Database Paths]\nMain=" + data.toUtf8() + "\n");
    f.engine.createDatabase(data + QStringLiteral("Mainqor.mdb"))->close();
    window.SetPasswordWindow([] { return true; });
    window.Load();
    window.Dispatch(QStringLiteral("mnu_DU_Display"));
    window.Action(QStringLiteral("mnu_OpenMain"))->trigger();
    ASSERT_TRUE(f.session.database) << f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Corvane - Veranth (") + data + QStringLiteral("Mainqor)"));
    EXPECT_EQ(VisibleItems("mnuUtil"),
              (QStringList{"C&hange Database ID", "Con&vert Database ID", "Cash Accounts", "&Re-assign Branch Credits", "Re-assign &Objectives",
                           "Reassign Duplicate Users", "Clear Duplicates", "Clear Business Management...", "Reset Time Fee Charges",
                           "Convert Skandia Codes to Sedol...", "Convert Sedol Codes to FTCodes", "Marrowby Cash Fix",
                           "Cofunds Third Party Ref Update", "Update Counters V30", "Clean DB Tables", "Iimia PEP Merge", "Postroom Transfer",
                           "-", "&Clear Connection"}));
    ASSERT_NE(window.DatabaseWindow(), nullptr);
    EXPECT_EQ(window.DatabaseWindow()->TreeWidget()->topLevelItem(0)->text(0), QStringLiteral("Properties"));
    EXPECT_TRUE(IsEnabled("BeginTrans"));
    EXPECT_FALSE(IsVisible("PassThrough")) << "a native file offers no pass-through";
    EXPECT_TRUE(IsVisible("Table"));
    EXPECT_EQ(window.Action(QStringLiteral("mnuDBMRU(1)"))->text(), QStringLiteral("&1 ") + data + QStringLiteral("Mainqor"));

    // Kept beside the build: the window with the main database open, and its Veranth menu.
    QCoreApplication::processEvents();
    window.grab().toImage().save(QDir::currentPath() + QStringLiteral("/main_window_open.png"));
    QMenu* menu = window.findChild<QMenu*>(QStringLiteral("mnuUtil"));
    menu->popup(window.mapToGlobal(QPoint(0, 0)));
    menu->grab().toImage().save(QDir::currentPath() + QStringLiteral("/veranth_menu_open.png"));
    menu->hide();

    window.Action(QStringLiteral("mnuDBClose"))->trigger();
    EXPECT_FALSE(f.session.database);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Tabrix"));
}

TEST_F(AppMainWindow, TheDatabaseWindowListsTablesAndClosingItClosesTheDatabase) {
    const QString path = f.dir.File(QStringLiteral("shop.mdb"));
    {
        auto db = f.engine.createDatabase(path);
        auto t = db->createTableDef(QStringLiteral("Orders"));
        t->fields().append(t->createField(QStringLiteral("OrderRef"), engine::FieldType::Long));
        db->tableDefs().append(t);
        db->close();
    }
    window.Load();
    f.session.connection.dataType = QStringLiteral("Microsoft Access");
    f.session.connection.databaseName = path;
    db::OpenDatabaseByType(f.session, true);
    browser::FrmDatabase* tree = window.DatabaseWindow();
    ASSERT_NE(tree, nullptr);
    ASSERT_EQ(tree->TreeWidget()->topLevelItemCount(), 2);
    EXPECT_EQ(tree->TreeWidget()->topLevelItem(1)->text(0), QStringLiteral("Orders"));
    tree->ClickNode(QStringLiteral("Orders>Fields"));
    EXPECT_EQ(tree->TreeWidget()->topLevelItem(1)->child(0)->child(0)->text(0), QStringLiteral("OrderRef"));
    tree->RightClickNode(QStringLiteral("TOrders"));
    EXPECT_TRUE(window.Action(QStringLiteral("mnuDBPUOpen"))->isVisible());
    EXPECT_TRUE(window.Action(QStringLiteral("mnuDBPUCopyStruct"))->isVisible());
    QCoreApplication::processEvents();
    window.grab().toImage().save(QDir::currentPath() + QStringLiteral("/database_window.png"));

    tree->parentWidget()->close();
    QCoreApplication::processEvents();
    EXPECT_FALSE(f.session.database) << "closing the database window closes the database";
    EXPECT_NE(f.Stored(QStringLiteral("DBWindowWidth")), QStringLiteral("<absent>"));
}

TEST(AppMainWindowEnd, ClosingSavesTheSettingsAndEnds) {
    testing::SessionFixture f;
    StatusBarSink status;
    auto* window = new FrmMDI(f.session, status);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->Load();
    QPointer<FrmMDI> guard(window);
    window->Action(QStringLiteral("mnuDBExit"))->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(guard.isNull());
    EXPECT_EQ(f.Stored(QStringLiteral("WindowState")), QStringLiteral("2"));
    EXPECT_EQ(f.Stored(QStringLiteral("ViewMode")), QStringLiteral("1"));
}

}  // namespace
}  // namespace veranth::app
