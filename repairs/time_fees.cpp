#include "repairs/time_fees.h"

#include "db/session.h"
#include "engine/conversions.h"
#include "engine/database.h"
#include "engine/errors.h"
#include "engine/recordset.h"
#include "repairs/sql_text.h"

#include <cmath>
#include <cstdlib>
#include <limits>

namespace veranth::repairs {

namespace {

using engine::exec_option::kFailOnError;

constexpr std::int64_t kSecondsPerDay = 86400;

const QString kTitle = QStringLiteral("Time Fee Charges Fix");

// Whole seconds since the zero date, counted the way the engine's DateDiff and DateAdd count them,
// so the minutes worked out here agree with the ones the statements work out.
std::int64_t AbsoluteSeconds(double serial) {
    const double whole = std::trunc(serial);
    return static_cast<std::int64_t>(whole) * kSecondsPerDay + std::llround(std::fabs(serial - whole) * kSecondsPerDay);
}

std::int64_t FloorDivide(std::int64_t a, std::int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0)) ? 1 : 0); }

std::int64_t MinutesBetween(double from, double to) { return FloorDivide(AbsoluteSeconds(to), 60) - FloorDivide(AbsoluteSeconds(from), 60); }

double AddMinutes(double serial, std::int64_t minutes) {
    const std::int64_t seconds = AbsoluteSeconds(serial) + minutes * 60;
    std::int64_t days = FloorDivide(seconds, kSecondsPerDay);
    const double time = static_cast<double>(seconds - days * kSecondsPerDay) / kSecondsPerDay;
    return days >= 0 ? static_cast<double>(days) + time : static_cast<double>(days) - time;
}

std::int32_t ToLong32(std::int64_t v) {
    if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
        throw engine::EngineError(engine::err::kOverflow, QString::number(v));
    return static_cast<std::int32_t>(v);
}

QString Date(double serial) { return SqlDateText(serial); }

// One entry of the walk as the table holds it now.
struct Entry {
    std::int32_t timeFeeRef = 0;
    engine::Value chargeRef;
    std::int32_t userRef = 0;
    double start = 0, end = 0;
};

Entry ReadEntry(engine::Database& db, const QString& timeFeeRef) {
    auto rs = db.openRecordset(QStringLiteral("SELECT TimeFeeRef, TimeFeeChargeRef, UserRef, ChargeStart, ChargeEnd "
                                              "FROM TimeFeeEntries WHERE TimeFeeRef = ") + timeFeeRef,
                               engine::RecordsetType::Snapshot);
    if (rs->eof()) throw engine::EngineError(engine::err::kNoCurrentRecord);
    Entry e;
    e.timeFeeRef = engine::toLong(rs->fieldValue(0));
    e.chargeRef = rs->fieldValue(1);
    e.userRef = engine::toLong(rs->fieldValue(2));
    e.start = engine::toDate(rs->fieldValue(3));
    e.end = engine::toDate(rs->fieldValue(4));
    rs->close();
    return e;
}

std::int32_t OverlapMinutes(engine::Database& db, const Entry& e) {
    const QString start = Date(e.start), end = Date(e.end), user = QString::number(e.userRef);
    auto rs = db.openRecordset(QStringLiteral("SELECT SUM(IIF(ChargeEnd < #") + end +
                                   QStringLiteral("#, DATEDIFF(\"n\", ChargeStart, ChargeEnd), DATEDIFF(\"n\", ChargeStart, #") + end +
                                   QStringLiteral("#))) AS OverLapTime ") + QStringLiteral("FROM TimeFeeEntries ") +
                                   QStringLiteral("WHERE UserRef = ") + user + QStringLiteral(" AND ChargeStart > #") + start +
                                   QStringLiteral("# ") + QStringLiteral("AND ChargeStart < #") + end + QStringLiteral("#"),
                               engine::RecordsetType::Snapshot);
    const engine::Value sum = rs->eof() ? engine::Value::null() : rs->fieldValue(0);
    rs->close();
    return sum.isMissing() ? 0 : engine::toLong(sum);
}

