#pragma once

#include "engine/errors.h"
#include "engine/statement_translator.h"

#include <memory>

namespace veranth::engine {

namespace native {
class FileRegistry;
}

// What every object of one DBEngine shares: the Errors collection, the open files and the
// statement translator. Held by shared pointer so objects outliving the engine stay safe.
struct EngineContext {
    std::shared_ptr<ErrorList> errors = std::make_shared<ErrorList>();
    std::shared_ptr<native::FileRegistry> files;
    std::shared_ptr<const StatementTranslator> translator = std::make_shared<PassThroughTranslator>();

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
