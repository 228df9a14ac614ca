#pragma once

#include "engine/dbengine.h"
#include "tests/fixtures/corvane_schema.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace veranth::engine::sql::testing {

// A Corvane site with the realistic sample, copied fresh for every test from one built per
// test program, so each test may change it freely.
class CorvaneSite : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;

    std::shared_ptr<Database> open(fixtures::CorvaneFile which);
    // A row-returning statement's rows, fields joined by TAB: Null as "Null", dates as
    // "yyyy-mm-dd hh:mm", Booleans as True/False, Currency as its exact decimal text.
    static QStringList rows(Database& db, const QString& statement);
    static QString cell(const Value& value);
    // The same rows joined by '|'.
    static QString result(Database& db, const QString& statement) { return rows(db, statement).join(QLatin1Char('|')); }

    QTemporaryDir dir;
    fixtures::CorvanePaths paths;
    DBEngine engine;
};

}  // namespace veranth::engine::sql::testing
