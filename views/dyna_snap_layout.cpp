#include "views/dyna_snap_layout.h"

namespace veranth::views {

int TypeBoxWidth(engine::FieldType type) {
    switch (type) {
    case engine::FieldType::Boolean: return 850;
    case engine::FieldType::Byte: return 650;
    case engine::FieldType::Integer: return 900;
    case engine::FieldType::Long: return 1100;
    case engine::FieldType::Currency:
    case engine::FieldType::Single: return 1800;
    case engine::FieldType::Double: return 2200;
    case engine::FieldType::Date: return 2000;
    default: return 3250;
    }
}

FormSize DynaSnapFormSize(int fieldCount) {
    if (fieldCount > kFieldsWithoutScrollBar) return {kFormWidthTwips + kScrollBarWidthTwips, 4368, true};
    return {kFormWidthTwips, (fieldCount + 1) * kFieldRowTwips + 1600, false};
}

}  // namespace veranth::views
