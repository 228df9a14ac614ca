#include "views/dyna_snap.h"

#include "engine/conversions.h"
#include "tests/views/views_fixture.h"

#include <deque>

namespace veranth::views {
namespace {

// The window as the logic sees it: boxes, the slider and the dialogs' answers.
class FakeView : public DynaSnapView {
public:
    QString status;
    QStringList boxes;
    SliderScale scale;
    int slider = 0;
    bool changing = false;
    QStringList findFields;
    int findShown = 0;
    std::deque<FindRequest> finds;  // the dialog's answers; Cancel when none are left
    std::deque<QString> zooms;      // the zoom's answers
    QList<ZoomRequest> zoomRequests;
    bool unloaded = false;

    void SetStatusText(const QString& text) override { status = text; }
    QString FieldText(int i) const override { return boxes.value(i); }
    void SetFieldText(int i, const QString& text) override {
        while (boxes.size() <= i) boxes.append(QString());
        boxes[i] = text;
    }
    void SetSliderScale(const SliderScale& s) override { scale = s; }
    void ShowSliderValue(int v) override { slider = v; }
    void SetChanging(bool c) override { changing = c; }
    void FocusFirstBox() override {}
    void FocusSlider() override {}
    void FillFindFields(const QStringList& names) override { findFields = names; }
    FindRequest ShowFindDialog() override {
        ++findShown;
        if (finds.empty()) {
            FindRequest cancel;
            cancel.cancelled = true;
            return cancel;
        }
        FindRequest r = finds.front();
        finds.pop_front();
        return r;
    }
    QString ShowZoom(const ZoomRequest& request) override {
        zoomRequests.append(request);
        if (zooms.empty()) return QLatin1String(kZoomCancelled);
        QString r = zooms.front();
        zooms.pop_front();
        return r;
    }
    void Unload() override { unloaded = true; }
};

FindRequest Search(const char* field, const char* op, const char* value, FindRequest::Type type = FindRequest::Type::First) {
    FindRequest r;
    r.fieldName = QString::fromUtf8(field);
    r.op = QString::fromUtf8(op);
    r.value = QString::fromUtf8(value);
    r.findType = type;
    return r;
}

class ViewsDynaSnap : public testing::ViewsTest {
protected:
    FakeView view;
    std::unique_ptr<DynaSnapForm> form;

