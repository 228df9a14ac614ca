#include "db/status.h"

#include "tests/support/session_fixture.h"

#include <gtest/gtest.h>

namespace veranth::db {
namespace {

TEST(DbStatus, PanelTextForEachKindOfMessage) {
    testing::SessionFixture f;
    f.status.SetBusy(true);
    ShowStatus(f.session, QStringLiteral("Repairing x.mdb"), true);
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Repairing x.mdb, please wait..."));
    EXPECT_TRUE(f.status.Busy()) << "a busy message leaves the pointer to its caller";
    ShowStatus(f.session, QStringLiteral("NOTE: Use of Attached Tables is the Recommended Method"));
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("NOTE: Use of Attached Tables is the Recommended Method"));
    ShowStatus(f.session, QString());
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
    EXPECT_FALSE(f.status.Busy());
}

}  // namespace
}  // namespace veranth::db
