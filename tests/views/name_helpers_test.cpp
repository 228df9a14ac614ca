#include "views/name_helpers.h"

#include <gtest/gtest.h>

namespace veranth::views {
namespace {

struct NameCase {
    const char* name;
    const char* cut;
    const char* bracketed;
    const char* unbracketed;
    const char* fieldPart;
};

TEST(ViewsNameHelpers, EachHelperOnTheNamesTheTreeAndTheViewsHandOver) {
    const NameCase cases[] = {
        {"Orders -> ODBC", "Orders", "[Orders -> ODBC]", "Orders -> ODBC", "Orders -> ODBC"},
        {"Orders", "Orders", "Orders", "Orders", "Orders"},
        {"Last Name", "Last Name", "[Last Name]", "Last Name", "Last Name"},
        {"[Last Name]", "[Last Name]", "[Last Name]", "Last Name", "[Last Name]"},
        {"Clients.Name", "Clients.Name", "Clients.Name", "Clients.Name", "Name"},
        {"a.b.c", "a.b.c", "a.b.c", "a.b.c", "b.c"},
        {"", "", "", "", ""},
    };
    for (const NameCase& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(CutAttachSuffix(name), QString::fromUtf8(c.cut)) << c.name;
        EXPECT_EQ(BracketName(name), QString::fromUtf8(c.bracketed)) << c.name;
        EXPECT_EQ(UnbracketName(name), QString::fromUtf8(c.unbracketed)) << c.name;
        EXPECT_EQ(FieldPartOfName(name), QString::fromUtf8(c.fieldPart)) << c.name;
    }
    // An arrow at the very start leaves nothing before it.
    EXPECT_EQ(CutAttachSuffix(QStringLiteral("->x")), QString());
}

TEST(ViewsNameHelpers, QueryKindNamesOnlyForActionAndSpecialTypes) {
    const std::pair<int, const char*> cases[] = {{0, ""},           {15, ""},       {16, "Cross Tab"}, {32, "Delete"},
                                                 {48, "Update"},    {64, "Append"}, {80, "Make Table"}, {96, "DDL"},
                                                 {112, "SQLPassThrough"}, {128, "Set Operation"}, {144, "SPT Bulk"}, {17, ""}};
    for (const auto& [type, name] : cases) EXPECT_EQ(QueryKindName(type), QString::fromUtf8(name)) << type;
}

}  // namespace
}  // namespace veranth::views
