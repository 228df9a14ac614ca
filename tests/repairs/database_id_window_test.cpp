#include "repairs/database_id_window.h"

#include "tests/repairs/repair_fixture.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace veranth::repairs {
namespace {

using testing::RepairFixture;

template <class W>
W* Control(QWidget& window, const char* name) {
    W* w = window.findChild<W*>(QLatin1String(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
}

TEST(MdlDBID, LoadsTheCurrentIdAndChangesItOnOk) {
    RepairFixture f(true);
    AbortRequest abort;
    MdlDBID window(f.session, DatabaseIdMode::Change, abort);
    window.show();
    EXPECT_EQ(window.objectName(), QStringLiteral("mdl_DBID"));
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Change Database ID"));
    EXPECT_TRUE(Control<QLabel>(window, "Label1")->isVisible());
    EXPECT_FALSE(Control<QLabel>(window, "Label3")->isVisible());
    EXPECT_FALSE(Control<QLabel>(window, "Label4")->isVisible());
    EXPECT_EQ(Control<QLabel>(window, "Label2")->text(), QStringLiteral("Database ID"));
    auto* box = Control<QLineEdit>(window, "txt_DBID");
    EXPECT_EQ(box->text(), QStringLiteral("12"));
    EXPECT_TRUE(Control<QPushButton>(window, "Command1")->isDefault());

    box->setText(QStringLiteral("345"));
    f.Answer("yes");
    QTest::mouseClick(Control<QPushButton>(window, "Command1"), Qt::LeftButton);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.Result().status, UtilityResult::Status::Done);
    EXPECT_EQ(f.Scalar(QStringLiteral("SELECT BranchID FROM SystemOptions")), QStringLiteral("345"));
}

TEST(MdlDBID, CancelDuringAConversionStopsItAndClosesAfterwards) {
    RepairFixture f(true);
    const testing::DatabaseContents before = testing::ContentsOf(f.Main());
    AbortRequest abort;
    MdlDBID window(f.session, DatabaseIdMode::Convert, abort);
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Convert Database ID and References"));
    EXPECT_TRUE(Control<QLabel>(window, "Label3")->isVisible());
    EXPECT_TRUE(Control<QLabel>(window, "Label4")->isVisible());
    auto* ok = Control<QPushButton>(window, "Command1");
    auto* cancel = Control<QPushButton>(window, "Command2");
    bool visibleWhileRunning = false;
    bool okEnabledWhileRunning = true;
    f.onYield = [&] {
        if (abort.requested) return;
        cancel->click();
        visibleWhileRunning = window.isVisible();
        okEnabledWhileRunning = ok->isEnabled();
    };
    Control<QLineEdit>(window, "txt_DBID")->setText(QStringLiteral("345"));
    f.Answer("yes");
    ok->click();
    EXPECT_TRUE(visibleWhileRunning);
    EXPECT_FALSE(okEnabledWhileRunning);
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(window.Result().failed());
    EXPECT_FALSE(abort.requested) << "cleared when the window closes after the run";
    EXPECT_TRUE(f.Messages().contains(QStringLiteral("[Database Change] The change to the database was NOT successful.")));
    EXPECT_EQ(testing::ContentsOf(f.Main()), before);
}

TEST(MdlDBID, CancelWithoutARunJustCloses) {
    RepairFixture f;
    AbortRequest abort;
    MdlDBID window(f.session, DatabaseIdMode::Convert, abort);
    window.show();
    Control<QPushButton>(window, "Command2")->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_TRUE(f.prompter.Records().isEmpty());
}

}  // namespace
}  // namespace veranth::repairs
