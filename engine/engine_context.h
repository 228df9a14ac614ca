#pragma once

#include "engine/database_kind.h"
#include "engine/errors.h"

#include <memory>
#include <vector>

namespace veranth::engine {

namespace native {
class FileRegistry;
}

// What every object of one DBEngine shares: the Errors collection, the open files and the
// database kinds. Held by shared pointer so objects outliving the engine stay safe.
struct EngineContext {
    std::shared_ptr<ErrorList> errors = std::make_shared<ErrorList>();
    std::shared_ptr<native::FileRegistry> files;
    // Later registrations win, so a kind can take over a prefix.
    std::vector<std::shared_ptr<DatabaseKind>> kinds;

    // The kind that opens databases named with this connect string; the engine's error for a
    // prefix no kind handles (an ODBC source with no driver, an ISAM that is not installed).
    std::shared_ptr<DatabaseKind> kindFor(const QString& connect) const;

    // Runs f; a failure is recorded in Errors, then passed on.
    template <class F>
    auto recorded(F&& f) -> decltype(f()) {
        try {
            return f();
        } catch (const EngineError& e) {
            errors->record(e);
            throw;
        }
    }
};

}  // namespace veranth::engine
