#include "app/main_window.h"
#include "app/status_bar_sink.h"
#include "browser/database_window.h"
#include "browser/sql_window.h"
#include "db/connection.h"
#include "tests/browser/browser_fixture.h"

#include <QCoreApplication>
#include <QDir>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace veranth::browser {
namespace {

// The main window as the program has it: an open puts up the database and SQL windows, and the
// popup's items act on the tree.
class BrowserMainWindowRouting : public ::testing::Test {
protected:
    testing::BrowserDatabase d;
    db::Session& s = d.s;
    app::StatusBarSink status;
    std::unique_ptr<app::FrmMDI> window;

    void SetUp() override {
        // The fixture's file is opened again the way the File menu opens it.
        const QString path = s.connection.databaseName;
        s.database->close();
        s.database.reset();
        s.connection.databaseOpen = false;
        window = std::make_unique<app::FrmMDI>(s, status);
        window->Load();
        s.connection.dataType = QLatin1String(db::kAccessDataType);
        s.connection.databaseName = path;
        db::OpenDatabaseByType(s, true);
        ASSERT_TRUE(s.database) << d.f.Messages().join(QLatin1Char('|')).toStdString();
    }
};

TEST_F(BrowserMainWindowRouting, UnbuiltDesignersSaySoAndAQueryDesignFillsTheSqlWindow) {
    FrmSQL* sql = window->SqlWindow();
    ASSERT_NE(sql, nullptr);
    EXPECT_TRUE(sql->isVisible());
    EXPECT_TRUE(sql->findChild<QPushButton*>(QStringLiteral("cmdSaveQueryDef"))->isVisible());
    FrmDatabase* tree = window->DatabaseWindow();
    tree->RightClickNode(QStringLiteral("TClients"));
    window->Dispatch(QStringLiteral("mnuDBPUDesign"));
    window->Dispatch(QStringLiteral("mnuDBPUCopyStruct"));
    EXPECT_EQ(d.f.Messages(), (QStringList{"The table designer is not available in this build.", "Copy Structure is not available in this build."}));

    tree->RightClickNode(QStringLiteral("AllClients"));
    window->Dispatch(QStringLiteral("mnuDBPUDesign"));
    EXPECT_EQ(sql->Statement(), QStringLiteral("SELECT * FROM Clients"));
    EXPECT_EQ(tree->TreeWidget()->currentItem()->text(0), QStringLiteral("AllClients"));
}

TEST_F(BrowserMainWindowRouting, SavedQueryAppearsInTheTreeAndClosingKeepsTheTextButNotAMaximisedPlace) {
    FrmSQL* sql = window->SqlWindow();
    sql->SetStatement(QStringLiteral("SELECT Name FROM Clients"));
    d.f.prompter.AddAnswer(QStringLiteral("text:ClientNames"));
    sql->Save();
    QTreeWidget* tree = window->DatabaseWindow()->TreeWidget();
    EXPECT_FALSE(tree->findItems(QStringLiteral("ClientNames"), Qt::MatchExactly).isEmpty()) << "the tree was rebuilt";

    d.f.Store(QStringLiteral("SQLWindowLeft"), QStringLiteral("1000"));
    sql->parentWidget()->showMaximized();
    window->Dispatch(QStringLiteral("mnuDBClose"));
    QCoreApplication::processEvents();
    EXPECT_FALSE(s.database);
    EXPECT_EQ(window->SqlWindow(), nullptr) << "the SQL window goes with the database";
    EXPECT_EQ(d.f.Stored(QStringLiteral("SQLStatement")), QStringLiteral("SELECT Name FROM Clients"));
    EXPECT_EQ(d.f.Stored(QStringLiteral("SQLWindowLeft")), QStringLiteral("1000"));
}

TEST_F(BrowserMainWindowRouting, OpeningAnotherDatabaseOverAnOpenOneKeepsBothWindows) {
    const QString other = d.f.NewDatabase(QStringLiteral("other.mdb"));
    s.connection.databaseName = other;
    db::OpenDatabaseByType(s, true);
    ASSERT_TRUE(s.database);
    // The windows of the first database are deleted once the event loop runs.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(window->DatabaseWindow(), nullptr);
    ASSERT_NE(window->SqlWindow(), nullptr);
    EXPECT_TRUE(window->DatabaseWindow()->isVisible());
    EXPECT_TRUE(window->SqlWindow()->isVisible());
    EXPECT_EQ(window->DatabaseWindow()->TreeWidget()->topLevelItemCount(), 1) << "only the new file's Properties";
}

TEST_F(BrowserMainWindowRouting, ATextFolderOffersNoSaveAndANativeFileDoesAgain) {
    const QString path = s.connection.databaseName;
    window->Dispatch(QStringLiteral("mnuDBClose"));
    QDir().mkpath(d.f.dir.File(QStringLiteral("text")));
    s.connection.dataType = QStringLiteral("Text;");
    s.connection.databaseName = d.f.dir.File(QStringLiteral("text"));
    db::OpenDatabaseByType(s, true);
    ASSERT_TRUE(s.database) << d.f.Messages().join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(window->SqlWindow()->findChild<QPushButton*>(QStringLiteral("cmdSaveQueryDef"))->isVisible());

    window->Dispatch(QStringLiteral("mnuDBClose"));
    s.connection.dataType = QLatin1String(db::kAccessDataType);
    s.connection.databaseName = path;
    db::OpenDatabaseByType(s, true);
    EXPECT_TRUE(window->SqlWindow()->findChild<QPushButton*>(QStringLiteral("cmdSaveQueryDef"))->isVisible());
}

}  // namespace
}  // namespace veranth::browser