    void Open(int rows, engine::RecordsetType type = engine::RecordsetType::Dynaset) {
        FillCustomers(rows);
        form = std::make_unique<DynaSnapForm>(s, OpenCustomers(type), view);
        ASSERT_TRUE(form->Load());
    }
    std::int64_t Position() { return form->Recordset().absolutePosition(); }
    QString StoredNotes(int id) {
        return engine::toDisplayText(StoredValue(QStringLiteral("SELECT Notes FROM Customers WHERE ID = %1").arg(id)));
    }
};

TEST_F(ViewsDynaSnap, LoadShowsTheFirstRecordAndScalesTheSlider) {
    Open(50);
    EXPECT_EQ(form->RowCount(), 50);
    EXPECT_EQ(view.status, QStringLiteral("1/50"));
    EXPECT_EQ(view.boxes.value(1), QStringLiteral("Name1"));
    EXPECT_EQ(view.scale.max, 100);
    EXPECT_EQ(view.scale.smallChange, 2);
    EXPECT_EQ(view.scale.largeChange, 20);
    EXPECT_TRUE(form->Recordset().lockEdits());
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
}

TEST_F(ViewsDynaSnap, OneStepSliderChangesMoveOneRowOnLongSets) {
    for (int rows : {1000, 40000}) {
        s.database->execute(QStringLiteral("DELETE FROM Customers"));
        Open(rows);
        form->SliderChanged(form->SliderValue() + 500);  // a jump first
        const std::int64_t start = Position();
        form->SliderChanged(form->SliderValue() + 1);
        EXPECT_EQ(Position(), start + 1) << rows;
        form->SliderChanged(form->SliderValue() + 1);
        EXPECT_EQ(Position(), start + 2) << rows;
        form->SliderChanged(form->SliderValue() - 1);
        EXPECT_EQ(Position(), start + 1) << rows;
        EXPECT_TRUE(f.Messages().isEmpty()) << rows;
    }
}

TEST_F(ViewsDynaSnap, TheFirstJumpOnALongSetCountsItWhileLettingEventsRunAndLandsByTheWholeCount) {
    Open(40000);
    ASSERT_LT(form->RowCount(), 40000);  // only the rows reached so far
    const qint64 yieldsBefore = s.Yield().Count();
    form->SliderChanged(form->Scale().max / 2);
    EXPECT_GT(s.Yield().Count(), yieldsBefore);
    EXPECT_EQ(form->RowCount(), 40000);
    EXPECT_EQ(form->Scale().max, 32767);
    const int id = view.boxes.value(0).toInt();
    EXPECT_NEAR(id, 20000, 100);
    EXPECT_EQ(view.status, QStringLiteral("%1/40000").arg(id));
    EXPECT_NEAR(form->SliderValue(), 16384, 2);
    // Counted once: the next step is one row.
    form->SliderChanged(form->SliderValue() + 1);
    EXPECT_EQ(view.boxes.value(0).toInt(), id + 1);
    EXPECT_TRUE(f.Messages().isEmpty());
}

TEST_F(ViewsDynaSnap, SliderAtItsEndShowsTheLastRow) {
    Open(1000);
    form->SliderChanged(form->Scale().max);
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("1000"));
    EXPECT_TRUE(f.Messages().isEmpty());
}

TEST_F(ViewsDynaSnap, MovePastEitherEndLandsOnTheLastOrFirstRow) {
    Open(30);
    f.prompter.AddAnswer(QStringLiteral("text:500"));
    form->Move();
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("30"));
    EXPECT_EQ(view.status, QStringLiteral("30/30"));
    f.prompter.AddAnswer(QStringLiteral("text:-500"));
    form->Move();
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("1"));
    f.prompter.AddAnswer(QStringLiteral("text:4"));
    form->Move();
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("5"));
    EXPECT_EQ(InputTitles()[0], QStringLiteral("Veranth|Enter number of Rows to Move:\r\n(Use negative value to move backwards)"));
    EXPECT_TRUE(f.Messages().isEmpty());
}

TEST_F(ViewsDynaSnap, FindBuildsTheCriteriaByFieldTypeAndMovesToTheMatch) {
    EXPECT_EQ(FindCriteria(QStringLiteral("Last Name"), engine::FieldType::Text, QStringLiteral("Like"), QStringLiteral("A*")),
              QStringLiteral("[Last Name] Like 'A*'"));
    EXPECT_EQ(FindCriteria(QStringLiteral("City"), engine::FieldType::Text, QStringLiteral("Like"), QStringLiteral("A*")),
              QStringLiteral("City Like 'A*'"));
    EXPECT_EQ(FindCriteria(QStringLiteral("Amount"), engine::FieldType::Currency, QStringLiteral(">="), QStringLiteral("5")),
              QStringLiteral("Amount>=5"));
    EXPECT_EQ(FindCriteria(QStringLiteral("Notes"), engine::FieldType::Memo, QStringLiteral("="), QStringLiteral("O'Hara")),
              QStringLiteral("Notes = 'O''Hara'"));

    Open(10);
    view.finds.push_back(Search("Last Name", "Like", "A*"));
    form->Find();
    EXPECT_EQ(view.findFields, (QStringList{"ID", "Last Name", "City", "Amount", "Notes"}));
    EXPECT_EQ(view.boxes.value(1), QStringLiteral("Adams"));
    EXPECT_EQ(view.status, QStringLiteral("2/10"));
    view.finds.push_back(Search("Amount", ">=", "5"));
    form->Find();
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("5"));
    // A name with an apostrophe is searched as one value, not broken out of its quotes.
    view.finds.push_back(Search("City", "=", "x' Or 'a'='a"));
    form->Find();
    EXPECT_TRUE(f.Messages().contains(QStringLiteral("Record Not Found")));
}

