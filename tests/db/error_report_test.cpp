#include "db/error_report.h"

#include "engine/errors.h"
#include "tests/support/session_fixture.h"

#include <gtest/gtest.h>

namespace veranth::db {
namespace {

TEST(DbErrorReport, AnEngineErrorOffersTheCollection) {
    testing::SessionFixture f;
    f.LogIn();
    engine::EngineError failure(engine::err::kInputTableNotFound, QStringLiteral("Nowhere"));
    try {
        f.engine.openDatabase(f.dir.File(QStringLiteral("missing.mdb")));
    } catch (const engine::EngineError& e) {
        failure = e;
    }
    f.prompter.AddAnswer(QStringLiteral("yes"));
    ShowError(f.session, failure);
    const platform::PromptRecord& box = f.prompter.Records().constLast();
    EXPECT_EQ(box.buttons, platform::MessageButtons::YesNo);
    EXPECT_EQ(box.icon, platform::MessageIcon::Question);
    EXPECT_EQ(box.title, QStringLiteral("Veranth"));
    EXPECT_TRUE(box.text.startsWith(QStringLiteral("The following Error occurred:\r\n\r\n") + failure.description() +
                                    QStringLiteral("\r\nNumber: ") + QString::number(failure.number())));
    EXPECT_TRUE(box.text.endsWith(QStringLiteral("\r\n\r\nDisplay the Data Access Errors Collection?")));
    EXPECT_EQ(f.prompter.Records().first().kind, platform::PromptRecord::Kind::Beep);
    ASSERT_EQ(f.windows.errorLines.size(), 1);
    EXPECT_TRUE(f.windows.errorLines[0].startsWith(QString::number(failure.number()) + QLatin1Char('\t')));
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
}

TEST(DbErrorReport, AnotherNumberThanTheCollectionsGetsAPlainBox) {
    testing::SessionFixture f;
    f.LogIn();
    try {
        f.engine.openDatabase(f.dir.File(QStringLiteral("missing.mdb")));
    } catch (const engine::EngineError&) {
    }
    ShowError(f.session, engine::EngineError(engine::err::kOverflow));
    const platform::PromptRecord& box = f.prompter.Records().constLast();
    EXPECT_EQ(box.buttons, platform::MessageButtons::Ok);
    EXPECT_EQ(box.icon, platform::MessageIcon::None);
    EXPECT_TRUE(box.text.endsWith(QStringLiteral("Number: 6"))) << box.text.toStdString();
}

TEST(DbErrorReport, AnEmptyCollectionIsSaidSo) {
    testing::SessionFixture f;
    ShowEngineErrors(f.session);
    EXPECT_EQ(f.Messages(), QStringList{"There are no current data access errors!"});
    EXPECT_EQ(f.windows.calls, QStringList{"CloseErrorsWindow"});
}

}  // namespace
}  // namespace veranth::db
