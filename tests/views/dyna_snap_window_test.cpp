#include "views/dyna_snap_window.h"

#include "engine/conversions.h"
#include "platform/widgets/form_helpers.h"
#include "tests/views/views_fixture.h"
#include "views/find_form.h"
#include "views/view_window_factory.h"
#include "views/zoom_form.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

namespace veranth::views {
namespace {

class ViewsDynaSnapWindow : public testing::ViewsTest {
protected:
    std::unique_ptr<FrmDynaSnap> window;

    void Open(std::shared_ptr<engine::Recordset> rs) {
        window = std::make_unique<FrmDynaSnap>(s, std::move(rs));
        window->show();
        QApplication::processEvents();
    }
    template <class T>
    T* Control(const QString& name) const {
        T* c = window->findChild<T*>(name);
        EXPECT_NE(c, nullptr) << name.toStdString();
        return c;
    }
    QLineEdit* Box(int i) const { return Control<QLineEdit>(QStringLiteral("txtFieldData(%1)").arg(i)); }
    QString Status() const { return Control<QLabel>(QStringLiteral("lblStatus"))->text(); }
    void Click(const char* name) { QTest::mouseClick(Control<QPushButton>(QLatin1String(name)), Qt::LeftButton); }
};

TEST_F(ViewsDynaSnapWindow, FieldPairsAndFirstRecord) {
    FillCustomers(25);
    Open(OpenCustomers());
    EXPECT_EQ(window->objectName(), QStringLiteral("frmDynaSnap"));
    EXPECT_EQ(window->property("tag").toString(), QStringLiteral("Recordset"));
    EXPECT_EQ(Control<QLabel>(QStringLiteral("lblFieldName(1)"))->text(), QStringLiteral("Last Name:"));
    EXPECT_EQ(Box(1)->text(), QStringLiteral("Name1"));
    EXPECT_EQ(Box(1)->maxLength(), 20);
    EXPECT_TRUE(Box(1)->isReadOnly());
    EXPECT_EQ(Status(), QStringLiteral("1/25"));
    EXPECT_FALSE(Control<QScrollBar>(QStringLiteral("vsbScrollBar"))->isVisible());
    EXPECT_EQ(Control<QScrollBar>(QStringLiteral("hsclCurrRow"))->maximum(), 100);
    // Five fields: (5 + 1) x 340 + 1600 twips, less the caption and borders the frame adds.
    EXPECT_NEAR(platform::PixelsToTwips(window.get(), window->height()), 6 * 340 + 1600 - 400, 20);
}

TEST_F(ViewsDynaSnapWindow, ElevenFieldsBringTheScrollBar) {
    auto t = s.database->createTableDef(QStringLiteral("Wide"));
    for (int i = 0; i < 11; ++i) t->fields().append(t->createField(QStringLiteral("F%1").arg(i), engine::FieldType::Long));
    s.database->tableDefs().append(t);
    Open(s.database->openRecordset(QStringLiteral("Wide"), engine::RecordsetType::Dynaset));
    EXPECT_TRUE(Control<QScrollBar>(QStringLiteral("vsbScrollBar"))->isVisible());
    EXPECT_NEAR(platform::PixelsToTwips(window.get(), window->width()), 5840, 20);
    EXPECT_EQ(Status(), QStringLiteral("(BOF)/0"));
}

TEST_F(ViewsDynaSnapWindow, DraggingTheSliderOneStepMovesOneRow) {
    FillCustomers(1000);
    Open(OpenCustomers());
    auto* slider = Control<QScrollBar>(QStringLiteral("hsclCurrRow"));
    EXPECT_EQ(slider->maximum(), 1000);
    EXPECT_EQ(slider->pageStep(), 50);
    slider->setValue(500);
    const int id = Box(0)->text().toInt();
    slider->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(Box(0)->text().toInt(), id + 1);
    slider->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(Box(0)->text().toInt(), id);
}

TEST_F(ViewsDynaSnapWindow, EditTypeAndUpdateThroughTheButtons) {
    FillCustomers(3);
    Open(OpenCustomers());
    QTest::keyClicks(Box(2), QStringLiteral("zz"));
    EXPECT_EQ(Box(2)->text(), QStringLiteral("York"));  // browsing: read-only
    Click("cmdEdit");
    EXPECT_FALSE(Control<QWidget>(QStringLiteral("picViewButtons"))->isVisible());
    EXPECT_TRUE(Control<QWidget>(QStringLiteral("picChangeButtons"))->isVisible());
    EXPECT_FALSE(Control<QScrollBar>(QStringLiteral("hsclCurrRow"))->isEnabled());
    EXPECT_EQ(Status(), QStringLiteral("Edit record"));
    Box(2)->setFocus();
    Box(2)->selectAll();
    QTest::keyClicks(Box(2), QStringLiteral("Hull"));
    QTest::keyClick(Box(2), Qt::Key_Return);  // Enter moves on, as Tab
    EXPECT_TRUE(Box(3)->hasFocus());
    Click("cmdUpdate");
    EXPECT_TRUE(f.Messages().isEmpty());
    EXPECT_TRUE(Control<QWidget>(QStringLiteral("picViewButtons"))->isVisible());
    EXPECT_EQ(engine::toDisplayText(StoredValue(QStringLiteral("SELECT City FROM Customers WHERE ID = 1"))), QStringLiteral("Hull"));
    EXPECT_EQ(Status(), QStringLiteral("1/3"));
}

TEST_F(ViewsDynaSnapWindow, ZoomWhileEditingCutsTextToTheFieldSize) {
    FillCustomers(2);
    Open(OpenCustomers());
    Click("cmdEdit");
    QTimer::singleShot(0, [] {
        auto* zoom = qobject_cast<FrmZoom*>(QApplication::activeModalWidget());
        ASSERT_NE(zoom, nullptr);
        EXPECT_EQ(zoom->windowTitle(), QStringLiteral("City"));
        EXPECT_TRUE(zoom->findChild<QPushButton*>(QStringLiteral("cmdSave"))->isVisible());
        auto* box = zoom->findChild<QLineEdit*>(QStringLiteral("txtZoomData"));
        box->setText(QStringLiteral("ABCDEFGHIJKLMNO"));
        zoom->findChild<QPushButton*>(QStringLiteral("cmdSave"))->click();
    });
    Box(2)->setFocus();
    QTest::keyClick(Box(2), Qt::Key_F4);
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("Field Length Exceeded, Data Truncated!")});
    EXPECT_EQ(Box(2)->text(), QStringLiteral("ABCDEFGHIJ"));
}

