#include "tests/views/grid_fixture.h"

#include "views/seek_form.h"
#include "views/table_obj_view.h"
#include "views/table_obj_window.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/widgets/form_helpers.h"

namespace veranth::views {
namespace {

using testing::GridFixture;

QString Shown(FrmTableObj& w, int field) { return w.findChild<QLineEdit*>(QStringLiteral("txtFieldData(%1)").arg(field))->text(); }

// Answers the seek dialogs the window opens, in order: an operator index and a value, or cancel.
struct SeekAnswer {
    int op;
    QString value;
    bool cancel = false;
};
void AnswerSeeks(FrmTableObj& w, QList<SeekAnswer> answers) {
    auto pending = std::make_shared<QList<SeekAnswer>>(std::move(answers));
    auto* timer = new QTimer(&w);
    QObject::connect(timer, &QTimer::timeout, [pending, timer, dialog = w.SeekDialog()] {
        if (!dialog->isVisible()) return;
        if (pending->isEmpty()) {
            timer->stop();
            return;
        }
        const SeekAnswer a = pending->takeFirst();
        if (a.cancel) {
            dialog->findChild<QPushButton*>("cmdCancel")->click();
            return;
        }
        dialog->findChild<QRadioButton*>(QStringLiteral("optSeekOperator(%1)").arg(a.op))->click();
        auto* box = dialog->findChild<QLineEdit*>("txtSeekValue");
        box->setText(a.value);
        dialog->findChild<QPushButton*>("cmdOK")->click();
    });
    timer->start(5);
}

TEST(FrmTableObj, IndexListEntriesNameFieldsUniquenessAndPrimary) {
    GridFixture f(3);
    auto t = f.db->tableDefs().item(QStringLiteral("People"));
    auto i = t->createIndex(QStringLiteral("ByName"));
    i->setFields(QStringLiteral("Name"));
    t->indexes().append(i);
    const QStringList entries = IndexListEntries(*f.db->tableDefs().item(QStringLiteral("People")));
    ASSERT_EQ(entries.size(), 2);
    EXPECT_TRUE(entries[0].startsWith("PrimaryKey:") && entries[0].endsWith(":Unique:Primary")) << entries[0].toStdString();
    EXPECT_TRUE(entries[1].startsWith("ByName:") && entries[1].endsWith("Name:Non-Unique")) << entries[1].toStdString();
    EXPECT_EQ(IndexNameOfEntry(entries[1]), "ByName");

    FrmTableObj w(f.session, f.Open(engine::RecordsetType::Table));
    auto* combo = w.findChild<QComboBox*>("cboIndexes");
    EXPECT_EQ(combo->count(), 2);
    EXPECT_EQ(w.MrsFormRecordset()->index(), "PrimaryKey");
    combo->setCurrentIndex(1);
    EXPECT_EQ(w.MrsFormRecordset()->index(), "ByName");
}

TEST(FrmTableObj, ATableWithoutIndexesShowsOnlyItsRowCount) {
    GridFixture f(3, false);
    FrmTableObj w(f.session, f.Open(engine::RecordsetType::Table));
    EXPECT_EQ(w.findChild<QComboBox*>("cboIndexes")->count(), 0);
    EXPECT_EQ(w.findChild<QLabel*>("lblStatus")->text(), "3 Rows");
}

TEST(FrmTableObj, SeekFindsKeepsTheRowWhenNotFoundAndStopsOnCancel) {
    GridFixture f(5);
    FrmTableObj w(f.session, f.Open(engine::RecordsetType::Table));
    w.show();
    AnswerSeeks(w, {{0, "4"}});
    w.findChild<QPushButton*>("cmdSeek")->click();
    EXPECT_EQ(Shown(w, 1), "Person 4");

    AnswerSeeks(w, {{0, "9"}, {0, QString(), true}});
    w.findChild<QPushButton*>("cmdSeek")->click();
    EXPECT_EQ(f.Messages(), QStringList({"Record Not Found"}));
    EXPECT_EQ(Shown(w, 1), "Person 4") << "the record the Seek started from";

    AnswerSeeks(w, {{1, "3"}});  // >=
    w.findChild<QPushButton*>("cmdSeek")->click();
    EXPECT_EQ(Shown(w, 1), "Person 3");
}

TEST(FrmTableObj, KeysMoveWhileBrowsingOnly) {
    GridFixture f(5);
    FrmTableObj w(f.session, f.Open(engine::RecordsetType::Table));
    w.show();
    w.setFocus();
    QTest::keyClick(&w, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(Shown(w, 1), "Person 5");
    QTest::keyClick(&w, Qt::Key_Up);
    EXPECT_EQ(Shown(w, 1), "Person 4");
    QTest::keyClick(&w, Qt::Key_Home);
    EXPECT_EQ(Shown(w, 1), "Person 1");
    QTest::keyClick(&w, Qt::Key_Down);
    EXPECT_EQ(Shown(w, 1), "Person 2");
    QTest::keyClick(&w, Qt::Key_End);
    EXPECT_EQ(Shown(w, 1), "Person 5");
    QTest::keyClick(&w, Qt::Key_Up, Qt::ControlModifier);
    EXPECT_EQ(Shown(w, 1), "Person 1");

    w.findChild<QPushButton*>("cmdEdit")->click();
    QTest::keyClick(&w, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(w.MrsFormRecordset()->absolutePosition(), 0) << "no moves while a change is pending";
    w.findChild<QPushButton*>("cmdCancel")->click();
}

TEST(FrmTableObj, TwelveFieldsOpenWithTheScrollHeightAndTenWithTheirOwn) {
    struct Case {
        int fields;
        int heightTwips;
    };
    for (const Case& c : {Case{12, 4668}, Case{10, 5340}}) {
        GridFixture f(0);
        auto t = f.db->createTableDef(QStringLiteral("Wide"));
        for (int i = 0; i < c.fields; ++i) t->fields().append(t->createField(QStringLiteral("F%1").arg(i), engine::FieldType::Long));
        f.db->tableDefs().append(t);
        FrmTableObj w(f.session, f.Open(engine::RecordsetType::Table, QStringLiteral("Wide")));
        EXPECT_EQ(TableObjFormSize(c.fields).height, c.heightTwips);
        EXPECT_EQ(w.height(), platform::TwipsToPixels(&w, c.heightTwips)) << c.fields;
        EXPECT_EQ(w.width(), platform::TwipsToPixels(&w, 5508));
    }
}

TEST(FrmTableObj, EditAndUpdateWriteTheRow) {
    GridFixture f(3);
    FrmTableObj w(f.session, f.Open(engine::RecordsetType::Table));
    w.show();
    w.findChild<QPushButton*>("cmdEdit")->click();
    auto* box = w.findChild<QLineEdit*>("txtFieldData(1)");
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, QStringLiteral("Edited"));
    w.findChild<QPushButton*>("cmdUpdate")->click();
    EXPECT_EQ(f.StoredName(1), "Edited");
    EXPECT_EQ(w.findChild<QLabel*>("lblStatus")->text(), "1/3");
}

}  // namespace
}  // namespace veranth::views
