#include "engine/sql/dialect_functions.h"

#include "engine/sql/function_library.h"
#include "engine/sql/value_codec.h"

#include <QRegularExpression>

#include <sqlite3.h>

#include <cmath>

namespace veranth::engine::sql {

namespace {

void reportError(sqlite3_context* context, const EngineError& error) {
    const QByteArray message =
        QStringLiteral("[engine error %1] %2").arg(error.number()).arg(error.description()).toUtf8();
    sqlite3_result_error(context, message.constData(), static_cast<int>(message.size()));
}

// Arguments arrive as (result type, value 1, type 1, value 2, type 2, ...): the types were
// settled when the statement was translated, so each value is read in its storage form.
void callFunction(sqlite3_context* context, int argc, sqlite3_value** argv) {
    const auto* function = static_cast<const FunctionSpec*>(sqlite3_user_data(context));
    try {
        const auto resultType = static_cast<SqlType>(sqlite3_value_int(argv[0]));
        Arguments arguments;
        arguments.reserve(static_cast<size_t>(argc / 2));
        for (int i = 1; i + 1 < argc; i += 2)
            arguments.push_back(decodeValue(argv[i], static_cast<SqlType>(sqlite3_value_int(argv[i + 1]))));
        encodeResult(context, function->evaluate(arguments), resultType);
    } catch (const EngineError& error) {
        reportError(context, error);
    }
}

// First and Last keep the SQLite value itself, so the storage form passes through unchanged.
struct KeptValue {
    sqlite3_value* value;
};

template <bool KeepLast>
void keepStep(sqlite3_context* context, int, sqlite3_value** argv) {
    auto* kept = static_cast<KeptValue*>(sqlite3_aggregate_context(context, sizeof(KeptValue)));
    if (!kept) return sqlite3_result_error_nomem(context);
    if (kept->value && !KeepLast) return;
    sqlite3_value_free(kept->value);
    kept->value = sqlite3_value_dup(argv[0]);
}

void keepFinal(sqlite3_context* context) {
    auto* kept = static_cast<KeptValue*>(sqlite3_aggregate_context(context, 0));
    if (!kept || !kept->value) return sqlite3_result_null(context);
    sqlite3_result_value(context, kept->value);
    sqlite3_value_free(kept->value);
    kept->value = nullptr;
}

// Welford's running mean and squared deviations: stable over many rows.
struct Spread {
    sqlite3_int64 count;
    double mean;
    double squares;
};

void spreadStep(sqlite3_context* context, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) return;
    auto* s = static_cast<Spread*>(sqlite3_aggregate_context(context, sizeof(Spread)));
    if (!s) return sqlite3_result_error_nomem(context);
    const double x = sqlite3_value_double(argv[0]);
    ++s->count;
    const double delta = x - s->mean;
    s->mean += delta / static_cast<double>(s->count);
    s->squares += delta * (x - s->mean);
}

template <bool Sample, bool Root>
void spreadFinal(sqlite3_context* context) {
    auto* s = static_cast<Spread*>(sqlite3_aggregate_context(context, 0));
    const sqlite3_int64 needed = Sample ? 2 : 1;
    if (!s || s->count < needed) return sqlite3_result_null(context);
    const double variance = s->squares / static_cast<double>(Sample ? s->count - 1 : s->count);
    sqlite3_result_double(context, Root ? std::sqrt(variance) : variance);
}

void addAggregate(sqlite3* db, const char* name, void (*step)(sqlite3_context*, int, sqlite3_value**),
                  void (*final)(sqlite3_context*)) {
    sqlite3_create_function_v2(db, name, 1, SQLITE_UTF8, nullptr, nullptr, step, final, nullptr);
}

}  // namespace

void registerDialectFunctions(sqlite3* db) {
    for (const FunctionSpec& function : functionLibrary()) {
        const QByteArray name = registeredName(function).toUtf8();
        const int flags = SQLITE_UTF8 | (function.deterministic ? SQLITE_DETERMINISTIC : 0);
        sqlite3_create_function_v2(db, name.constData(), -1, flags, const_cast<FunctionSpec*>(&function), callFunction,
                                   nullptr, nullptr, nullptr);
    }
    addAggregate(db, "vx_first", keepStep<false>, keepFinal);
    addAggregate(db, "vx_last", keepStep<true>, keepFinal);
    addAggregate(db, "vx_stdev", spreadStep, spreadFinal<true, true>);
    addAggregate(db, "vx_stdevp", spreadStep, spreadFinal<false, true>);
    addAggregate(db, "vx_var", spreadStep, spreadFinal<true, false>);
    addAggregate(db, "vx_varp", spreadStep, spreadFinal<false, false>);
}

std::optional<EngineError> engineErrorFromSqliteMessage(const QString& message) {
    static const QRegularExpression marker(QStringLiteral(R"(\[engine error (\d+)\] (.*))"),
                                           QRegularExpression::DotMatchesEverythingOption);
    const auto m = marker.match(message);
    if (!m.hasMatch()) return std::nullopt;
    return EngineError::withDescription(m.captured(1).toInt(), m.captured(2));
}

}  // namespace veranth::engine::sql
