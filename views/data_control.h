#pragma once

#include "views/bound_controls.h"
#include "views/data_control_types.h"

#include <QPointer>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QLabel;
class QToolButton;

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class Database;
class EngineError;
class Recordset;
}  // namespace veranth::engine

namespace veranth::views {


// A control that keeps changes to the current row itself (a grid edited in place): the data
// control counts them as changed data, and saves or drops them as its Validate decides.
class RowEditor {
public:
    virtual ~RowEditor() = default;
    virtual bool RowEdited() const = 0;
    virtual void SaveRow() = 0;  // throws the engine's error; the changes stay
    virtual void DropRow() = 0;
};

// The bound data control: owns a recordset, moves through it with its arrow buttons and keeps the
// controls bound to its fields in step with the current row. Around every move it raises Validate
// (the handler may clear the save flag to drop the changes), then moves, puts the new row into the
// bound controls and raises Reposition. Failures during the user's moves go to the Error event;
// the methods a window calls (Refresh, UpdateRecord) throw them to the caller.
class DataControl : public QWidget {
    Q_OBJECT
public:
    explicit DataControl(db::Session& session, QWidget* parent = nullptr);
    ~DataControl() override;

    QString DatabaseName() const { return databaseName_; }
    void SetDatabaseName(const QString& name) { databaseName_ = name; }
    QString Connect() const { return connect_; }
    void SetConnect(const QString& connect) { connect_ = connect; }
    QString RecordSource() const { return recordSource_; }
    void SetRecordSource(const QString& source) { recordSource_ = source; }
    bool Exclusive() const { return exclusive_; }
    void SetExclusive(bool v) { exclusive_ = v; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool v) { readOnly_ = v; }
    // 0 Table, 1 Dynaset, 2 Snapshot.
    int RecordsetType() const { return recordsetType_; }
    void SetRecordsetType(int type) { recordsetType_ = type; }
    int Options() const { return options_; }
    void SetOptions(int options) { options_ = options; }
    // 0 MoveFirst, 1 BOF.
    int BOFAction() const { return bofAction_; }
    void SetBOFAction(int action) { bofAction_ = action; }
    // 0 MoveLast, 1 EOF, 2 AddNew.
    int EOFAction() const { return eofAction_; }
    void SetEOFAction(int action) { eofAction_ = action; }
    bool ForwardOnly() const;
    // 0 none, 1 editing, 2 adding: the recordset's edit mode.
    int EditMode() const;
    QString Caption() const;
    void SetCaption(const QString& caption);
    QString Tag() const { return tag_; }
    void SetTag(const QString& tag) { tag_ = tag; }

    const std::shared_ptr<engine::Recordset>& Recordset() const { return recordset_; }
    // The control owns the recordset from now on (the one it had is closed); its source and type
    // become the control's properties, the bound controls show its current row and Reposition fires.
    void SetRecordset(std::shared_ptr<engine::Recordset> recordset);
    std::shared_ptr<engine::Database> Database() const { return database_; }

    // Opens the record source anew with the properties; the bound controls show its first row.
    void Refresh();
    // Writes the changed bound controls into the current (or new) row.
    void UpdateRecord();
    // Puts the current row's values back into the bound controls and forgets their changes.
    void UpdateControls();

    // The arrow buttons.
    void MoveFirst();
    void MovePrevious();
    void MoveNext();
    void MoveLast();
    // For windows that move the recordset themselves (Find, Delete, a grid's row change):
    // Validate for `action` and save or drop the changes; false when saving failed.
    bool LeaveRow(int action);
    // After the window moved the recordset: the bound controls follow and Reposition fires.
    void Repositioned();

    // A failure met while serving the user (a grid's delete): the Error event, then the
    // standard message unless the handler took it.
    void RaiseError(const engine::EngineError& error);

    // Bound controls: shown and written back by field name. A text box, check box, BoundPicture
    // or BoundOle; the control's "DataField" property names its field.
    void Bind(QWidget* control, const QString& dataField);
    void UnbindAll();
    void AttachRowEditor(RowEditor* editor) { editors_.push_back(editor); }
    void DetachRowEditor(RowEditor* editor);
    QString DataField(const QWidget* control) const;
    // Some bound control was changed since the row was shown.
    bool DataChanged() const;
    void SetDataChanged(bool changed);

Q_SIGNALS:
    void Validate(int action, bool* save);
    void Reposition();
    void Error(int dataError, const QString& description, int* response);
    void MouseUp(Qt::MouseButton button, Qt::KeyboardModifiers modifiers);
    // A different recordset is now the control's (Refresh, SetRecordset): grids rebuild from it.
    void RecordsetReplaced();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    struct Binding {
        QPointer<QWidget> control;
        QString field;
        bool changed = false;
    };
    void UserMove(int action);
    void Move(int action);
    void WriteChangedFields();
    bool BindingsChanged() const;
    std::shared_ptr<engine::Database> DatabaseFor();

    db::Session& session_;
    QString databaseName_, connect_, recordSource_, tag_;
    bool exclusive_ = false, readOnly_ = false;
    int recordsetType_ = 1, options_ = 0, bofAction_ = 0, eofAction_ = 0;
    std::shared_ptr<engine::Database> database_;
    std::shared_ptr<engine::Recordset> recordset_;
    std::vector<Binding> bindings_;
    std::vector<RowEditor*> editors_;
    QLabel* caption_;
    QToolButton *first_, *previous_, *next_, *last_;
};

}  // namespace veranth::views
