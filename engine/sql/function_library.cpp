#include "engine/sql/function_library.h"

#include "engine/conversions.h"
#include "engine/errors.h"

#include <QHash>

namespace veranth::engine::sql {

namespace {

struct Library {
    std::vector<FunctionSpec> functions;
    QHash<QString, const FunctionSpec*> byName;
    QHash<QString, const FunctionSpec*> internalByName;
};

const Library& library() {
    static const Library lib = [] {
        Library l;
        fn::addTextFunctions(l.functions);
        fn::addNumberFunctions(l.functions);
        fn::addDateFunctions(l.functions);
        fn::addOperatorFunctions(l.functions);
        for (const FunctionSpec& function : l.functions)
            (function.internal ? l.internalByName : l.byName).insert(function.name, &function);
        return l;
    }();
    return lib;
}

}  // namespace

const std::vector<FunctionSpec>& functionLibrary() { return library().functions; }

const FunctionSpec* findFunction(QStringView name) {
    QString key = name.toString().toLower();
    if (key.endsWith(QLatin1Char('$'))) key.chop(1);
    return library().byName.value(key, nullptr);
}

const FunctionSpec& internalFunction(QStringView name) {
    const FunctionSpec* function = library().internalByName.value(name.toString(), nullptr);
    Q_ASSERT(function);
    return *function;
}

QString registeredName(const FunctionSpec& function) {
    return (function.internal ? QStringLiteral("vx_op_") : QStringLiteral("vx_")) + function.name;
}

namespace fn {

bool anyNull(const Arguments& arguments) {
    for (const Value& v : arguments)
        if (v.isNull()) return true;
    return false;
}

int countArgument(const Value& value, int minimum) {
    const std::int32_t n = toLong(value);
    if (n < minimum) throw EngineError(err::kInvalidArgument);
    return n;
}

}  // namespace fn

}  // namespace veranth::engine::sql
