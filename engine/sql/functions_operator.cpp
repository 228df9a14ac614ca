// The helpers operators fall back on when SQLite's own arithmetic and comparison would not
// follow the dialect's rules: division that raises 11, \ Mod ^, arithmetic on variants and
// Currency products, & with Null, Like, comparison of text with numbers, and conversion.
#include "engine/sql/function_library.h"

#include "engine/conversions.h"
#include "engine/like.h"
#include "engine/value_ops.h"

namespace veranth::engine::sql::fn {

namespace {

template <SqlType T>
SqlType fixed(const ArgumentTypes&) { return T; }

SqlType arithmetic(const ArgumentTypes& a) { return commonType(a[0], a[1]); }
SqlType firstType(const ArgumentTypes& a) { return a[0]; }

template <Value (*Op)(const Value&, const Value&)>
Value binary(const Arguments& a) { return Op(a[0], a[1]); }

Value comparison(const Arguments& a) {
    const auto c = compare(a[0], a[1]);
    if (!c) return Value::null();
    return Value::integer(static_cast<std::int16_t>(*c < 0 ? -1 : *c > 0 ? 1 : 0));
}

Value like(const Arguments& a) {
    if (anyNull(a)) return Value::null();
    return Value::boolean(likeMatch(toText(a[0]), toText(a[1])));
}

Value identity(const Arguments& a) { return a[0]; }

Value negation(const Arguments& a) { return negate(a[0]); }

}  // namespace

void addOperatorFunctions(std::vector<FunctionSpec>& out) {
    const auto op = [&out](const char* name, int n, SqlType (*type)(const ArgumentTypes&), Value (*f)(const Arguments&)) {
        out.push_back({QString::fromLatin1(name), n, n, type, f, true, true});
    };
    op("add", 2, arithmetic, binary<add>);
    op("subtract", 2, arithmetic, binary<subtract>);
    op("multiply", 2, arithmetic, binary<multiply>);
    op("divide", 2, fixed<SqlType::Double>, binary<divide>);
    op("intdivide", 2, fixed<SqlType::Long>, binary<intDivide>);
    op("mod", 2, fixed<SqlType::Long>, binary<modulo>);
    op("power", 2, fixed<SqlType::Double>, binary<power>);
    op("negate", 1, firstType, negation);
    op("concat", 2, fixed<SqlType::Text>, binary<concatenate>);
    op("compare", 2, fixed<SqlType::Integer>, comparison);
    op("like", 2, fixed<SqlType::Boolean>, like);
    op("convert", 1, firstType, identity);
}

}  // namespace veranth::engine::sql::fn
