#pragma once

#include <QString>
#include <QStringView>
#include <vector>

#include "engine/sql/sql_type.h"
#include "engine/value.h"

// The dialect's functions: how each is typed when a statement is translated and how it is
// evaluated when SQLite calls it. Both come from the same entry, so the type a statement
// promises is the type the function delivers.
namespace veranth::engine::sql {

using Arguments = std::vector<Value>;
using ArgumentTypes = std::vector<SqlType>;

struct FunctionSpec {
    QString name;  // lower case, as looked up
    int minArguments = 0;
    int maxArguments = 0;
    SqlType (*resultType)(const ArgumentTypes& arguments) = nullptr;
    Value (*evaluate)(const Arguments& arguments) = nullptr;
    bool deterministic = true;
    bool internal = false;  // an operator's helper, not callable by name from a statement
};

// Every function, the operators' helpers included.
const std::vector<FunctionSpec>& functionLibrary();

// A function a statement may call, by its name without regard to case; "Left$" is "Left".
const FunctionSpec* findFunction(QStringView name);
// An operator's helper by its internal name ("divide", "compare", ...).
const FunctionSpec& internalFunction(QStringView name);

// The name a function is registered under on a connection.
QString registeredName(const FunctionSpec& function);

// Shared by the groups of functions below.
namespace fn {
bool anyNull(const Arguments& arguments);
// The argument as a whole number for counts and positions (5 when it is out of range).
int countArgument(const Value& value, int minimum);

void addTextFunctions(std::vector<FunctionSpec>& out);
void addNumberFunctions(std::vector<FunctionSpec>& out);
void addDateFunctions(std::vector<FunctionSpec>& out);
void addOperatorFunctions(std::vector<FunctionSpec>& out);
}  // namespace fn

}  // namespace veranth::engine::sql
