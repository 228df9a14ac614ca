#include "tests/views/grid_fixture.h"

#include "views/bound_grid.h"
#include "views/lazy_grid_model.h"

#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

namespace veranth::views {
namespace {

using testing::GridFixture;

TEST(LazyGridModel, CellsArePlaceholdersUntilTheirBlockIsRead) {
    GridFixture f(10);
    LazyGridModel model;
    model.SetRecordset(f.Open());
    EXPECT_TRUE(model.CountComplete());
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.RowCountText(), "10");
    EXPECT_EQ(model.headerData(1, Qt::Horizontal).toString(), "Name");
    EXPECT_TRUE(model.data(model.index(4, 1), LazyGridModel::kPlaceholderRole).toBool());
    EXPECT_FALSE(model.data(model.index(4, 1)).isValid());
    model.FetchAll();
    EXPECT_FALSE(model.data(model.index(4, 1), LazyGridModel::kPlaceholderRole).toBool());
    EXPECT_EQ(model.data(model.index(4, 1)).toString(), "Person 5");
    EXPECT_EQ(model.data(model.index(3, 2)).toString(), "True");
    EXPECT_EQ(model.data(model.index(3, 4)).toString(), "");
}

TEST(LazyGridModel, ReadingRowsLeavesTheOwnersCurrentRowAlone) {
    GridFixture f(10);
    auto rs = f.Open();
    rs->move(6);
    LazyGridModel model;
    model.SetRecordset(rs);
    model.data(model.index(0, 0));
    model.FetchAll();
    EXPECT_EQ(rs->absolutePosition(), 6);
}

TEST(LazyGridModel, TheKnownCountGrowsUntilTheLastRowIsReached) {
    for (auto type : {engine::RecordsetType::Table, engine::RecordsetType::Dynaset, engine::RecordsetType::Snapshot}) {
        GridFixture f(30000);
        LazyGridModel model;
        qint64 lastKnown = 0;
        bool sawIncomplete = false;
        QObject::connect(&model, &LazyGridModel::CountChanged, [&](qint64 known, bool complete) {
            EXPECT_GE(known, lastKnown);
            lastKnown = known;
            sawIncomplete = sawIncomplete || !complete;
        });
        model.SetRecordset(f.Open(type));
        EXPECT_FALSE(model.CountComplete()) << static_cast<int>(type);
        EXPECT_LT(model.rowCount(), 30000);
        EXPECT_TRUE(model.RowCountText().endsWith('+'));
        model.FetchAll();
        EXPECT_TRUE(model.CountComplete());
        EXPECT_TRUE(sawIncomplete);
        EXPECT_EQ(model.rowCount(), 30000);
        EXPECT_EQ(model.RowCountText(), "30000");
        EXPECT_EQ(model.TextAt(29999, 0), "30000");
    }
}

TEST(LazyGridModel, BlocksFarFromTheVisibleRowsAreReleased) {
    GridFixture f(30000);
    LazyGridModel model;
    model.SetRecordset(f.Open());
    model.FetchAll();
    for (int first = 0; first < 30000; first += 40) {
        model.SetVisibleRows(first, first + 39);
        model.data(model.index(first, 1));
        model.Pump();
    }
    EXPECT_LE(model.CachedBlocks(), LazyGridModel::kMaxBlocks);
    EXPECT_TRUE(model.IsFetched(29990));
    EXPECT_FALSE(model.IsFetched(0));
}

TEST(LazyGridModel, RequestsScrolledPastAreDroppedAndAReplacedRecordsetForgetsItsBlocks) {
    GridFixture f(5000);
    LazyGridModel model;
    model.SetRecordset(f.Open());
    model.FetchAll();
    model.SetVisibleRows(4000, 4040);
    model.data(model.index(10, 1));  // asked for, then scrolled away from
    model.data(model.index(4000, 1));
    model.FetchAll();
    EXPECT_FALSE(model.IsFetched(10));
    EXPECT_TRUE(model.IsFetched(4000));

    model.data(model.index(4100, 1));  // waiting when the recordset is replaced
    model.SetRecordset(f.Open(engine::RecordsetType::Dynaset, QStringLiteral("SELECT ID, Name FROM People WHERE ID > 4990")));
    model.FetchAll();
    EXPECT_EQ(model.CachedBlocks(), 0);
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_EQ(model.columnCount(), 2);
    EXPECT_EQ(model.TextAt(0, 1), "Person 4991");
}

TEST(LazyGridModel, RowsDeletedThroughTheGridAreSkipped) {
    GridFixture f(5);
    LazyGridModel model;
    model.SetRecordset(f.Open());
    model.RowRemoved(1);
    model.RowRemoved(3);
    EXPECT_EQ(model.rowCount(), 3);
    EXPECT_EQ(model.PositionOfRow(0), 0);
    EXPECT_EQ(model.PositionOfRow(1), 2);
    EXPECT_EQ(model.PositionOfRow(2), 4);
    EXPECT_EQ(model.RowOfPosition(4), 2);
    EXPECT_EQ(model.TextAt(2, 1), "Person 5");
}

TEST(LazyGridModel, EditsWaitForCommitOrDiscard) {
    GridFixture f(3);
    LazyGridModel model;
    model.SetRecordset(f.Open());
    model.FetchAll();
    EXPECT_TRUE(model.setData(model.index(1, 1), QStringLiteral("Edited")));
    EXPECT_FALSE(model.setData(model.index(2, 1), QStringLiteral("Other"))) << "one row waits at a time";
    EXPECT_EQ(model.data(model.index(1, 1)).toString(), "Edited");
    EXPECT_EQ(f.StoredName(2), "Person 2");
    model.DiscardPendingEdit();
    EXPECT_EQ(model.TextAt(1, 1), "Person 2");

    model.setData(model.index(1, 1), QStringLiteral("Edited"));
    model.CommitPendingEdit();
    EXPECT_FALSE(model.HasPendingEdit());
    EXPECT_EQ(f.StoredName(2), "Edited");
    EXPECT_EQ(model.TextAt(1, 1), "Edited");

    model.setData(model.index(0, 1), QStringLiteral("A name far too long for twenty"));
    EXPECT_THROW(model.CommitPendingEdit(), engine::EngineError);
    EXPECT_TRUE(model.HasPendingEdit()) << "a refused edit stays for correcting";
}

TEST(LazyGridModel, SnapshotsAndBinaryColumnsAreNotEditable) {
    GridFixture f(2);
    LazyGridModel model;
    model.SetRecordset(f.Open());
    EXPECT_TRUE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
    EXPECT_FALSE(model.flags(model.index(0, 3)) & Qt::ItemIsEditable);
    model.SetRecordset(f.Open(engine::RecordsetType::Snapshot));
    EXPECT_FALSE(model.flags(model.index(0, 1)) & Qt::ItemIsEditable);
}

// A grid bound to a data control over People.
struct BoundTable : GridFixture {
    explicit BoundTable(int rows = 5) : GridFixture(rows) {
        grid.SetDataSource(&control);
        control.SetRecordset(Open());
        grid.resize(500, 300);
        grid.show();
        QObject::connect(&control, &DataControl::Validate, [this](int action, bool* save) {
            validations << QStringLiteral("%1 %2").arg(action).arg(*save ? "save" : "-");
            if (dropChanges) *save = false;
        });
    }
    DataControl control{session};
    BoundGrid grid;
    QStringList validations;
    bool dropChanges = false;
};

TEST(BoundGrid, PickingARowMovesTheDataControl) {
    BoundTable t;
    t.grid.setCurrentIndex(t.grid.Model()->index(3, 1));
    EXPECT_EQ(t.control.Recordset()->absolutePosition(), 3);
    EXPECT_EQ(t.validations, QStringList({"9 -"}));
    EXPECT_EQ(t.grid.ColumnText(1), "Person 4");
    t.control.MoveFirst();
    EXPECT_EQ(t.grid.CurrentRow(), 0);
}

TEST(BoundGrid, AnEditedRowIsSavedOrDroppedWhenLeft) {
    for (bool drop : {false, true}) {
        BoundTable t;
        t.dropChanges = drop;
        t.grid.setCurrentIndex(t.grid.Model()->index(1, 1));
        t.grid.Model()->setData(t.grid.Model()->index(1, 1), QStringLiteral("Typed"));
        t.validations.clear();
        t.grid.setCurrentIndex(t.grid.Model()->index(2, 1));
        EXPECT_EQ(t.validations, QStringList({"9 save"}));
        EXPECT_EQ(t.StoredName(2), drop ? "Person 2" : "Typed");
        EXPECT_EQ(t.grid.Model()->TextAt(1, 1), drop ? "Person 2" : "Typed");
    }
}

TEST(BoundGrid, DeleteKeyAsksFirstAndRemovesTheRow) {
    struct Case {
        int row;
        bool cancel;
        int expectRows, expectCurrent;
        QString currentName;
    };
    for (const Case& c : {Case{2, true, 5, 2, "Person 3"}, Case{2, false, 4, 2, "Person 4"}, Case{4, false, 4, 3, "Person 4"}}) {
        BoundTable t;
        QObject::connect(&t.grid, &BoundGrid::BeforeDelete, [&](bool* cancel) { *cancel = c.cancel; });
        t.grid.setFocus();
        t.grid.setCurrentIndex(t.grid.Model()->index(c.row, 0));
        QTest::keyClick(&t.grid, Qt::Key_Delete);
        EXPECT_EQ(t.grid.Model()->rowCount(), c.expectRows) << c.row << c.cancel;
        EXPECT_EQ(t.StoredCount(), c.expectRows);
        EXPECT_EQ(t.grid.CurrentRow(), c.expectCurrent);
        EXPECT_EQ(t.grid.ColumnText(1), c.currentName);
        EXPECT_EQ(t.control.Recordset()->field(1)->value().rawString(), c.currentName);
    }
}

TEST(BoundGrid, HeaderClicksAreReportedAfterTheMouseEventWithItsKeys) {
    BoundTable t;
    QStringList seen;
    QObject::connect(&t.grid, &BoundGrid::MouseEvent, [&](Qt::MouseButton, Qt::KeyboardModifiers m) {
        seen << ((m & Qt::ShiftModifier) ? "mouse shift" : "mouse");
    });
    QObject::connect(&t.grid, &BoundGrid::HeadClick, [&](int column) { seen << QStringLiteral("head %1").arg(column); });
    QHeaderView* header = t.grid.horizontalHeader();
    const QPoint at(header->sectionViewportPosition(1) + 5, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::ShiftModifier, at);
    EXPECT_EQ(seen, QStringList({"mouse shift", "mouse shift", "head 1"}));
}

TEST(BoundGrid, CtrlEndWaitsForTheCountThenShowsTheLastRow) {
    BoundTable t(30000);
    t.grid.Model()->SetCountInBackground(false);
    t.control.SetRecordset(t.Open());
    EXPECT_FALSE(t.grid.Model()->CountComplete());
    t.grid.setFocus();
    QTest::keyClick(&t.grid, Qt::Key_End, Qt::ControlModifier);
    t.grid.Model()->FetchAll();
    EXPECT_EQ(t.grid.CurrentRow(), 29999);
    EXPECT_EQ(t.control.Recordset()->absolutePosition(), 29999);
}

}  // namespace
}  // namespace veranth::views
