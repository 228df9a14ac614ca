#include "engine_fixture.h"

#include "engine/conversions.h"

using namespace veranth::engine;
using namespace veranth::engine::testing;

namespace {

class EngineWorkspace : public EngineFixture {};

std::int64_t countOf(Database& db, const QString& table) { return db.tableDefs().item(table)->recordCount(); }

TEST_F(EngineWorkspace, TransactionsSpanEveryDatabaseAndNest) {
    auto main = newDatabase(QStringLiteral("main"));
    auto local = newDatabase(QStringLiteral("local"));
    addClientsTable(*main);
    addClientsTable(*local);
    auto sameFile = engine.openDatabase(path("main"));  // a second object on one file
    auto ws = engine.defaultWorkspace();

    ws->beginTrans();
    addClient(*main, QStringLiteral("Outer"));
    addClient(*local, QStringLiteral("Outer"));
    ws->beginTrans();
    addClient(*sameFile, QStringLiteral("Inner"));
    EXPECT_EQ(countOf(*main, QStringLiteral("Clients")), 2);  // seen through the shared file
    ws->rollback();                                           // undoes the inner level only
    EXPECT_EQ(countOf(*main, QStringLiteral("Clients")), 1);
    ws->beginTrans();
    auto late = engine.openDatabase(path("local"));  // joins the open transaction
    addClient(*late, QStringLiteral("Late"));
    ws->commitTrans();
    ws->rollback();  // the outer level takes everything back, in both files
    EXPECT_EQ(countOf(*main, QStringLiteral("Clients")), 0);
    EXPECT_EQ(countOf(*local, QStringLiteral("Clients")), 0);
    EXPECT_EQ(errorNumberOf([&] { ws->commitTrans(); }), err::kNoTransaction);

    engine.beginTrans();  // the engine's calls act on the default workspace
    addClient(*main, QStringLiteral("Kept"));
    engine.commitTrans();
    EXPECT_EQ(countOf(*engine.openDatabase(path("main")), QStringLiteral("Clients")), 1);
}

TEST_F(EngineWorkspace, FirstAppendedWorkspaceIsTheDefault) {
    auto mainWs = engine.createWorkspace(QStringLiteral("MainWS"), QStringLiteral("admin"), QString());
    engine.workspaces().append(mainWs);
    EXPECT_EQ(engine.defaultWorkspace()->name(), QStringLiteral("MainWS"));
    EXPECT_EQ(engine.workspaces().item(QStringLiteral("mainws"))->userName(), QStringLiteral("admin"));
}

TEST_F(EngineWorkspace, WorkgroupAccountsAreChecked) {
    engine.setSystemDB(path("qor.mdw"));
    EXPECT_EQ(errorNumberOf([&] { engine.createWorkspace("W", "admin", ""); }), err::kSecurityFileNotFound);
    engine.createWorkgroup(path("qor.mdw"));
    engine.setWorkgroupUser(path("qor.mdw"), QStringLiteral("Jones"), QStringLiteral("s3cret"));
    EXPECT_NO_THROW(engine.createWorkspace("W", "admin", ""));
    EXPECT_EQ(engine.createWorkspace("W", "JONES", "s3cret")->userName(), QStringLiteral("JONES"));
    EXPECT_EQ(errorNumberOf([&] { engine.createWorkspace("W", "Jones", "wrong"); }), err::kBadAccount);
    EXPECT_EQ(errorNumberOf([&] { engine.createWorkspace("W", "nobody", ""); }), err::kBadAccount);
    EXPECT_EQ(engine.errors().item(0).number, err::kBadAccount);
    engine.setSystemDB(QString());
    EXPECT_EQ(errorNumberOf([&] { engine.createWorkspace("W", "Jones", "s3cret"); }), err::kBadAccount);
}

TEST_F(EngineWorkspace, DatabasePasswordIsAskedAtOpen) {
    addClientsTable(*newDatabase());
    engine.setDatabasePassword(path("main.mdb"), QString(), QStringLiteral("pw"));
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(path("main")); }), err::kBadPassword);
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(path("main"), 0, false, QStringLiteral(";pwd=nope")); }), err::kBadPassword);
    auto db = engine.openDatabase(path("main"), 0, false, QStringLiteral(";pwd=pw"));
    EXPECT_EQ(db->connect(), QStringLiteral(";pwd=pw"));
    db->close();
    engine.setDatabasePassword(path("main.mdb"), QStringLiteral("pw"), QString());
    EXPECT_TRUE(engine.openDatabase(path("main"))->connect().isEmpty());
}

}  // namespace

namespace {

// A kind that only shows it was asked.
class RefusingKind : public veranth::engine::DatabaseKind {
public:
    bool handles(const QString& prefix) const override { return prefix.compare(QStringLiteral("Text"), Qt::CaseInsensitive) == 0; }
    std::shared_ptr<veranth::engine::Database> open(const std::shared_ptr<veranth::engine::EngineContext>&, const QString& name,
                                                    bool, bool, const QString&) override {
        throw veranth::engine::EngineError(veranth::engine::err::kFileNotFound, QStringLiteral("text:") + name);
    }
};

TEST_F(EngineWorkspace, ConnectPrefixChoosesTheKindOfDatabase) {
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(dir.path(), 0, false, QStringLiteral("Btrieve;")); }), err::kIsamNotFound);
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(QString(), 1, false, QStringLiteral("ODBC;DSN=Sales;")); }),
              err::kOdbcConnectionFailed);
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(dir.path(), 0, false, QStringLiteral("Paradox 4.X;")); }), err::kIsamNotFound);
    engine.registerDatabaseKind(std::make_shared<RefusingKind>());
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(QStringLiteral("folder"), 0, false, QStringLiteral("TEXT;")); }),
              err::kFileNotFound);
    EXPECT_EQ(engine.errors().item(0).description, QStringLiteral("Could not find file 'text:folder'."));
}

}  // namespace
