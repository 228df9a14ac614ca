#include "db/recent_list.h"

#include "db/menu_tree.h"
#include "tests/support/session_fixture.h"

#include <gtest/gtest.h>

namespace veranth::db {
namespace {

class DbRecentList : public ::testing::Test {
protected:
    testing::SessionFixture f;
    Session& s = f.session;

    void Open(const QString& name, const QString& connect = QString()) {
        s.connection.databaseName = name;
        AddToRecentList(s, connect);
    }
    QStringList Names() const {
        QStringList names;
        for (int k = 1; k <= kRecentItemCount; ++k) names.append(RecentName(s, k));
        return names;
    }
};

TEST_F(DbRecentList, NewNamesGoOnTopAndTheNinthPushesTheEighthOut) {
    s.passwordAccepted = true;
    for (int i = 1; i <= 9; ++i) Open(QStringLiteral("/db/%1.mdb").arg(i), i == 2 ? QStringLiteral("Dbase III;") : QString());
    EXPECT_EQ(Names(), (QStringList{"/db/9.mdb", "/db/8.mdb", "/db/7.mdb", "/db/6.mdb", "/db/5.mdb", "/db/4.mdb", "/db/3.mdb", "/db/2.mdb"}));
    EXPECT_EQ(s.menus.Caption(RecentItemName(1)), QStringLiteral("&1 /db/9.mdb"));
    EXPECT_EQ(s.menus.Tag(RecentItemName(1)), QStringLiteral("Microsoft Access"));
    EXPECT_EQ(s.menus.Tag(RecentItemName(8)), QStringLiteral("Dbase III;"));
    EXPECT_TRUE(s.menus.Visible(RecentItemName(8)));
    EXPECT_TRUE(s.menus.Visible(QStringLiteral("mnuBarMRU")));
}

TEST_F(DbRecentList, ReopeningMovesTheNameUpAndLeavesTheRestInPlace) {
    s.passwordAccepted = true;
    for (int i = 8; i >= 1; --i) Open(QStringLiteral("/db/%1.mdb").arg(i));
    Open(QStringLiteral("/DB/3.MDB"), QStringLiteral(";pwd=x"));  // the same name in another case
    EXPECT_EQ(Names(), (QStringList{"/DB/3.MDB", "/db/1.mdb", "/db/2.mdb", "/db/4.mdb", "/db/5.mdb", "/db/6.mdb", "/db/7.mdb", "/db/8.mdb"}));
    EXPECT_EQ(s.menus.Tag(RecentItemName(1)), QStringLiteral(";pwd=x"));
    EXPECT_EQ(s.menus.Caption(RecentItemName(3)), QStringLiteral("&3 /db/2.mdb"));
}

TEST_F(DbRecentList, BeforeThePasswordOnlyTheDatabaseJustOpenedIsShown) {
    f.Store(QStringLiteral("MRUDatabase1"), QStringLiteral("/db/a.mdb"));
    f.Store(QStringLiteral("MRUConnect1"), QStringLiteral("Microsoft Access"));
    f.Store(QStringLiteral("MRUDatabase2"), QStringLiteral("/db/b.mdb"));
    f.Store(QStringLiteral("MRUConnect2"), QStringLiteral("Text;"));
    LoadRecentList(s);
    EXPECT_FALSE(s.menus.Visible(RecentItemName(1)));
    Open(QStringLiteral("/db/c.mdb"));
    EXPECT_TRUE(s.menus.Visible(RecentItemName(1)));
    EXPECT_FALSE(s.menus.Visible(RecentItemName(2)));
    EXPECT_EQ(Names().mid(0, 3), (QStringList{"/db/c.mdb", "/db/a.mdb", "/db/b.mdb"})) << "the hidden entries are kept";
    EXPECT_EQ(s.menus.Tag(RecentItemName(3)), QStringLiteral("Text;"));
    ShowRecentList(s);
    EXPECT_TRUE(s.menus.Visible(RecentItemName(3)));
    EXPECT_FALSE(s.menus.Visible(RecentItemName(4)));
}

}  // namespace
}  // namespace veranth::db
