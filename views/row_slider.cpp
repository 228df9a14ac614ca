#include "views/row_slider.h"

#include "engine/conversions.h"

#include <algorithm>

namespace veranth::views {
namespace {
constexpr std::int64_t kShortMax = 32767;
}

SliderScale ScaleRowSlider(std::int64_t n) {
    if (n <= 1) return {100, 1, 100};
    if (n < 100) {
        const int step = static_cast<int>(100 / (n - 1));
        return {100, step, step * 10};
    }
    if (n <= kShortMax) return {static_cast<int>(n), 1, static_cast<int>(n / 20)};
    return {static_cast<int>(kShortMax), 1, 1000};
}

int SliderValueForRecord(double percentPosition, std::int64_t rowCount) {
    double v = 0;
    if (rowCount < 100) v = percentPosition;
    else if (rowCount <= kShortMax) v = percentPosition * static_cast<double>(rowCount) / 100.0 + 1;
    else v = percentPosition * kShortMax / 100.0 + 1;
    return static_cast<int>(engine::roundHalfEven(v));
}

SliderMove MoveForSliderChange(int value, int previousValue, std::int64_t rowCount) {
    if (rowCount <= 0) return {};
    if (rowCount < 100) return {SliderMove::Kind::Percent, static_cast<double>(value)};
    const int step = value - previousValue;
    if (step == 1) return {SliderMove::Kind::Next, 0};
    if (step == -1) return {SliderMove::Kind::Previous, 0};
    const double scale = rowCount < 32768 ? static_cast<double>(rowCount) : static_cast<double>(kShortMax);
    // The nudge that lands a value on its row must not push the last value past 100 percent,
    // which the engine refuses.
    return {SliderMove::Kind::Percent, std::min(100.0, value / scale * 100.0 + 0.005)};
}

}  // namespace veranth::views
