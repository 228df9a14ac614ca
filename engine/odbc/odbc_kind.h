#pragma once

#include "engine/database_kind.h"
#include "engine/engine_context.h"
#include "engine/odbc/driver_connection.h"

namespace veranth::engine::odbc {

// Opens "ODBC;..." connect strings. A name given with a string that names no source is taken
// as the data-source name. Unless the open asks for no prompt (the exclusive flag, which is
// option 1 to an ODBC open), a string that names nothing to connect to goes to the prompt.
class OdbcKind : public DatabaseKind {
public:
    bool handles(const QString& connectPrefix) const override;
    std::shared_ptr<Database> open(const std::shared_ptr<EngineContext>& context, const QString& name, bool noPrompt,
                                   bool readOnly, const QString& connect) override;

    void setLoginTimeout(int seconds) { loginTimeout_ = seconds; }
    int loginTimeout() const { return loginTimeout_; }
    void setPrompt(ConnectPrompt prompt) { prompt_ = std::move(prompt); }

private:
    int loginTimeout_ = 20;
    ConnectPrompt prompt_;
};

// The ODBC kind registered on an engine (the last one registered), or null.
std::shared_ptr<OdbcKind> odbcKindOf(const EngineContext& context);

}  // namespace veranth::engine::odbc
