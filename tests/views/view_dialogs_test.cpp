#include "views/find_form.h"
#include "views/seek_form.h"
#include "views/zoom_form.h"

#include <QApplication>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <gtest/gtest.h>

namespace veranth::views {
namespace {

template <class T>
T* Control(QWidget* w, const char* name) {
    T* c = w->findChild<T*>(QLatin1String(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

TEST(ViewsFindForm, OkWaitsForFieldOperatorAndValueAndTheDirectionIsKept) {
    FrmFindForm form;
    form.SetFieldNames({QStringLiteral("ID"), QStringLiteral("Last Name")});
    form.show();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Find Record"));
    auto* ok = Control<QPushButton>(&form, "cmdOK");
    auto* operators = Control<QListWidget>(&form, "lstOperators");
    ASSERT_EQ(operators->count(), 7);
    EXPECT_EQ(operators->item(6)->text(), QStringLiteral("Like"));
    EXPECT_EQ(operators->currentRow(), 0);
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClicks(Control<QLineEdit>(&form, "txtExpression"), QStringLiteral("A*"));
    EXPECT_FALSE(ok->isEnabled());  // no field yet
    Control<QListWidget>(&form, "lstFields")->setCurrentRow(1);
    operators->setCurrentRow(6);
    EXPECT_TRUE(ok->isEnabled());
    Control<QRadioButton>(&form, "optFindType(3)")->click();
    ok->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(form.Request().cancelled);
    EXPECT_EQ(form.Request().fieldName, QStringLiteral("Last Name"));
    EXPECT_EQ(form.Request().fieldIndex, 1);
    EXPECT_EQ(form.Request().op, QStringLiteral("Like"));
    EXPECT_EQ(form.Request().value, QStringLiteral("A*"));
    EXPECT_EQ(form.Request().findType, FindRequest::Type::Last);

    // Shown again for the same view: the choices are still there; Cancel says so.
    form.ClearCancelled();
    form.show();
    EXPECT_TRUE(Control<QRadioButton>(&form, "optFindType(3)")->isChecked());
    Control<QPushButton>(&form, "cmdCancel")->click();
    EXPECT_TRUE(form.Request().cancelled);
    EXPECT_EQ(form.Request().findType, FindRequest::Type::Last);
}

TEST(ViewsSeekForm, EmptyValueActsAsCancel) {
    FrmSeek seek;
    seek.show();
    EXPECT_EQ(seek.windowTitle(), QStringLiteral("Seek Parameters"));
    auto* ok = Control<QPushButton>(&seek, "cmdOK");
    EXPECT_TRUE(ok->isEnabled());
    ok->click();
    EXPECT_TRUE(seek.Request().value.isEmpty());
    seek.show();
    Control<QRadioButton>(&seek, "optSeekOperator(1)")->click();
    QTest::keyClicks(Control<QLineEdit>(&seek, "txtSeekValue"), QStringLiteral("42"));
    ok->click();
    EXPECT_EQ(seek.Request().op, QStringLiteral(">="));
    EXPECT_EQ(seek.Request().value, QStringLiteral("42"));
    seek.show();
    Control<QPushButton>(&seek, "cmdCancel")->click();
    EXPECT_TRUE(seek.Request().value.isEmpty());
}

TEST(ViewsZoomForm, ReadOnlyZoomIgnoresTypingAndEscSavesNothing) {
    FrmZoom zoom;
    zoom.Configure({QStringLiteral("City"), QStringLiteral("Leeds"), false, false});
    zoom.show();
    auto* box = Control<QLineEdit>(&zoom, "txtZoomData");
    EXPECT_TRUE(Control<QPushButton>(&zoom, "cmdClose")->isVisible());
    EXPECT_FALSE(Control<QPushButton>(&zoom, "cmdSave")->isVisible());
    EXPECT_FALSE(Control<QPlainTextEdit>(&zoom, "txtMemo")->isVisible());
    QTest::keyClicks(box, QStringLiteral("xyz"));
    EXPECT_EQ(box->text(), QStringLiteral("Leeds"));
    QTest::keyClick(&zoom, Qt::Key_Escape);
    EXPECT_EQ(zoom.Result(), QLatin1String(kZoomCancelled));
}

TEST(ViewsZoomForm, SavedMemoKeepsItsLineEndsWhenUnchanged) {
    FrmZoom zoom;
    const QString text = QStringLiteral("first\r\nsecond");
    zoom.Configure({QStringLiteral("Notes"), text, true, true});
    zoom.show();
    EXPECT_TRUE(Control<QPlainTextEdit>(&zoom, "txtMemo")->isVisible());
    EXPECT_FALSE(Control<QLineEdit>(&zoom, "txtZoomData")->isVisible());
    Control<QPushButton>(&zoom, "cmdSave")->click();
    EXPECT_EQ(zoom.Result(), text);
}

}  // namespace
}  // namespace veranth::views
