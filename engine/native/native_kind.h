#pragma once

#include "engine/database_kind.h"

namespace veranth::engine::native {

// Native files: connect "" or ";pwd=...".
class NativeKind : public DatabaseKind {
public:
    bool handles(const QString& connectPrefix) const override { return connectPrefix.isEmpty(); }
    std::shared_ptr<Database> open(const std::shared_ptr<EngineContext>& context, const QString& name, bool exclusive,
                                   bool readOnly, const QString& connect) override;
};

}  // namespace veranth::engine::native
