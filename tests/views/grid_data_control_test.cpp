#include "tests/views/grid_fixture.h"

#include "engine/conversions.h"
#include "views/bound_controls.h"
#include "views/data_control.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

namespace veranth::views {
namespace {

using testing::GridFixture;

// A data control with a text box on Name and a check box on Active, recording its events.
struct BoundForm : GridFixture {
    explicit BoundForm(int rows = 3) : GridFixture(rows) {
        control.Bind(&name, QStringLiteral("Name"));
        control.Bind(&active, QStringLiteral("Active"));
        QObject::connect(&control, &DataControl::Validate, [this](int action, bool* save) {
            events << QStringLiteral("Validate %1 %2").arg(action).arg(*save ? "save" : "-");
            if (dropChanges) *save = false;
        });
        QObject::connect(&control, &DataControl::Reposition, [this] { events << QStringLiteral("Reposition"); });
        QObject::connect(&control, &DataControl::Error, [this](int number, const QString&, int* response) {
            events << QStringLiteral("Error %1").arg(number);
            if (quietErrors) *response = kDataErrContinue;
        });
    }
    void Type(const QString& text) {
        name.selectAll();
        QTest::keyClicks(&name, text);
    }

    DataControl control{session};
    QLineEdit name;
    QCheckBox active;
    QStringList events;
    bool dropChanges = false;
    bool quietErrors = true;
};

TEST(DataControl, MovesValidateThenRepositionAndShowTheRow) {
    BoundForm f;
    f.control.SetRecordset(f.Open());
    EXPECT_EQ(f.name.text(), "Person 1");
    EXPECT_FALSE(f.active.isChecked());
    f.events.clear();

    f.control.MoveNext();
    EXPECT_EQ(f.events, QStringList({"Validate 3 -", "Reposition"}));
    EXPECT_EQ(f.name.text(), "Person 2");
    EXPECT_TRUE(f.active.isChecked());
    EXPECT_EQ(f.name.property("DataField").toString(), "Name");

    f.events.clear();
    f.control.MoveLast();
    f.control.MovePrevious();
    f.control.MoveFirst();
    EXPECT_EQ(f.events, QStringList({"Validate 4 -", "Reposition", "Validate 2 -", "Reposition", "Validate 1 -", "Reposition"}));
    EXPECT_EQ(f.name.text(), "Person 1");
}

TEST(DataControl, ChangedControlsAreSavedOnMoveUnlessValidateDropsThem) {
    struct Case {
        bool drop;
        QString stored;
    };
    for (const Case& c : {Case{false, "Changed"}, Case{true, "Person 1"}}) {
        BoundForm f;
        f.control.SetRecordset(f.Open());
        f.dropChanges = c.drop;
        f.Type(QStringLiteral("Changed"));
        EXPECT_TRUE(f.control.DataChanged());
        f.events.clear();
        f.control.MoveNext();
        EXPECT_EQ(f.events.value(0), "Validate 3 save");
        EXPECT_EQ(f.StoredName(1), c.stored) << "drop " << c.drop;
        EXPECT_FALSE(f.control.DataChanged());
        f.control.MovePrevious();
        EXPECT_EQ(f.name.text(), c.stored);
    }
}

TEST(DataControl, EndActionsAtTheLastRow) {
    struct Case {
        int eofAction;
        bool eof;
        int editMode;
    };
    for (const Case& c : {Case{0, false, 0}, Case{1, true, 0}, Case{2, true, 2}}) {
        BoundForm f;
        f.control.SetEOFAction(c.eofAction);
        f.control.SetRecordset(f.Open());
        f.control.MoveLast();
        f.control.MoveNext();
        EXPECT_EQ(f.control.Recordset()->eof(), c.eof) << "EOFAction " << c.eofAction;
        EXPECT_EQ(f.control.EditMode(), c.editMode) << "EOFAction " << c.eofAction;
        if (!c.eof) {
            EXPECT_EQ(f.name.text(), "Person 3");
        } else {
            EXPECT_EQ(f.name.text(), "");
        }
    }
}

TEST(DataControl, NewRowTypedIntoTheControlsIsAddedByUpdateRecord) {
    BoundForm f;
    f.control.SetRecordset(f.Open());
    f.control.Recordset()->addNew();
    f.control.UpdateControls();
    EXPECT_EQ(f.control.EditMode(), 2);
    f.Type(QStringLiteral("Newcomer"));
    f.active.click();
    f.control.Recordset()->field(QStringLiteral("ID"))->setValue(engine::Value::longValue(9));
    f.control.UpdateRecord();
    EXPECT_EQ(f.StoredName(9), "Newcomer");
    auto rs = f.db->openRecordset(QStringLiteral("SELECT Active FROM People WHERE ID = 9"), engine::RecordsetType::Snapshot);
    EXPECT_TRUE(engine::toBoolean(rs->field(0)->value()));
}

TEST(DataControl, LeavingANewRowUntouchedCancelsIt) {
    BoundForm f;
    f.control.SetRecordset(f.Open());
    f.control.Recordset()->addNew();
    f.control.MoveFirst();
    EXPECT_EQ(f.control.EditMode(), 0);
    EXPECT_EQ(f.StoredCount(), 3);
}

TEST(DataControl, ASaveTheEngineRefusesRaisesErrorAndStaysOnTheRow) {
    BoundForm f;
    f.control.SetRecordset(f.Open(engine::RecordsetType::Snapshot));
    f.Type(QStringLiteral("Nope"));
    f.events.clear();
    f.control.MoveNext();
    ASSERT_EQ(f.events.size(), 2);
    EXPECT_EQ(f.events[1], "Error 3326");
    EXPECT_EQ(f.control.Recordset()->absolutePosition(), 0);

    f.quietErrors = false;
    f.control.MoveNext();
    EXPECT_EQ(f.Messages().size(), 1) << "the standard message unless the handler takes the error";
}

TEST(DataControl, RefreshOpensTheRecordSourceWithTheProperties) {
    BoundForm f;
    f.control.SetRecordset(f.Open());
    EXPECT_EQ(f.control.RecordSource(), "People");
    EXPECT_EQ(f.control.DatabaseName(), f.db->name());
    int replaced = 0;
    QObject::connect(&f.control, &DataControl::RecordsetReplaced, [&] { ++replaced; });
    f.control.SetRecordSource(QStringLiteral("SELECT * FROM People WHERE ID >= 2"));
    f.control.SetRecordsetType(2);
    f.control.Refresh();
    EXPECT_EQ(replaced, 1);
    EXPECT_EQ(f.name.text(), "Person 2");
    EXPECT_FALSE(f.control.Recordset()->updatable());
    EXPECT_EQ(f.control.RecordsetType(), 2);

    f.control.SetRecordSource(QStringLiteral("NoSuchTable"));
    EXPECT_THROW(f.control.Refresh(), engine::EngineError);
    EXPECT_EQ(f.name.text(), "Person 2") << "a failed refresh keeps the recordset it had";
}

TEST(DataControl, BinaryFieldsRoundTripThroughPictureAndOleBoxes) {
    BoundForm f;
    BoundPicture picture;
    BoundOle ole;
    f.control.Bind(&picture, QStringLiteral("Photo"));
    f.control.SetRecordset(f.Open());
    EXPECT_EQ(KindOf(&picture), BoundKind::PictureBox);
    EXPECT_EQ(KindOf(&f.active), BoundKind::CheckBox);
    EXPECT_EQ(KindOf(&f.name), BoundKind::TextBox);
    const QByteArray bytes("not really a picture");
    EXPECT_FALSE(picture.LoadBytes(bytes));
    f.control.UpdateRecord();
    f.control.UnbindAll();
    f.control.Bind(&ole, QStringLiteral("Photo"));
    f.control.UpdateControls();
    EXPECT_EQ(ole.Bytes(), bytes) << "the bytes are stored whole, whatever they hold";
    EXPECT_EQ(ole.text(), "OLE Object (20 bytes)");
}

TEST(DataControl, RightButtonReleaseIsReported) {
    BoundForm f;
    f.control.SetRecordset(f.Open());
    Qt::MouseButton seen = Qt::NoButton;
    QObject::connect(&f.control, &DataControl::MouseUp, [&](Qt::MouseButton b, Qt::KeyboardModifiers) { seen = b; });
    f.control.resize(300, 24);
    QTest::mouseRelease(&f.control, Qt::RightButton, {}, QPoint(150, 12));
    EXPECT_EQ(seen, Qt::RightButton);
}

}  // namespace
}  // namespace veranth::views