TEST_F(ViewsDynaSnap, NotFoundSaysSoShowsTheDialogAgainAndCancelKeepsTheStartRecord) {
    Open(10);
    form->SliderChanged(form->SliderValue() + 40);  // somewhere in the middle
    const QString startId = view.boxes.value(0);
    view.finds.push_back(Search("Last Name", "Like", "Z*", FindRequest::Type::Next));
    form->Find();
    EXPECT_EQ(view.findShown, 2);  // again after the miss, then cancelled
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("Record Not Found")});
    EXPECT_EQ(view.boxes.value(0), startId);
    EXPECT_EQ(f.status.PanelText(1), QStringLiteral("Ready"));
}

TEST_F(ViewsDynaSnap, EditingTheStartOfALongMemoKeepsTheRest) {
    FillCustomers(3);
    const QString memo = QString(50, QLatin1Char('a')) + QStringLiteral("-the part no box shows-") + QString(100, QLatin1Char('z'));
    s.database->execute(QStringLiteral("UPDATE Customers SET Notes = '%1' WHERE ID = 1").arg(memo));
    form = std::make_unique<DynaSnapForm>(s, OpenCustomers(), view);
    ASSERT_TRUE(form->Load());
    ASSERT_EQ(view.boxes.value(4), QString(50, QLatin1Char('a')));

    form->Edit();
    form->BoxFocused(4);
    view.boxes[4] = QStringLiteral("Edited start");
    form->BoxEdited(4);
    form->BoxLostFocus(4);
    form->Update();
    EXPECT_TRUE(f.Messages().isEmpty());
    EXPECT_EQ(StoredNotes(1), QStringLiteral("Edited start") + memo.mid(50));

    // Editing another field leaves the Memo alone.
    form->Edit();
    view.boxes[2] = QStringLiteral("Hull");
    form->BoxEdited(2);
    form->BoxLostFocus(2);
    form->Update();
    EXPECT_EQ(StoredNotes(1), QStringLiteral("Edited start") + memo.mid(50));
}

TEST_F(ViewsDynaSnap, SavingAZoomOfAVeryLongMemoKeepsWhatTheZoomDidNotShow) {
    FillCustomers(1);
    QString memo;
    for (int i = 0; i < 3000; ++i) memo += QStringLiteral("line %1;").arg(i, 4, 10, QLatin1Char('0'));  // 30000 characters
    auto rs = OpenCustomers();
    rs->edit();
    rs->field(QStringLiteral("Notes"))->setValue(engine::Value(memo));
    rs->update();
    rs->close();
    form = std::make_unique<DynaSnapForm>(s, OpenCustomers(), view);
    ASSERT_TRUE(form->Load());

    // Browsing: the zoom shows 20050 characters and nothing can be saved.
    form->Zoom(4);
    ASSERT_EQ(view.zoomRequests.size(), 1);
    EXPECT_EQ(view.zoomRequests[0].text, memo.left(20050));
    EXPECT_FALSE(view.zoomRequests[0].editable);
    EXPECT_TRUE(view.zoomRequests[0].memo);

    form->Edit();
    view.zooms.push_back(QStringLiteral("NEW") + memo.mid(10, 20040));  // first 10 characters replaced
    form->Zoom(4);
    EXPECT_TRUE(view.zoomRequests[1].editable);
    form->Update();
    EXPECT_TRUE(f.Messages().isEmpty());
    EXPECT_EQ(StoredNotes(1), QStringLiteral("NEW") + memo.mid(10));
}

TEST_F(ViewsDynaSnap, ZoomedTextLongerThanTheFieldIsCutWithAWarning) {
    Open(2);
    form->Edit();
    view.zooms.push_back(QStringLiteral("ABCDEFGHIJKLMNO"));  // 15 characters into City, Text 10
    form->Zoom(2);
    EXPECT_EQ(view.zoomRequests[0].caption, QStringLiteral("City"));
    EXPECT_FALSE(view.zoomRequests[0].memo);
    EXPECT_EQ(f.Messages(), QStringList{QStringLiteral("Field Length Exceeded, Data Truncated!")});
    EXPECT_EQ(view.boxes.value(2), QStringLiteral("ABCDEFGHIJ"));
    form->Update();
    EXPECT_EQ(engine::toDisplayText(StoredValue(QStringLiteral("SELECT City FROM Customers WHERE ID = 1"))), QStringLiteral("ABCDEFGHIJ"));
    // Other types have no zoom.
    form->Zoom(0);
    EXPECT_EQ(view.zoomRequests.size(), 1);
}

