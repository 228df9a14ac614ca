#include "engine_fixture.h"

#include <QFile>
#include <QFileInfo>

using namespace veranth::engine;
using namespace veranth::engine::testing;

namespace {

class EngineMaintenance : public EngineFixture {
protected:
    void fill(int rows) {
        auto db = newDatabase();
        addClientsTable(*db);
        db->execute(QStringLiteral(
                        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                        "INSERT INTO Clients (ID, Name, Notes) SELECT i, 'Client ' || i, printf('%.300c', 'x') FROM n")
                        .arg(rows),
                    exec_option::kSqlPassThrough);
        db->close();
    }
};

TEST_F(EngineMaintenance, CompactWritesACheckedCopyAndNeverOverwrites) {
    fill(200);
    engine.compactDatabase(path("main.mdb"), path("copy.mdb"));
    EXPECT_EQ(engine.openDatabase(path("copy"))->tableDefs().item(QStringLiteral("Clients"))->recordCount(), 200);
    EXPECT_EQ(errorNumberOf([&] { engine.compactDatabase(path("main.mdb"), path("copy.mdb")); }), err::kDatabaseExists);
    EXPECT_EQ(errorNumberOf([&] { engine.compactDatabase(path("none.mdb"), path("x.mdb")); }), err::kFileNotFound);
    EXPECT_FALSE(QFileInfo::exists(path("x.mdb")));
    engine.compactDatabase(path("main.mdb"), path("main.mdb"));  // in place, through a checked copy
    EXPECT_EQ(engine.openDatabase(path("main"))->tableDefs().item(QStringLiteral("Clients"))->recordCount(), 200);
    EXPECT_FALSE(QFileInfo::exists(path("main.mdb.compacting")));
}

TEST_F(EngineMaintenance, RepairRebuildsADamagedFileFromWhatCanBeRead) {
    fill(2000);
    EXPECT_FALSE(engine.repairDatabase(path("main")).wasDamaged);
    QFile file(path("main.mdb"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    const qint64 size = file.size();
    file.seek(size / 2);  // scribble over pages in the middle of the table
    file.write(QByteArray(8192, '\xA5'));
    file.close();
    EXPECT_EQ(errorNumberOf([&] { engine.openDatabase(path("main")); }), err::kDamagedDatabase);  // met at the open
    const auto report = engine.repairDatabase(path("main"));
    EXPECT_TRUE(report.wasDamaged);
    EXPECT_GT(report.rowsRecovered, 0);
    EXPECT_LT(report.rowsRecovered, 2000);
    EXPECT_FALSE(report.lost.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(path("main.mdb.bak")));
    auto repaired = engine.openDatabase(path("main"));
    const auto clients = repaired->tableDefs().item(QStringLiteral("Clients"))->recordCount();
    EXPECT_GT(clients, 0);
    EXPECT_LT(clients, 2000);
    EXPECT_TRUE(report.tablesRecovered.contains(QStringLiteral("Clients (%1 rows)").arg(clients)));
}

}  // namespace
