#pragma once

#include "engine/value.h"
#include "repairs/utility_frame.h"

#include <cstdint>

namespace veranth::db {
class Session;
}

namespace veranth::repairs {

// `mnu_DU_TimeFeeCharges`: asks whether to recalculate the charges, then always runs; No only
// leaves AmountToCharge as it is.
UtilityResult TimeFeeChargesCommand(db::Session& session);

// "Reset Time Fee Charges": walks every user's time fee entries in start order, shortens each entry
// by the minutes of the user's later entries that start inside it and moves those entries to start
// where it now ends, keeping their durations; with `recalculateCharges` each shortened entry's
// AmountToCharge is worked out again from its time fee charge. One transaction.
UtilityResult ResetTimeFeeCharges(db::Session& session, bool recalculateCharges);

// The minutes charged for a duration: rounded up to the next whole multiple of the charge's
// rounding (a negative rounding counts by its size). Error 11 for a rounding of 0.
std::int32_t MinutesToCharge(std::int32_t minutes, std::int32_t rounding);

// Hourly charge x minutes / 60, to the currency's four decimals (halves to even). Error 6 when
// the amount does not fit.
engine::Currency ChargeForMinutes(engine::Currency hourlyCharge, std::int32_t minutes);

}  // namespace veranth::repairs
