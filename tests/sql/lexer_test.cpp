#include <gtest/gtest.h>
#include "engine/sql/lexer.h"
TEST(SqlLexer, Placeholder) { EXPECT_EQ(veranth::engine::sql::tokenize(u"a").size(), 2u); }