TEST_F(ViewsDynaSnapWindow, FindThroughItsDialogKeepsTheDialogForTheNextFind) {
    FillCustomers(10);
    Open(OpenCustomers());
    QTimer::singleShot(0, [] {
        auto* find = qobject_cast<FrmFindForm*>(QApplication::activeModalWidget());
        ASSERT_NE(find, nullptr);
        auto* fields = find->findChild<QListWidget*>(QStringLiteral("lstFields"));
        ASSERT_EQ(fields->count(), 5);
        EXPECT_EQ(fields->item(1)->text(), QStringLiteral("Last Name"));
        fields->setCurrentRow(1);
        find->findChild<QListWidget*>(QStringLiteral("lstOperators"))->setCurrentRow(6);
        QTest::keyClicks(find->findChild<QLineEdit*>(QStringLiteral("txtExpression")), QStringLiteral("A*"));
        find->findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    });
    Click("cmdFind");
    EXPECT_EQ(Box(1)->text(), QStringLiteral("Adams"));
    EXPECT_EQ(Status(), QStringLiteral("2/10"));

    // The same dialog comes back with its choices; Cancel keeps the record.
    QTimer::singleShot(0, [] {
        auto* find = qobject_cast<FrmFindForm*>(QApplication::activeModalWidget());
        ASSERT_NE(find, nullptr);
        EXPECT_EQ(find->findChild<QLineEdit*>(QStringLiteral("txtExpression"))->text(), QStringLiteral("A*"));
        find->findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    });
    Click("cmdFind");
    EXPECT_EQ(Box(1)->text(), QStringLiteral("Adams"));
    EXPECT_EQ(window->findChildren<FrmFindForm*>().size(), 1);
}

TEST_F(ViewsDynaSnapWindow, CloseUnloadsAndClosesTheRecordset) {
    FillCustomers(2);
    Open(OpenCustomers());
    const auto rs = window->MrsFormRecordset();
    Click("cmdClose");
    EXPECT_FALSE(rs->isOpen());
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
}

TEST_F(ViewsDynaSnapWindow, FactoryGivesTheFieldFormAndSaysWhenItStandsInForAnotherView) {
    FillCustomers(2);
    db::RecordsetWindowRequest request;
    request.kind = db::ViewWindowKind::DynaSnap;
    request.recordset = OpenCustomers();
    std::unique_ptr<QWidget> plain(CreateRecordsetWindow(s, request));
    ASSERT_NE(dynamic_cast<FrmDynaSnap*>(plain.get()), nullptr);
    QApplication::processEvents();
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));

    request.kind = db::ViewWindowKind::TableObj;
    request.recordset = OpenCustomers();
    std::unique_ptr<QWidget> table(CreateRecordsetWindow(s, request));
    EXPECT_EQ(dynamic_cast<FrmDynaSnap*>(table.get()), nullptr) << "every view has its own window now";
    EXPECT_EQ(table->objectName(), QStringLiteral("frmTableObj"));
}

}  // namespace
}  // namespace veranth::views