engine::Currency RecalculatedCharge(engine::Database& db, const engine::Value& chargeRef, std::int32_t minutes) {
    auto rs = db.openRecordset(QStringLiteral("SELECT HourlyCharge, Rounding ") + QStringLiteral("FROM TimeFeeCharges ") +
                                   QStringLiteral("WHERE TimeFeeChargeRef = ") + QString::number(engine::toLong(chargeRef)),
                               engine::RecordsetType::Snapshot);
    if (rs->eof()) throw engine::EngineError(engine::err::kNoCurrentRecord);
    const engine::Currency hourly = engine::toCurrency(rs->fieldValue(0));
    const std::int32_t rounding = engine::toLong(rs->fieldValue(1));
    rs->close();
    return ChargeForMinutes(hourly, MinutesToCharge(minutes, rounding));
}

// The user's next entry in the walk's order, as the walk snapshot holds it.
struct NextEntry {
    std::int32_t timeFeeRef = 0;
    double start = 0;
};

std::optional<NextEntry> LookAhead(engine::Recordset& walk, std::int32_t userRef) {
    std::optional<NextEntry> next;
    walk.moveNext();
    if (!walk.eof()) {
        const engine::Value user = walk.fieldValue(1);
        if (!user.isMissing() && engine::toLong(user) == userRef)
            next = NextEntry{engine::toLong(walk.fieldValue(0)), engine::toDate(walk.fieldValue(2))};
    }
    walk.movePrevious();
    return next;
}

void Handle(UtilityRun& run, engine::Recordset& walk, const QString& timeFeeRef, bool recalculate) {
    engine::Database& db = run.Database();
    const Entry e = ReadEntry(db, timeFeeRef);
    const std::int32_t overlap = OverlapMinutes(db, e);
    if (overlap == 0) return;

    // Overlaps of several later entries are summed and may come to more than the entry itself: it
    // is then cut to nothing rather than made to end before it starts.
    const std::int32_t minutes = std::max<std::int32_t>(0, ToLong32(MinutesBetween(e.start, e.end) - overlap));
    const double newEnd = AddMinutes(e.start, minutes);
    const QString endText = Date(newEnd), startText = Date(e.start), user = QString::number(e.userRef);

    QString amount;
    if (recalculate)
        amount = QStringLiteral(", AmountToCharge = ") + engine::currencyToText(RecalculatedCharge(db, e.chargeRef, minutes)) +
                 QStringLiteral(" ");
    db.execute(QStringLiteral("UPDATE TimeFeeEntries ") + QStringLiteral("SET ChargeEnd = #") + endText + QStringLiteral("# ") + amount +
                   QStringLiteral("WHERE TimeFeeRef = ") + QString::number(e.timeFeeRef),
               kFailOnError);

    // The moves follow the user's next entry; the last entry of a user has none to follow, and the
    // next row of the walk then belongs to another user whose times say nothing about this one.
    const std::optional<NextEntry> next = LookAhead(walk, e.userRef);
    if (!next) return;
    const QString nextStart = Date(next->start);
    db.execute(QStringLiteral("UPDATE TimeFeeEntries ") + QStringLiteral("SET ChargeStart = #") + endText + QStringLiteral("#, ") +
                   QStringLiteral("ChargeEnd = DATEADD(\"n\", DATEDIFF(\"n\", ChargeStart, ChargeEnd), #") + endText +
                   QStringLiteral("#) ") + QStringLiteral("WHERE ChargeStart < #") + endText + QStringLiteral("# ") +
                   QStringLiteral("AND ChargeStart > #") + startText + QStringLiteral("# ") + QStringLiteral("AND UserRef = ") + user +
                   QStringLiteral(" AND TimeFeeRef = ") + QString::number(next->timeFeeRef),
               kFailOnError);
    db.execute(QStringLiteral("UPDATE TimeFeeEntries ") + QStringLiteral("SET ChargeStart = DATEADD(\"n\", DATEDIFF(\"n\", #") +
                   nextStart + QStringLiteral("#, ChargeStart), #") + endText + QStringLiteral("#), ") +
                   QStringLiteral("ChargeEnd = DATEADD(\"n\", DATEDIFF(\"n\", ChargeStart , ChargeEnd), DATEADD(\"n\", DATEDIFF(\"n\", #") +
                   nextStart + QStringLiteral("#, ChargeStart), #") + endText + QStringLiteral("#)) ") +
                   QStringLiteral("WHERE ChargeStart < #") + endText + QStringLiteral("# ") + QStringLiteral("AND ChargeStart > #") +
                   startText + QStringLiteral("# ") + QStringLiteral("AND UserRef = ") + user,
               kFailOnError);
}

}  // namespace