TEST_F(ViewsDynaSnap, BadSortRestoresTheOldRecordsetAndItsPlace) {
    Open(10);
    form->SliderChanged(form->SliderValue() + 30);
    const QString here = view.boxes.value(0);
    const auto before = form->RecordsetPtr();
    f.prompter.AddAnswer(QStringLiteral("text:NoSuchColumn"));
    form->Sort();
    ASSERT_EQ(f.Messages().size(), 1);
    EXPECT_TRUE(f.Messages()[0].startsWith(QStringLiteral("The following Error occurred:")));
    EXPECT_EQ(form->RecordsetPtr(), before);
    EXPECT_EQ(engine::toDisplayText(form->Recordset().field(0)->value()), here);

    // The failed order is not left behind on the old set: a filter after it works.
    f.prompter.AddAnswer(QStringLiteral("text:City = 'Leeds'"));
    form->Filter();
    EXPECT_EQ(f.Messages().size(), 1);
    EXPECT_NE(form->RecordsetPtr(), before);
    EXPECT_EQ(form->RowCount(), 5);
    EXPECT_EQ(view.status, QStringLiteral("1/5"));
}

TEST_F(ViewsDynaSnap, BadFilterRestoresTheOldRecordset) {
    Open(10);
    const auto before = form->RecordsetPtr();
    f.prompter.AddAnswer(QStringLiteral("text:City = = 'x'"));
    form->Filter();
    EXPECT_EQ(f.Messages().size(), 1);
    EXPECT_EQ(form->RecordsetPtr(), before);
    EXPECT_EQ(form->RowCount(), 10);
    EXPECT_EQ(engine::toDisplayText(form->Recordset().field(0)->value()), QStringLiteral("1"));
    // A good sort afterwards takes.
    f.prompter.AddAnswer(QStringLiteral("text:ID DESC"));
    form->Sort();
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("10"));
}

TEST_F(ViewsDynaSnap, AddUpdateCountsTheNewRowAndShowsIt) {
    Open(3);
    s.connection.inTransaction = true;
    form->Add();
    EXPECT_TRUE(form->Adding());
    EXPECT_TRUE(view.changing);
    EXPECT_EQ(view.status, QStringLiteral("Add record"));
    view.boxes[0] = QStringLiteral("77");
    form->BoxFocused(0);
    form->BoxEdited(0);
    // Update without leaving the box: what was typed still goes in.
    form->Update();
    EXPECT_TRUE(f.Messages().isEmpty());
    EXPECT_FALSE(view.changing);
    EXPECT_EQ(form->RowCount(), 4);
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("77"));
    EXPECT_EQ(CountRows(QStringLiteral("Customers")), 4);
    EXPECT_TRUE(s.connection.pendingChanges);
}

TEST_F(ViewsDynaSnap, RejectedUpdateStaysPendingAndCancelReturnsToBrowsing) {
    Open(3);
    form->Edit();
    view.boxes[0] = QStringLiteral("2");  // the primary key of another row
    form->BoxEdited(0);
    form->BoxLostFocus(0);
    form->Update();
    EXPECT_EQ(f.Messages().size(), 1);
    EXPECT_TRUE(form->Editing());
    EXPECT_TRUE(view.changing);
    form->Cancel();
    EXPECT_FALSE(form->Editing());
    EXPECT_FALSE(view.changing);
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("1"));
}

TEST_F(ViewsDynaSnap, DeleteAsksThenShowsTheNextRow) {
    Open(3);
    f.prompter.AddAnswer(QStringLiteral("no"));
    form->Delete();
    EXPECT_EQ(CountRows(QStringLiteral("Customers")), 3);
    f.prompter.AddAnswer(QStringLiteral("yes"));
    form->Delete();
    EXPECT_EQ(f.Messages(), (QStringList{"Delete Current Record?", "Delete Current Record?"}));
    EXPECT_EQ(CountRows(QStringLiteral("Customers")), 2);
    EXPECT_EQ(view.boxes.value(0), QStringLiteral("2"));
}

}  // namespace
}  // namespace veranth::views
