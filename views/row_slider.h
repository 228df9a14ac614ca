#pragma once

#include <cstdint>

namespace veranth::views {

// The row slider's range for a row count: one step per row up to 32767 rows, a percentage scale
// for fewer than 100 rows, and a fixed 0..32767 scale beyond a short's range.
struct SliderScale {
    int max = 100;
    int smallChange = 1;
    int largeChange = 100;
};
SliderScale ScaleRowSlider(std::int64_t rowCount);

// The slider value that stands for the current record, from its PercentPosition.
int SliderValueForRecord(double percentPosition, std::int64_t rowCount);

// What a slider change asks of the recordset.
struct SliderMove {
    enum class Kind { None, Next, Previous, Percent };
    Kind kind = Kind::None;
    double percent = 0;
};
// For fewer than 100 rows the value is the percentage; beyond that a one-step change moves one
// row, so a drag on a long set walks it row by row, and any other change jumps by percentage.
SliderMove MoveForSliderChange(int value, int previousValue, std::int64_t rowCount);

}  // namespace veranth::views
