#pragma once

#include "engine/errors.h"

namespace veranth::db {

template <class F>
void Guarded(Session& session, F&& command) {
    try {
        command();
    } catch (const engine::EngineError& e) {
        ShowError(session, e);
    } catch (const std::exception& e) {
        ShowError(session, e);
    }
}

}  // namespace veranth::db
