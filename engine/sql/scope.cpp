#include "engine/sql/scope.h"

#include "engine/errors.h"

namespace veranth::engine::sql {

namespace {
bool same(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }
constexpr int kAmbiguousField = 3079;
}  // namespace

const SourceColumn* Source::column(const QString& name) const {
    for (const SourceColumn& c : columns)
        if (same(c.name, name)) return &c;
    return nullptr;
}

const Source* Scope::source(const QString& key) const {
    for (const Source& s : sources_)
        if (same(s.key, key)) return &s;
    return nullptr;
}

std::optional<Scope::Resolved> Scope::resolve(const QStringList& parts) const {
    if (parts.size() == 2) {
        for (const Scope* scope = this; scope; scope = scope->parent_) {
            if (const Source* s = scope->source(parts[0])) {
                if (const SourceColumn* c = s->column(parts[1])) return Resolved{s, c, true};
                return std::nullopt;
            }
        }
        return std::nullopt;
    }
    if (parts.size() != 1) return std::nullopt;
    for (const Scope* scope = this; scope; scope = scope->parent_) {
        std::optional<Resolved> found;
        for (const Source& s : scope->sources_) {
            const SourceColumn* c = s.column(parts[0]);
            if (!c) continue;
            if (found)
                throw EngineError::withDescription(
                    kAmbiguousField, QStringLiteral("The field '%1' could refer to more than one table listed in the "
                                                    "FROM clause (%2, %3). Qualify it with its table's name.")
                                         .arg(parts[0], found->source->key, s.key));
            // Qualified outside the innermost level, so an inner table's column of the same
            // name cannot capture it.
            found = Resolved{&s, c, scope != this || scope->sources_.size() > 1};
        }
        if (found) return found;
    }
    return std::nullopt;
}

}  // namespace veranth::engine::sql
