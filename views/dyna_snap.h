#pragma once

#include "views/display_record.h"
#include "views/find_request.h"
#include "views/row_slider.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>
#include <vector>

namespace veranth::db {
class Session;
}
namespace veranth::engine {
class Recordset;
}

namespace veranth::views {

// What frmZoom is asked to show.
struct ZoomRequest {
    QString caption;
    QString text;
    bool memo = false;      // the multi-line box, height 2205; else the single line, height 1125
    bool editable = false;  // "&Save Changes" and "&Close w/o Changes"; else only "&Close"
};

// What the field-form logic asks of its window. The window implements it with widgets; tests
// implement it with a few members.
class DynaSnapView {
public:
    virtual ~DynaSnapView() = default;
    virtual void SetStatusText(const QString& text) = 0;  // lblStatus
    virtual QString FieldText(int index) const = 0;       // txtFieldData(index)
    virtual void SetFieldText(int index, const QString& text) = 0;
    virtual void SetSliderScale(const SliderScale& scale) = 0;
    // Shows the value without reporting it back as a change.
    virtual void ShowSliderValue(int value) = 0;
    // Update/Cancel instead of the view buttons, slider disabled, boxes editable.
    virtual void SetChanging(bool changing) = 0;
    virtual void FocusFirstBox() = 0;
    virtual void FocusSlider() = 0;
    // The view's own find dialog: filled once, then shown modally as often as asked.
    virtual void FillFindFields(const QStringList& names) = 0;
    virtual FindRequest ShowFindDialog() = 0;
    // frmZoom shown modally; the text typed, or kZoomCancelled.
    virtual QString ShowZoom(const ZoomRequest& request) = 0;
    virtual void Unload() = 0;
    // While the rows of a long set are counted the window takes no commands but keeps painting.
    virtual void SetCounting(bool) {}
};

// frmDynaSnap's behaviour apart from its widgets: the recordset, the row count and slider, the
// browse/change state, and every command of the window.
class DynaSnapForm {
public:
    DynaSnapForm(db::Session& session, std::shared_ptr<engine::Recordset> recordset, DynaSnapView& view);

    // Load steps 2, 3 and 7: locking, the first row count, the first record. False after an
    // error (shown), when the window is to unload.
    bool Load();
    void Unload();

    // Events.
    void SliderChanged(int value);
    void BoxEdited(int index);  // typed into: the changed flag
    void BoxFocused(int index);
    void BoxLostFocus(int index);
    void Zoom(int index);

    // Commands.
    void Add();
    void Edit();
    void Update();
    void Cancel();
    void Delete();
    void Move();
    void Find();
    void Sort();
    void Filter();

    engine::Recordset& Recordset() { return *recordset_; }
    const std::shared_ptr<engine::Recordset>& RecordsetPtr() const { return recordset_; }
    std::int32_t RowCount() const { return rowCount_; }
    int SliderValue() const { return sliderValue_; }
    const SliderScale& Scale() const { return scale_; }
    bool Editing() const { return editing_; }
    bool Adding() const { return adding_; }
    bool Changing() const { return editing_ || adding_; }
    bool Changed() const { return changed_; }
    bool NotFound() const { return notFound_; }
    // The rows of the set are being counted, letting window events run between steps.
    bool Counting() const { return counting_; }
    int FieldCount() const;
    QStringList FieldNames() const;

private:
    void Display();
    void ApplyDisplay(const RecordDisplay& display);
    void Rescale();
    // Sets the slider as code does: a new value runs the change handling.
    void SetSlider(int value);
    void EndChanging();
    // Writes box i into its field; a long Memo keeps the part of its value the box does not show.
    void WriteBox(int index, const QString& text);
    void FlushFocusedBox();
    void Reorder(bool filter);
    void MarkPending();
    // Reads the set to its end in steps, letting events run between them, so the first jump
    // on a long set keeps the window alive. False when it was already known.
    bool CountAllRows();
    void JumpToPercent(double percent);

    db::Session& session_;
    std::shared_ptr<engine::Recordset> recordset_;
    DynaSnapView& view_;
    std::int32_t rowCount_ = 0;
    SliderScale scale_;
    int sliderValue_ = 0;
    int previousSlider_ = 0;
    bool editing_ = false;
    bool adding_ = false;
    bool changed_ = false;
    bool notFound_ = false;
    bool findFilled_ = false;
    bool allRowsKnown_ = false;
    bool counting_ = false;
    int focusedBox_ = -1;
    std::vector<std::int64_t> shownLengths_;
};

}  // namespace veranth::views
