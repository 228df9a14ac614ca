#include "engine/errors.h"

#include <gtest/gtest.h>

using namespace veranth::engine;

namespace {

TEST(EngineErrors, DescriptionsComeFromOneTableWithNamesFilledIn) {
    const EngineError missing(err::kInputTableNotFound, QStringLiteral("Clients"));
    EXPECT_EQ(missing.number(), 3078);
    EXPECT_TRUE(missing.description().contains(QStringLiteral("'Clients'")));
    EXPECT_FALSE(missing.description().contains(QStringLiteral("%1")));
    EXPECT_STREQ(EngineError(err::kNoCurrentRecord).what(), "Error 3021: No current record.");
    // Every number the program tests has its own text, not the fallback.
    for (int n : {3010, 3021, 3029, 3031, 3044, 3049, 3059, 3065, 3078, 5, 6, 11, 13, 94, 3019, 3022, 3027,
                  3061, 3075, 3146, 3151, 3163, 3167, 3170, 3251, 3265, 3343, 3421})
        EXPECT_FALSE(errorTemplate(n).startsWith(QStringLiteral("Engine error"))) << n;
    const auto own = EngineError::withDescription(err::kValidationRuleViolated, QStringLiteral("Must be positive"));
    EXPECT_EQ(own.description(), QStringLiteral("Must be positive"));
}

TEST(EngineErrors, CollectionKeepsTheLastFailureUntilTheNext) {
    ErrorList errors;
    EXPECT_EQ(errors.count(), 0);
    errors.record(EngineError(err::kNoCurrentRecord).setSource(QStringLiteral("Recordset")));
    ASSERT_EQ(errors.count(), 1);
    EXPECT_EQ(errors.item(0).number, 3021);
    EXPECT_EQ(errors.item(0).source, QStringLiteral("Recordset"));
    errors.replace({{3146, QStringLiteral("ODBC--call failed."), QStringLiteral("ODBC")},
                    {208, QStringLiteral("Invalid object name"), QStringLiteral("driver")}});
    EXPECT_EQ(errors.count(), 2);
    EXPECT_EQ(errors.item(1).number, 208);
    EXPECT_THROW(errors.item(2), EngineError);
}

}  // namespace