std::int32_t MinutesToCharge(std::int32_t minutes, std::int32_t rounding) {
    if (rounding == 0) throw engine::EngineError(engine::err::kDivisionByZero);
    const std::int64_t step = std::llabs(static_cast<std::int64_t>(rounding));
    const std::int64_t m = minutes;
    const std::int64_t blocks = m >= 0 ? (m + step - 1) / step : -((-m) / step);
    return ToLong32(blocks * step);
}

engine::Currency ChargeForMinutes(engine::Currency hourlyCharge, std::int32_t minutes) {
    std::int64_t product = 0;
    if (__builtin_mul_overflow(hourlyCharge.scaled, static_cast<std::int64_t>(minutes), &product))
        throw engine::EngineError(engine::err::kOverflow, engine::currencyToText(hourlyCharge) + QStringLiteral(" x ") + QString::number(minutes));
    std::int64_t quotient = product / 60;
    const std::int64_t remainder = product % 60;
    // Halves go to the even unit, as the currency conversion rounds.
    const std::int64_t twice = std::llabs(remainder) * 2;
    if (twice > 60 || (twice == 60 && quotient % 2 != 0)) quotient += product < 0 ? -1 : 1;
    return engine::Currency{quotient};
}

UtilityResult ResetTimeFeeCharges(db::Session& session, bool recalculateCharges) {
    QString handling;  // the TimeFeeRef the failure message names
    FrameOptions options;
    options.title = kTitle;
    options.failureMessage = [&handling](int number, const QString& description) {
        return platform::MessageRequest{QStringLiteral("Failed to Update Records (TimeFeeRef: ") + handling + QStringLiteral(").") +
                                            QStringLiteral("\r\n") + QString::number(number) + QStringLiteral(" - ") + description,
                                        QStringLiteral("Update Time Fee Entries"), platform::MessageButtons::Ok,
                                        platform::MessageIcon::Exclamation, 1};
    };
    return RunUtility(session, options, [&](UtilityRun& run) {
        auto walk = run.Snapshot(QStringLiteral("SELECT TimeFeeRef, UserRef, ChargeStart FROM TimeFeeEntries ORDER BY UserRef, ChargeStart"));
        std::int64_t n = 0;
        if (!walk->eof()) {
            walk->moveLast();
            n = walk->recordCount();
            walk->moveFirst();
        }
        if (n < 2) throw RunEnded(QStringLiteral("No records require updating"), platform::MessageIcon::None, false, QStringLiteral("Veranth"));
        for (std::int64_t i = 1; !walk->eof(); ++i, walk->moveNext()) {
            handling = engine::toText(walk->fieldValue(0));
            run.Progress(i, n);
            Handle(run, *walk, QString::number(engine::toLong(walk->fieldValue(0))), recalculateCharges);
        }
    });
}

UtilityResult TimeFeeChargesCommand(db::Session& session) {
    const bool recalculate = AskToProceed(session,
                                          QStringLiteral("Do you wish to recalculate the time fee entries based on the currently "
                                                         "assigned time fee charges?"),
                                          QStringLiteral("Time Fee Entry Recalculation"));
    return ResetTimeFeeCharges(session, recalculate);
}

}  // namespace veranth::repairs
