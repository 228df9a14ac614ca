#include "isam_fixture.h"

using namespace veranth::engine;
using namespace veranth::engine::isam::testing;

namespace {

TEST_F(IsamFixture, IsamEveryDbfPrefixOpensAFolderWithoutRegardToCase) {
    for (const char* connect : {"Dbase III;", "Dbase IV;", "Dbase 5.0;", "dBase IV;", "DBASE III;", "FoxPro 2.0;", "FoxPro 2.5;",
                                "FoxPro 2.6;", "foxpro 3.0;"}) {
        auto db = engine.openDatabase(dir.path(), 0, false, QString::fromLatin1(connect));
        EXPECT_EQ(db->connect(), QString::fromLatin1(connect));
        EXPECT_FALSE(db->transactions()) << connect;
        EXPECT_EQ(db->tableDefs().count(), 0) << connect;
    }
}

TEST_F(IsamFixture, IsamBtrieveIsAnInstallableIsamThatIsNotThere) {
    const RaisedError e = errorOf([&] { engine.openDatabase(path(QStringLiteral("FILE.DDF")), 0, false, QStringLiteral("Btrieve;")); });
    EXPECT_EQ(e.number, err::kIsamNotFound);
    EXPECT_EQ(e.description, QStringLiteral("Could not find installable ISAM for 'Btrieve'."));
    EXPECT_EQ(engine.errors().item(0).number, err::kIsamNotFound);
}

TEST_F(IsamFixture, IsamAMissingFolderIsNotFound) {
    EXPECT_EQ(errorOf([&] { engine.openDatabase(path(QStringLiteral("nowhere")), 0, false, QStringLiteral("dBase IV;")); }).number,
              err::kFileNotFound);
}

TEST_F(IsamFixture, IsamAFolderTakesPartInWorkspaceTransactionsWithoutUndoing) {
    auto native = engine.createDatabase(path(QStringLiteral("main.mdb")));
    auto dbf = engine.openDatabase(folder(QStringLiteral("dbf")), 0, false, QStringLiteral("dBase IV;"));
    auto t = dbf->createTableDef(QStringLiteral("Log"));
    t->fields().append(t->createField(QStringLiteral("Line"), FieldType::Text, 20));
    dbf->tableDefs().append(t);
    engine.beginTrans();
    auto rs = dbf->openRecordset(QStringLiteral("Log"), RecordsetType::Dynaset);
    rs->addNew();
    rs->field(0)->setValue(Value("kept"));
    rs->update();
    engine.rollback();
    EXPECT_EQ(dbf->tableDefs().item(QStringLiteral("Log"))->recordCount(), 1);
}

TEST_F(IsamFixture, IsamAReadOnlyFolderRefusesWrites) {
    {
        auto db = engine.openDatabase(dir.path(), 0, false, QStringLiteral("dBase IV;"));
        auto t = db->createTableDef(QStringLiteral("Fixed"));
        t->fields().append(t->createField(QStringLiteral("N"), FieldType::Long));
        db->tableDefs().append(t);
    }
    DBEngine second;
    auto db = second.openDatabase(dir.path(), 0, true, QStringLiteral("dBase IV;"));
    auto rs = db->openRecordset(QStringLiteral("Fixed"), RecordsetType::Dynaset);
    EXPECT_FALSE(rs->updatable());
    EXPECT_EQ(errorOf([&] { rs->addNew(); }).number, err::kRecordsetNotUpdatable);
    auto t = db->createTableDef(QStringLiteral("More"));
    t->fields().append(t->createField(QStringLiteral("N"), FieldType::Long));
    EXPECT_EQ(errorOf([&] { db->tableDefs().append(t); }).number, err::kReadOnly);
}

}  // namespace
