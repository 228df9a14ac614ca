#pragma once

#include "cli/options.h"

#include <QTextStream>

namespace veranth::engine {
class DBEngine;
}

namespace veranth::cli {

// What every command is handed: the parsed line, the streams, and the engine.
struct EngineCommandContext {
    const CliOptions& options;
    QTextStream& out;
    QTextStream& err;
    engine::DBEngine& engine;
};

// The commands that work on databases through the engine. Each returns the exit status; engine
// failures are raised as EngineError for the caller to print.
int SqlCommand(EngineCommandContext& ctx);
int TablesCommand(EngineCommandContext& ctx);
int QueriesCommand(EngineCommandContext& ctx);
int FieldsCommand(EngineCommandContext& ctx);
int IndexesCommand(EngineCommandContext& ctx);
int CreateCommand(EngineCommandContext& ctx);
int CompactCommand(EngineCommandContext& ctx);
int RepairCommand(EngineCommandContext& ctx);
int WorkgroupCommand(EngineCommandContext& ctx);
int DbPasswordCommand(EngineCommandContext& ctx);

}  // namespace veranth::cli
