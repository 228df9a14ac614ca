#include "cli/cli_app.h"

#include "cli/demo_site.h"
#include "cli/engine_commands.h"
#include "cli/options.h"
#include "cli/run_command.h"
#include "cli/secret_input.h"
#include "engine/dbengine.h"
#include "engine/engine_info.h"
#include "engine/errors.h"
#include "platform/paths.h"
#include "platform/scripted_prompter.h"
#include "platform/support_password.h"

#include <QTextStream>
#include <functional>

namespace veranth::cli {
namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

// Numbers for failures that are not the engine's, in the same numbering the program shows.
constexpr int kErrInvalidArgument = 5;
constexpr int kErrFileExists = 58;
constexpr int kErrPathAccess = 75;

struct Context {
    const CliOptions& options;
    QTextStream& out;
    QTextStream& err;
    QTextStream& in;
    platform::ScriptedPrompter& prompter;
    engine::DBEngine& engine;

    int Fail(int number, const QString& description) const {
        err << "Error " << number << ": " << description << Qt::endl;
        return kExitFailure;
    }
    int Usage(const QString& text) const {
        err << "veranth-cli: " << text << Qt::endl << "Try 'veranth-cli --help'." << Qt::endl;
        return kExitUsage;
    }
};

// The secret comes from the next --answer text:VALUE when there is one, else from the terminal.
std::optional<QString> AskSecret(Context& ctx, const QString& prompt) {
    if (ctx.prompter.RemainingAnswers() > 0) return ctx.prompter.Input({prompt, QStringLiteral("Veranth"), {}});
    return ReadSecretLine(ctx.in, ctx.err, prompt);
}

int SupportPasswordCommand(Context& ctx) {
    if (ctx.options.arguments != QStringList{QStringLiteral("set")}) return ctx.Usage(QStringLiteral("use: support-password set"));
    const auto first = AskSecret(ctx, QStringLiteral("New support password: "));
    if (!first) return ctx.Fail(kErrInvalidArgument, QStringLiteral("No password was given; nothing was changed."));
    const auto second = AskSecret(ctx, QStringLiteral("Repeat the support password: "));
    if (!second || *second != *first)
        return ctx.Fail(kErrInvalidArgument, QStringLiteral("The two passwords differ; nothing was changed."));
    const platform::SupportPasswordChecker checker(platform::SiteDirectory());
    QString error;
    if (!checker.Set(*first, &error)) return ctx.Fail(kErrPathAccess, error);
    ctx.out << "Support password set in " << checker.FilePath() << Qt::endl;
    return kExitOk;
}

int DemoSiteCommand(Context& ctx) {
    if (ctx.options.arguments.size() != 1) return ctx.Usage(QStringLiteral("use: demo-site DIR"));
    QString error;
    if (!CreateDemoSite(ctx.engine, ctx.options.arguments.front(), &error)) return ctx.Fail(kErrFileExists, error);
    ctx.out << "Demo site created in " << ctx.options.arguments.front() << Qt::endl;
    return kExitOk;
}

struct Command {
    const char* name;
    std::function<int(Context&)> run;  // empty: not in this build yet
};

// Adapts an engine command to the command table.
std::function<int(Context&)> Engine(int (*command)(EngineCommandContext&)) {
    return [command](Context& ctx) {
        EngineCommandContext engineCtx{ctx.options, ctx.out, ctx.err, ctx.engine};
        return command(engineCtx);
    };
}

const std::vector<Command>& Commands() {
    static const std::vector<Command> commands = {
        {"sql", Engine(SqlCommand)},
        {"tables", Engine(TablesCommand)},
        {"queries", Engine(QueriesCommand)},
        {"fields", Engine(FieldsCommand)},
        {"indexes", Engine(IndexesCommand)},
        {"create", Engine(CreateCommand)},
        {"compact", Engine(CompactCommand)},
        {"repair", Engine(RepairCommand)},
        {"run", [](Context& ctx) { return RunUtilityCommand(ctx.options, ctx.out, ctx.err, ctx.prompter, ctx.engine); }},
        {"demo-site", DemoSiteCommand},
        {"support-password", SupportPasswordCommand},
        {"workgroup", Engine(WorkgroupCommand)},
        {"db-password", Engine(DbPasswordCommand)},
    };
    return commands;
}

}  // namespace

int RunCli(const QStringList& arguments, QTextStream& out, QTextStream& err, QTextStream& in) {
    const ParseResult parsed = ParseCommandLine(arguments);
    if (!parsed.options) {
        err << "veranth-cli: " << parsed.error << Qt::endl << "Try 'veranth-cli --help'." << Qt::endl;
        return kExitUsage;
    }
    const CliOptions& options = *parsed.options;
    if (options.help) {
        out << UsageText();
        return kExitOk;
    }
    if (options.version) {
        out << "veranth-cli " << VERANTH_VERSION << Qt::endl << engine::EngineVersion() << Qt::endl;
        return kExitOk;
    }
    if (options.command.isEmpty()) {
        err << UsageText();
        return kExitUsage;
    }

    platform::ScriptedPrompter prompter;
    try {
        for (const QString& answer : options.answers) prompter.AddAnswer(answer);
    } catch (const std::invalid_argument& e) {
        err << "veranth-cli: " << QString::fromStdString(e.what()) << Qt::endl;
        return kExitUsage;
    }
    if (!options.site.isEmpty()) platform::SetSiteDirectoryOverride(options.site);

    engine::DBEngine engine;
    Context ctx{options, out, err, in, prompter, engine};
    for (const Command& command : Commands()) {
        if (options.command != QLatin1String(command.name)) continue;
        if (!command.run) {
            err << "veranth-cli: " << options.command << " is not available yet in this build." << Qt::endl;
            return kExitUsage;
        }
        try {
            return command.run(ctx);
        } catch (const platform::ScriptMismatch& e) {
            return ctx.Fail(kErrInvalidArgument, QString::fromStdString(e.what()));
        } catch (const engine::EngineError& e) {
            return ctx.Fail(e.number(), e.description());
        }
    }
    return ctx.Usage(QStringLiteral("unknown command '%1'").arg(options.command));
}

}  // namespace veranth::cli
