#pragma once

#include "engine/recordset.h"
#include "tests/support/session_fixture.h"

#include <gtest/gtest.h>

namespace veranth::views::testing {

// A native file open in the session as "Microsoft Access": Customers(ID Long primary key,
// Last Name Text 20, City Text 10, Amount Currency, Notes Memo) with `rows` rows numbered from 1,
// Plain(Code Long) with no index, and the attached table CustomerLink on a second file.
class ViewsTest : public ::testing::Test {
protected:
    veranth::testing::SessionFixture f;
    db::Session& s = f.session;

    void SetUp() override;
    // Customers gets rows ID 1..n: Last Name "Name<ID>" ("Adams" for ID 2), City "Leeds" for even IDs
    // else "York", Amount = ID, Notes empty.
    void FillCustomers(int rows);
    std::shared_ptr<engine::Recordset> OpenCustomers(engine::RecordsetType type = engine::RecordsetType::Dynaset);
    // The texts of every input box prompt shown so far, with their titles.
    QStringList InputTitles() const;
    int CountRows(const QString& table);
    engine::Value StoredValue(const QString& sql);
};

}  // namespace veranth::views::testing
