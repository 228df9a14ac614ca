#pragma once

#include "engine/field_type.h"
#include "engine/value.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace veranth::engine {

struct CriteriaNode;

// A criteria expression as Find*, Filter and validation rules write them:
//   [Last Name] Like 'A*'    Amount>=5    City = "Leeds" And Not Closed
//   Start Between #01 Jan 2004# And #31 Dec 2004#    Code In ('A','B')    Notes Is Null
// with + - * / \ Mod ^ & on the way. Parsed once; evaluated per row in the engine or
// written as SQLite text with every value bound, never pasted in.
class Criteria {
public:
    using FieldLookup = std::function<Value(const QString& fieldName)>;
    using FieldTypeLookup = std::function<std::optional<FieldType>(const QString& fieldName)>;

    struct Sql {
        QString text;
        // One entry per '?': the value and, where it is compared with a field, that field's
        // type, so it is bound in the field's storage form (Currency scaled, dates as serials).
        std::vector<std::pair<Value, std::optional<FieldType>>> parameters;
    };

    // 3075 when the text is not an expression.
    static Criteria parse(const QString& text);
    // A validation rule may leave out its left side ("> 0", "Is Not Null", "Between 1 And 9"):
    // that side is then the field the rule belongs to.
    static Criteria parseRule(const QString& text, const QString& implicitField);

    Value evaluate(const FieldLookup& field) const;
    // True only for a true result: Null does not match.
    bool matches(const FieldLookup& field) const;
    // 3061 (as for an unknown name in a query) when a field is not known to `fieldType`.
    Sql toSql(const FieldTypeLookup& fieldType) const;
    QStringList fieldNames() const;
    const QString& text() const { return text_; }

private:
    Criteria(std::shared_ptr<const CriteriaNode> root, QString text) : root_(std::move(root)), text_(std::move(text)) {}
    std::shared_ptr<const CriteriaNode> root_;
    QString text_;
};

}  // namespace veranth::engine
