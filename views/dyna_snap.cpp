#include "views/dyna_snap.h"

#include "db/error_report.h"
#include "db/session.h"
#include "db/status.h"
#include "engine/conversions.h"
#include "engine/recordset.h"

#include <limits>

namespace veranth::views {
namespace {

using engine::EngineError;
using engine::FieldType;
using platform::MessageIcon;
using platform::MessageResult;

// An error of the language's own searches that means "nothing there".
constexpr int kSearchNotFound = 626;
// Characters of a long Memo fetched for the zoom beyond what the box shows.
constexpr std::int64_t kZoomChunk = 20000;
// Rows read between two looks at the window's events while a long set is counted.
constexpr std::int64_t kCountingStep = 50000;
// A box that stands for all of its field's value, whatever its length.
constexpr std::int64_t kWholeValue = std::numeric_limits<std::int64_t>::max();

std::int32_t ClampRowCount(std::int64_t n) {
    return static_cast<std::int32_t>(std::min<std::int64_t>(n, std::numeric_limits<std::int32_t>::max()));
}

template <class F>
void IgnoringErrors(F&& f) {
    try {
        f();
    } catch (const std::exception&) {
    }
}

}  // namespace

DynaSnapForm::DynaSnapForm(db::Session& session, std::shared_ptr<engine::Recordset> recordset, DynaSnapView& view)
    : session_(session), recordset_(std::move(recordset)), view_(view) {}

int DynaSnapForm::FieldCount() const { return recordset_->fields().count(); }

QStringList DynaSnapForm::FieldNames() const { return recordset_->fields().names(); }

bool DynaSnapForm::Load() {
    try {
        // Pessimistic locking where the file supports it, so two users never both edit a row.
        if (session_.connection.dataType == QLatin1String(db::kAccessDataType) &&
            recordset_->type() != engine::RecordsetType::Snapshot)
            recordset_->setLockEdits(true);
        if (recordset_->recordCount() > 0) {
            recordset_->moveNext();
            recordset_->movePrevious();
            rowCount_ = ClampRowCount(recordset_->recordCount());
            Rescale();
        }
        shownLengths_.assign(static_cast<size_t>(FieldCount()), 0);
        Display();
        changed_ = false;
        db::ShowStatus(session_, QString());
        return true;
    } catch (const EngineError& e) {
        db::ShowError(session_, e);
    } catch (const std::exception& e) {
        db::ShowError(session_, e);
    }
    return false;
}

void DynaSnapForm::Unload() {
    IgnoringErrors([&] {
        recordset_->close();
        session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
        db::ShowStatus(session_, QString());
    });
}

void DynaSnapForm::Display() { ApplyDisplay(DisplayRecord(session_, *recordset_, rowCount_, adding_)); }

void DynaSnapForm::ApplyDisplay(const RecordDisplay& display) {
    if (display.fieldsWritten) {
        for (int i = 0; i < display.fieldTexts.size(); ++i) view_.SetFieldText(i, display.fieldTexts[i]);
        shownLengths_ = display.shownLengths;
    }
    view_.SetStatusText(display.status);
}

void DynaSnapForm::Rescale() {
    scale_ = ScaleRowSlider(rowCount_);
    view_.SetSliderScale(scale_);
    if (sliderValue_ > scale_.max) {
        sliderValue_ = scale_.max;
        view_.ShowSliderValue(sliderValue_);
    }
    IgnoringErrors([&] {
        view_.FocusFirstBox();
        view_.FocusSlider();
    });
}

void DynaSnapForm::SetSlider(int value) {
    value = std::clamp(value, 0, scale_.max);
    if (value == sliderValue_) return;
    view_.ShowSliderValue(value);
    SliderChanged(value);
}

bool DynaSnapForm::CountAllRows() {
    if (allRowsKnown_) return false;
    allRowsKnown_ = true;
    counting_ = true;
    view_.SetCounting(true);
    session_.Status().SetBusy(true);
    try {
        auto probe = recordset_->clone();
        probe->moveFirst();
        while (!probe->eof()) {
            probe->move(kCountingStep);
            db::ShowStatus(session_, QStringLiteral("Counting Rows (%1)").arg(recordset_->recordCount()), true);
            session_.Yield()();
        }
    } catch (...) {
        counting_ = false;
        view_.SetCounting(false);
        throw;
    }
    counting_ = false;
    view_.SetCounting(false);
    return true;
}

void DynaSnapForm::JumpToPercent(double percent) {
    // The slider's scale is the rows known so far; the percentage is taken of them all once
    // they are counted, and the slider follows the count.
    if (CountAllRows()) {
        rowCount_ = ClampRowCount(recordset_->recordCount());
        Rescale();
        recordset_->setPercentPosition(percent);
        sliderValue_ = std::clamp(SliderValueForRecord(recordset_->percentPosition(), rowCount_), 0, scale_.max);
        view_.ShowSliderValue(sliderValue_);
        return;
    }
    recordset_->setPercentPosition(percent);
}

void DynaSnapForm::SliderChanged(int value) {
    // Changes while the rows are counted are the same drag: its end is shown once counted.
    if (counting_) return;
    sliderValue_ = value;
    // Rows reached since the last change widen the slider.
    IgnoringErrors([&] {
        auto probe = recordset_->clone();
        probe->moveNext();
        if (recordset_->recordCount() > rowCount_) {
            rowCount_ = ClampRowCount(recordset_->recordCount());
            Rescale();
        }
    });
    db::Guarded(session_, [&] {
        if (rowCount_ > 0) {
            const SliderMove move = MoveForSliderChange(value, previousSlider_, rowCount_);
            switch (move.kind) {
            case SliderMove::Kind::Next: recordset_->moveNext(); break;
            case SliderMove::Kind::Previous: recordset_->movePrevious(); break;
            case SliderMove::Kind::Percent:
                if (rowCount_ < 100) recordset_->setPercentPosition(move.percent);
                else JumpToPercent(move.percent);
                break;
            case SliderMove::Kind::None: break;
            }
            previousSlider_ = sliderValue_;
        }
        Display();
        changed_ = false;
        session_.Status().SetBusy(false);
        db::ShowStatus(session_, QString());
    });
}

void DynaSnapForm::BoxEdited(int) { changed_ = true; }

void DynaSnapForm::BoxFocused(int index) { focusedBox_ = index; }

void DynaSnapForm::BoxLostFocus(int index) {
    if (changed_) db::Guarded(session_, [&] { WriteBox(index, view_.FieldText(index)); });
    changed_ = false;
}

void DynaSnapForm::FlushFocusedBox() {
    if (focusedBox_ >= 0 && focusedBox_ < FieldCount()) BoxLostFocus(focusedBox_);
}

void DynaSnapForm::WriteBox(int index, const QString& text) {
    const auto field = recordset_->field(index);
    const size_t i = static_cast<size_t>(index);
    if (field->type() == FieldType::Memo && i < shownLengths_.size() && shownLengths_[i] != kWholeValue) {
        // The box shows only the start of a long Memo: what follows it is kept as stored.
        const QString current = engine::toDisplayText(field->value());
        const QString tail = shownLengths_[i] < current.size() ? current.mid(shownLengths_[i]) : QString();
        field->setValue(engine::Value(text + tail));
        shownLengths_[i] = text.size();
        return;
    }
    field->setValue(engine::Value(text));
}

void DynaSnapForm::Zoom(int index) {
    // What was typed into the box is written first, so the zoom continues the value as it now is.
    if (Changing()) BoxLostFocus(index);
    db::Guarded(session_, [&] {
        const auto field = recordset_->field(index);
        const FieldType type = field->type();
        if (type != FieldType::Text && type != FieldType::Memo) return;
        const size_t i = static_cast<size_t>(index);
        const bool memo = type == FieldType::Memo;
        ZoomRequest request;
        request.caption = field->name();
        request.memo = memo;
        request.editable = Changing();
        request.text = view_.FieldText(index);
        std::int64_t covered = i < shownLengths_.size() ? shownLengths_[i] : 0;
        if (memo && covered != kWholeValue && field->fieldSize() > 49) {
            session_.Status().SetBusy(true);
            db::ShowStatus(session_, QStringLiteral("Getting Memo Field Data"), true);
            const QString more = engine::toDisplayText(field->getChunk(covered, kZoomChunk));
            request.text += more;
            covered += more.size();
            session_.Status().SetBusy(false);
            db::ShowStatus(session_, QString());
        }

        QString result = view_.ShowZoom(request);
        if (result == QLatin1String(kZoomCancelled) || !Changing()) return;
        if (type == FieldType::Text && field->size() < result.size()) {
            session_.Prompter().Beep();
            session_.Prompter().Inform(QStringLiteral("Field Length Exceeded, Data Truncated!"), QStringLiteral("Veranth"),
                                       MessageIcon::Exclamation);
            result = result.left(field->size());
        }
        view_.SetFieldText(index, result);
        if (memo && i < shownLengths_.size()) shownLengths_[i] = covered;
        changed_ = false;
        WriteBox(index, result);
    });
}

void DynaSnapForm::Add() {
    db::Guarded(session_, [&] {
        recordset_->addNew();
        view_.SetStatusText(QStringLiteral("Add record"));
        adding_ = true;
        view_.SetChanging(true);
        for (int i = 0; i < FieldCount(); ++i) view_.SetFieldText(i, QString());
        // The emptied boxes stand for the whole new value, defaults included.
        shownLengths_.assign(static_cast<size_t>(FieldCount()), kWholeValue);
        view_.FocusFirstBox();
        changed_ = false;
    });
}

void DynaSnapForm::Edit() {
    db::Guarded(session_, [&] {
        session_.Status().SetBusy(true);
        recordset_->edit();
        view_.SetStatusText(QStringLiteral("Edit record"));
        editing_ = true;
        view_.FocusFirstBox();
        view_.SetChanging(true);
        session_.Status().SetBusy(false);
    });
}

void DynaSnapForm::MarkPending() {
    if (session_.connection.inTransaction) session_.connection.pendingChanges = true;
}

void DynaSnapForm::EndChanging() {
    view_.SetChanging(false);
    editing_ = false;
    adding_ = false;
}

void DynaSnapForm::Update() {
    // A value typed into the focused box and not yet written belongs to this update.
    FlushFocusedBox();
    db::Guarded(session_, [&] {
        session_.Status().SetBusy(true);
        recordset_->update();
        MarkPending();
        if (adding_) {
            ++rowCount_;
            Rescale();
            recordset_->setBookmark(recordset_->lastModified());
        }
        EndChanging();
        Display();
        changed_ = false;
        session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
        session_.Status().SetBusy(false);
    });
}

void DynaSnapForm::Cancel() {
    EndChanging();
    IgnoringErrors([&] {
        recordset_->cancelUpdate();
        session_.Engine().idle(engine::dbengine_idle::kFreeLocks);
    });
    Display();
    changed_ = false;
}

void DynaSnapForm::Delete() {
    if (session_.Prompter().Ask(QStringLiteral("Delete Current Record?")) != MessageResult::Yes) return;
    db::Guarded(session_, [&] {
        recordset_->remove();
        MarkPending();
        if (!recordset_->eof()) {
            recordset_->moveNext();
            if (recordset_->eof() && rowCount_ > 1) recordset_->moveLast();
        }
        --rowCount_;
        Rescale();
        rowCount_ = ClampRowCount(recordset_->recordCount());
        Display();
        changed_ = false;
    });
}

void DynaSnapForm::Move() {
    const std::optional<QString> answer = session_.Prompter().Input(
        {QStringLiteral("Enter number of Rows to Move:\r\n(Use negative value to move backwards)"), QStringLiteral("Veranth"), QString()});
    if (!answer || answer->isEmpty()) return;
    db::Guarded(session_, [&] {
        recordset_->move(engine::toLong(engine::Value(*answer)));
        if (recordset_->eof()) recordset_->moveLast();
        if (recordset_->bof()) recordset_->moveFirst();
        const QByteArray mark = recordset_->bookmark();
        SetSlider(SliderValueForRecord(recordset_->percentPosition(), rowCount_));
        recordset_->setBookmark(mark);
        Display();
        changed_ = false;
    });
}

void DynaSnapForm::Find() {
    if (!findFilled_) {
        view_.FillFindFields(FieldNames());
        findFilled_ = true;
    }
    for (;;) {
        notFound_ = false;
        db::ShowStatus(session_, QStringLiteral("Enter Search Parameters"));
        const FindRequest request = view_.ShowFindDialog();
        db::ShowStatus(session_, QStringLiteral("Searching for New Record"), true);
        if (request.cancelled) {
            Display();
            db::ShowStatus(session_, QString());
            return;
        }
        bool again = false;
        db::Guarded(session_, [&] {
            session_.Status().SetBusy(true);
            // An empty set or a position past the end has no row to come back to.
            std::optional<QByteArray> start;
            if (!recordset_->bof() && !recordset_->eof()) start = recordset_->bookmark();
            const auto field = request.fieldIndex >= 0 ? recordset_->field(request.fieldIndex) : recordset_->field(request.fieldName);
            const QString criteria = FindCriteria(field->name(), field->type(), request.op, request.value);
            try {
                switch (request.findType) {
                case FindRequest::Type::First: recordset_->findFirst(criteria); break;
                case FindRequest::Type::Next: recordset_->findNext(criteria); break;
                case FindRequest::Type::Previous: recordset_->findPrevious(criteria); break;
                case FindRequest::Type::Last: recordset_->findLast(criteria); break;
                }
                notFound_ = recordset_->noMatch();
            } catch (const EngineError& e) {
                if (e.number() != kSearchNotFound) throw;
                notFound_ = true;
            }
            session_.Status().SetBusy(false);
            if (notFound_) {
                session_.Prompter().Beep();
                session_.Prompter().Inform(QStringLiteral("Record Not Found"), QStringLiteral("Veranth"), MessageIcon::Exclamation);
                if (start) recordset_->setBookmark(*start);
                again = true;
                return;
            }
            const QByteArray found = recordset_->bookmark();
            SetSlider(SliderValueForRecord(recordset_->percentPosition(), rowCount_));
            recordset_->setBookmark(found);
            Display();
            changed_ = false;
            db::ShowStatus(session_, QString());
        });
        if (!again) return;
    }
}

void DynaSnapForm::Sort() { Reorder(false); }

void DynaSnapForm::Filter() { Reorder(true); }

void DynaSnapForm::Reorder(bool filter) {
    if (recordset_->recordCount() == 0) return;
    const std::shared_ptr<engine::Recordset> previous = recordset_;
    std::optional<QByteArray> mark;
    IgnoringErrors([&] {
        if (!previous->bof() && !previous->eof()) mark = previous->bookmark();
    });
    const std::optional<QString> answer = session_.Prompter().Input(
        {filter ? QStringLiteral("Enter Filter Expression:") : QStringLiteral("Enter Sort Column:"), QStringLiteral("Veranth"), QString()});
    if (!answer || answer->isEmpty()) return;
    const QString oldSetting = filter ? previous->filter() : previous->sort();
    try {
        session_.Status().SetBusy(true);
        db::ShowStatus(session_, filter ? QStringLiteral("Setting New Filter") : QStringLiteral("Setting New Sort Order"), true);
        if (filter) previous->setFilter(*answer);
        else previous->setSort(*answer);
        std::shared_ptr<engine::Recordset> fresh = previous->openRecordset(previous->type());
        if (filter) {
            fresh->moveLast();
            fresh->moveFirst();
        }
        const std::int32_t count = ClampRowCount(fresh->recordCount());
        recordset_ = fresh;
        rowCount_ = count;
        allRowsKnown_ = filter;
        if (filter) Rescale();
        sliderValue_ = 0;
        previousSlider_ = 0;
        view_.ShowSliderValue(0);
        IgnoringErrors([&] { previous->close(); });
        Display();
        changed_ = false;
        session_.Status().SetBusy(false);
        db::ShowStatus(session_, QString());
    } catch (const std::exception& error) {
        if (const auto* e = dynamic_cast<const EngineError*>(&error)) db::ShowError(session_, *e);
        else db::ShowError(session_, error);
        // The old set comes back as it was, its own Sort or Filter too, so the next try starts clean.
        recordset_ = previous;
        IgnoringErrors([&] {
            if (filter) previous->setFilter(oldSetting);
            else previous->setSort(oldSetting);
            if (mark) previous->setBookmark(*mark);
        });
    }
}

}  // namespace veranth::views
