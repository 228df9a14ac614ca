#include "views/row_slider.h"

#include "views/dyna_snap_layout.h"

#include <gtest/gtest.h>

namespace veranth::views {
namespace {

TEST(ViewsRowSlider, ScaleByRowCount) {
    struct Case {
        std::int64_t rows;
        int max, small, large;
    };
    const Case cases[] = {{0, 100, 1, 100},     {1, 100, 1, 100},         {2, 100, 100, 1000},      {50, 100, 2, 20},
                          {99, 100, 1, 10},     {100, 100, 1, 5},         {1000, 1000, 1, 50},      {32767, 32767, 1, 1638},
                          {32768, 32767, 1, 1000}, {40000, 32767, 1, 1000}, {10'000'000, 32767, 1, 1000}};
    for (const Case& c : cases) {
        const SliderScale s = ScaleRowSlider(c.rows);
        EXPECT_EQ(s.max, c.max) << c.rows;
        EXPECT_EQ(s.smallChange, c.small) << c.rows;
        EXPECT_EQ(s.largeChange, c.large) << c.rows;
    }
}

TEST(ViewsRowSlider, OneStepMovesOneRowOnLongSetsAndOtherChangesJumpByPercent) {
    for (std::int64_t rows : {100, 1000, 40000, 10'000'000}) {
        EXPECT_EQ(MoveForSliderChange(501, 500, rows).kind, SliderMove::Kind::Next) << rows;
        EXPECT_EQ(MoveForSliderChange(499, 500, rows).kind, SliderMove::Kind::Previous) << rows;
        EXPECT_EQ(MoveForSliderChange(550, 500, rows).kind, SliderMove::Kind::Percent) << rows;
    }
    // Short sets use the value as the percentage, whatever the step.
    const SliderMove shortMove = MoveForSliderChange(41, 40, 50);
    EXPECT_EQ(shortMove.kind, SliderMove::Kind::Percent);
    EXPECT_DOUBLE_EQ(shortMove.percent, 41);
    EXPECT_DOUBLE_EQ(MoveForSliderChange(250, 0, 1000).percent, 25.005);
    EXPECT_DOUBLE_EQ(MoveForSliderChange(16384, 0, 40000).percent, 16384.0 / 32767 * 100 + 0.005);
    // The end of the slider stays within what the engine takes.
    EXPECT_DOUBLE_EQ(MoveForSliderChange(1000, 0, 1000).percent, 100);
    EXPECT_EQ(MoveForSliderChange(3, 2, 0).kind, SliderMove::Kind::None);
}

TEST(ViewsRowSlider, ValueForARecord) {
    EXPECT_EQ(SliderValueForRecord(40.4, 50), 40);
    EXPECT_EQ(SliderValueForRecord(0, 1000), 1);
    EXPECT_EQ(SliderValueForRecord(99.9, 1000), 1000);
    EXPECT_EQ(SliderValueForRecord(50, 40000), 16384);  // 16384.5, halves to even
}

TEST(ViewsFormSize, TenFieldsFitElevenScroll) {
    const FormSize ten = DynaSnapFormSize(10);
    EXPECT_EQ(ten.height, 5340);
    EXPECT_EQ(ten.width, 5580);
    EXPECT_FALSE(ten.scrollBar);
    const FormSize eleven = DynaSnapFormSize(11);
    EXPECT_EQ(eleven.height, 4368);
    EXPECT_EQ(eleven.width, 5840);
    EXPECT_TRUE(eleven.scrollBar);
}

}  // namespace
}  // namespace veranth::views
