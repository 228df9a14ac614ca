#pragma once

namespace veranth::views {

// The action a data control's Validate event is about.
namespace data_action {
inline constexpr int kCancel = 0;
inline constexpr int kMoveFirst = 1;
inline constexpr int kMovePrevious = 2;
inline constexpr int kMoveNext = 3;
inline constexpr int kMoveLast = 4;
inline constexpr int kAddNew = 5;
inline constexpr int kUpdate = 6;
inline constexpr int kDelete = 7;
inline constexpr int kFind = 8;
inline constexpr int kBookmark = 9;
inline constexpr int kClose = 10;
inline constexpr int kUnload = 11;
}  // namespace data_action

// Error-event responses: carry on quietly, or let the control show its standard message.
inline constexpr int kDataErrContinue = 0;
inline constexpr int kDataErrDisplay = 1;

// The kinds of control a field can be bound to.
enum class BoundKind { TextBox, CheckBox, PictureBox, OleBox };

}  // namespace veranth::views
