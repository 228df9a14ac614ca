#pragma once

#include "engine/field_type.h"

namespace veranth::views {

// Geometry of the field-form view, in twips.
inline constexpr int kFieldRowTwips = 340;
inline constexpr int kFormWidthTwips = 5580;
inline constexpr int kScrollBarWidthTwips = 260;
// More fields than this bring the vertical scroll bar.
inline constexpr int kFieldsWithoutScrollBar = 10;

// `TypeBoxWidth`: the value box's width for a field type.
int TypeBoxWidth(engine::FieldType type);

struct FormSize {
    int width = kFormWidthTwips;
    int height = 0;
    bool scrollBar = false;
};
// The window size Load gives a form with this many fields.
FormSize DynaSnapFormSize(int fieldCount);

}  // namespace veranth::views
