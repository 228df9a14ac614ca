#include "tests/views/grid_fixture.h"

#include "views/bound_grid.h"
#include "views/data_control.h"
#include "views/data_control_window.h"
#include "views/data_ctl_prop_window.h"
#include "views/data_grid_window.h"
#include "views/lazy_grid_model.h"
#include "views/view_window_factory.h"

#include <QApplication>
#include <QCheckBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace veranth::views {
namespace {

using testing::GridFixture;

template <class T>
T* Find(QWidget* window, const QString& name) {
    T* w = window->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name.toStdString();
    return w;
}

void Click(QWidget* window, const char* name) { Find<QPushButton>(window, QLatin1String(name))->click(); }

void TypeInto(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClicks(box, text);
}

// Runs `action` on the modal dialog that the next exec() opens.
void OnNextDialog(std::function<void(QWidget*)> action) {
    QTimer::singleShot(0, [action] {
        if (QWidget* dialog = QApplication::activeModalWidget()) action(dialog);
    });
}

TEST(FrmDataControl, AnEmptyUpdatableTableStartsAdding) {
    GridFixture f(0);
    FrmDataControl w(f.session, f.Open());
    ASSERT_TRUE(w.Loaded());
    EXPECT_EQ(w.DatDataCtl()->Caption(), "New Record");
    EXPECT_EQ(w.DatDataCtl()->EditMode(), 2);
    EXPECT_FALSE(Find<QPushButton>(&w, "cmdCancelAdd")->isHidden());
    EXPECT_TRUE(Find<QPushButton>(&w, "cmdAdd")->isHidden());
}

TEST(FrmDataControl, EachFieldGetsTheControlOfItsType) {
    GridFixture f(2);
    FrmDataControl w(f.session, f.Open());
    EXPECT_EQ(Find<QLineEdit>(&w, "txtFieldData(1)")->maxLength(), 20);
    EXPECT_EQ(Find<QLineEdit>(&w, "txtFieldData(1)")->text(), "Person 1");
    EXPECT_NE(w.findChild<QCheckBox*>("chkFieldData(2)"), nullptr);
    EXPECT_NE(w.findChild<BoundPicture*>("picFieldData(3)"), nullptr);
    EXPECT_NE(w.findChild<QLineEdit*>("txtFieldData(4)"), nullptr);
    EXPECT_EQ(Find<QLabel>(&w, "lblFieldName(2)")->text(), "Active:");
    EXPECT_EQ(w.DatDataCtl()->Caption(), "1/2");

    // OLE boxes for binary fields once chosen in the properties and refreshed.
    OnNextDialog([](QWidget* dialog) {
        EXPECT_EQ(dialog->objectName(), "frmDataCtlProp");
        dialog->findChild<QRadioButton*>("optOLECtl")->click();
        dialog->findChild<QPushButton*>("cmdRefresh")->click();
    });
    QTest::mouseRelease(w.DatDataCtl(), Qt::RightButton, {}, QPoint(5, 5));
    EXPECT_EQ(w.DatDataCtl()->Tag(), "OLE");
    EXPECT_NE(w.findChild<BoundOle*>("oleFieldData(3)"), nullptr);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(w.findChild<BoundPicture*>("picFieldData(3)"), nullptr);
    EXPECT_EQ(Find<QLineEdit>(&w, "txtFieldData(1)")->text(), "Person 1");
}

TEST(FrmDataControl, MovingWithChangesAsksAndNoDiscardsThem) {
    struct Case {
        const char* answer;
        QString stored;
    };
    for (const Case& c : {Case{"no", "Person 1"}, Case{"yes", "Renamed"}}) {
        GridFixture f(3);
        FrmDataControl w(f.session, f.Open());
        TypeInto(Find<QLineEdit>(&w, "txtFieldData(1)"), QStringLiteral("Renamed"));
        f.prompter.AddAnswer(QLatin1String(c.answer));
        static_cast<QAbstractButton*>(Find<QWidget>(w.DatDataCtl(), "cmdMoveNext"))->click();
        EXPECT_EQ(f.Messages(), QStringList({"Commit Changes?"}));
        EXPECT_EQ(f.StoredName(1), c.stored) << c.answer;
        EXPECT_EQ(Find<QLineEdit>(&w, "txtFieldData(1)")->text(), "Person 2");
    }
}

TEST(FrmDataControl, MovingAwayFromANewRecordAsksToSaveIt) {
    struct Case {
        const char* answer;
        qint64 rows;
    };
    for (const Case& c : {Case{"no", 3}, Case{"yes", 4}}) {
        GridFixture f(3);
        FrmDataControl w(f.session, f.Open());
        Click(&w, "cmdAdd");
        EXPECT_EQ(w.DatDataCtl()->Caption(), "New Record");
        TypeInto(Find<QLineEdit>(&w, "txtFieldData(0)"), QStringLiteral("7"));
        TypeInto(Find<QLineEdit>(&w, "txtFieldData(1)"), QStringLiteral("Seventh"));
        f.prompter.AddAnswer(QLatin1String(c.answer));
        w.DatDataCtl()->MoveFirst();
        EXPECT_EQ(f.Messages(), QStringList({"Save New Record?"}));
        EXPECT_EQ(f.StoredCount(), c.rows) << c.answer;
        EXPECT_EQ(Find<QLineEdit>(&w, "txtFieldData(1)")->text(), "Person 1");
    }
}

TEST(FrmDataControl, DeletingTheLastRowShowsTheNewLastAndAMiddleRowTheNextOne) {
    struct Case {
        int moves;
        QString shown;
    };
    for (const Case& c : {Case{2, "Person 2"}, Case{1, "Person 3"}}) {
        GridFixture f(3);
        FrmDataControl w(f.session, f.Open());
        for (int i = 0; i < c.moves; ++i) w.DatDataCtl()->MoveNext();
        f.prompter.AddAnswer(QStringLiteral("yes"));
        Click(&w, "cmdDelete");
        EXPECT_EQ(f.Messages(), QStringList({"Delete Current Record?"}));
        EXPECT_EQ(f.StoredCount(), 2);
        EXPECT_EQ(Find<QLineEdit>(&w, "txtFieldData(1)")->text(), c.shown) << c.moves;
    }
}

TEST(FrmDataControl, AParameterizedQueryRefusesTheProperties) {
    GridFixture f(2);
    FrmDataControl w(f.session, f.Open(), true);
    bool dialogOpened = false;
    OnNextDialog([&](QWidget* dialog) {
        dialogOpened = true;
        dialog->close();
    });
    QTest::mouseRelease(w.DatDataCtl(), Qt::RightButton, {}, QPoint(5, 5));
    Click(&w, "cmdRefresh");
    QApplication::processEvents();
    EXPECT_FALSE(dialogOpened);
    EXPECT_EQ(f.Messages(), QStringList({"Function not available for paramaterized query!",
                                         "Function not available for paramaterized query!"}));
}

TEST(FrmDataControl, ASnapshotIsNotUpdatable) {
    GridFixture f(2);
    FrmDataControl w(f.session, f.Open(engine::RecordsetType::Snapshot));
    EXPECT_EQ(w.DatDataCtl()->Caption(), "1/2  [Not Updatable]");
    for (const char* name : {"cmdAdd", "cmdCancelAdd", "cmdUpdate", "cmdDelete"})
        EXPECT_FALSE(Find<QPushButton>(&w, QLatin1String(name))->isEnabled()) << name;
}

TEST(FrmDataControl, ATableWithoutIndexesShowsItsRowCount) {
    GridFixture f(3, false);
    FrmDataControl w(f.session, f.Open(engine::RecordsetType::Table));
    EXPECT_EQ(w.DatDataCtl()->Caption(), "3 Rows");
}

TEST(FrmDataControl, FindSeeksOnATableAndSearchesElsewhere) {
    GridFixture f(5);
    FrmDataControl table(f.session, f.Open(engine::RecordsetType::Table));
    f.prompter.AddAnswer(QStringLiteral("text:4"));
    Click(&table, "cmdFind");
    EXPECT_EQ(Find<QLineEdit>(&table, "txtFieldData(1)")->text(), "Person 4");
    f.prompter.AddAnswer(QStringLiteral("text:9"));
    Click(&table, "cmdFind");
    EXPECT_EQ(Find<QLineEdit>(&table, "txtFieldData(1)")->text(), "Person 4") << "nothing found: the row stays";

    FrmDataControl dynaset(f.session, f.Open());
    f.prompter.AddAnswer(QStringLiteral("text:Name = 'Person 3'"));
    Click(&dynaset, "cmdFind");
    EXPECT_EQ(Find<QLineEdit>(&dynaset, "txtFieldData(1)")->text(), "Person 3");
}

// ---- frmDataGrid ----------------------------------------------------------------------------

struct GridWindow : GridFixture {
    explicit GridWindow(engine::RecordsetType type = engine::RecordsetType::Dynaset, int rows = 12)
        : GridFixture(rows), window(session, Open(type)) {
        window.show();
    }
    LazyGridModel* Model() { return window.GrdDataGrid()->Model(); }
    void ClickHeader(int column, Qt::KeyboardModifiers keys = {}) {
        QHeaderView* header = window.GrdDataGrid()->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, keys,
                          QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
    }
    FrmDataGrid window;
};

TEST(FrmDataGrid, HeaderClicksSortAscendingOrWithShiftDescendingButNotOnMemo) {
    GridWindow g;
    EXPECT_EQ(g.window.DatDataCtl()->Caption(), "Right Click for Data Control Properties");
    g.ClickHeader(1);
    EXPECT_EQ(g.Model()->TextAt(1, 1), "Person 10");
    g.ClickHeader(1, Qt::ShiftModifier);
    EXPECT_EQ(g.Model()->TextAt(0, 1), "Person 9");
    g.ClickHeader(1);
    EXPECT_EQ(g.Model()->TextAt(0, 1), "Person 1") << "the key is forgotten after a descending sort";
    const auto before = g.window.MrsFormRecordset();
    g.ClickHeader(4);
    EXPECT_EQ(g.window.MrsFormRecordset(), before) << "a Memo header sorts nothing";
    EXPECT_TRUE(g.Messages().isEmpty());
}

TEST(FrmDataGrid, ATableRecordsetRefusesSortAndFilter) {
    GridWindow g(engine::RecordsetType::Table);
    Click(&g.window, "cmdSort");
    Click(&g.window, "cmdFilter");
    const auto before = g.window.MrsFormRecordset();
    g.ClickHeader(1);
    EXPECT_EQ(g.window.MrsFormRecordset(), before);
    EXPECT_EQ(g.Messages(), QStringList({"You Cannot Sort a Table Recordset!", "You Cannot Filter a Table Recordset!"}));
    int beeps = 0;
    for (const auto& r : g.prompter.Records()) beeps += r.kind == platform::PromptRecord::Kind::Beep;
    EXPECT_EQ(beeps, 2);
}

TEST(FrmDataGrid, ARejectedFilterKeepsTheOldRecordset) {
    GridWindow g;
    const auto before = g.window.MrsFormRecordset();
    g.prompter.AddAnswer(QStringLiteral("text:NoSuchField = 1"));
    Click(&g.window, "cmdFilter");
    ASSERT_EQ(g.Messages().size(), 1);
    EXPECT_TRUE(g.Messages()[0].startsWith("Error:")) << g.Messages()[0].toStdString();
    EXPECT_EQ(g.window.MrsFormRecordset(), before);
    EXPECT_TRUE(before->isOpen());
    EXPECT_EQ(g.Model()->rowCount(), 12);

    g.prompter.AddAnswer(QStringLiteral("text:ID > 10"));
    Click(&g.window, "cmdFilter");
    EXPECT_EQ(g.Model()->rowCount(), 2);
    EXPECT_EQ(g.Model()->TextAt(0, 1), "Person 11");
}

TEST(FrmDataGrid, DeletingARowAsksFirst) {
    GridWindow g(engine::RecordsetType::Dynaset, 3);
    g.window.GrdDataGrid()->setFocus();
    g.window.GrdDataGrid()->setCurrentIndex(g.Model()->index(1, 0));
    g.prompter.AddAnswer(QStringLiteral("no"));
    QTest::keyClick(g.window.GrdDataGrid(), Qt::Key_Delete);
    EXPECT_EQ(g.StoredCount(), 3);
    g.prompter.AddAnswer(QStringLiteral("yes"));
    QTest::keyClick(g.window.GrdDataGrid(), Qt::Key_Delete);
    EXPECT_EQ(g.StoredCount(), 2);
    EXPECT_EQ(g.Messages(), QStringList({"Delete Current Row?", "Delete Current Row?"}));
    EXPECT_EQ(g.window.GrdDataGrid()->ColumnText(1), "Person 3");
}

TEST(FrmDataGrid, AChangedRowAsksToCommitWhenLeft) {
    GridWindow g(engine::RecordsetType::Dynaset, 3);
    auto* grid = g.window.GrdDataGrid();
    grid->setCurrentIndex(g.Model()->index(0, 1));
    g.Model()->setData(g.Model()->index(0, 1), QStringLiteral("Typed"));
    g.prompter.AddAnswer(QStringLiteral("no"));
    grid->setCurrentIndex(g.Model()->index(2, 1));
    EXPECT_EQ(g.Messages(), QStringList({"Commit changes?"}));
    EXPECT_EQ(g.StoredName(1), "Person 1");
    EXPECT_EQ(g.Model()->TextAt(0, 1), "Person 1");
}

TEST(ViewWindowFactory, DataControlAndGridRequestsGetTheirWindows) {
    GridFixture f(2);
    db::RecordsetWindowRequest request;
    request.kind = db::ViewWindowKind::DataControl;
    request.recordset = f.Open();
    request.parameterized = true;
    std::unique_ptr<QWidget> form(CreateRecordsetWindow(f.session, request));
    auto* dataForm = dynamic_cast<FrmDataControl*>(form.get());
    ASSERT_NE(dataForm, nullptr);
    EXPECT_TRUE(dataForm->MbIsParameterized());
    EXPECT_EQ(dataForm->MrsFormRecordset(), request.recordset);

    request.kind = db::ViewWindowKind::DataGrid;
    request.recordset = f.Open();
    std::unique_ptr<QWidget> grid(CreateRecordsetWindow(f.session, request));
    ASSERT_NE(dynamic_cast<FrmDataGrid*>(grid.get()), nullptr);
    EXPECT_EQ(grid->property("tag").toString(), "Recordset");
}

}  // namespace
}  // namespace veranth::views
