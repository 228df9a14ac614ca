#include "cli/options.h"

namespace veranth::cli {
namespace {

struct ValueOption {
    const char* shortName;
    const char* longName;
    QString CliOptions::* field;
};

const ValueOption kValueOptions[] = {
    {"-d", "--database", &CliOptions::database}, {"-c", "--connect", &CliOptions::connect},
    {"-u", "--user", &CliOptions::user},         {"-p", "--password", &CliOptions::password},
    {nullptr, "--system-db", &CliOptions::systemDb}, {nullptr, "--site", &CliOptions::site},
};

}  // namespace

ParseResult ParseCommandLine(const QStringList& arguments) {
    CliOptions options;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        if (!optionsEnded && arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.startsWith(QLatin1Char('-')) && arg.size() > 1) {
            // --name=value is the same as --name value.
            QString inlineValue;
            bool hasInlineValue = false;
            if (arg.startsWith(QLatin1String("--"))) {
                const qsizetype equals = arg.indexOf(QLatin1Char('='));
                if (equals > 0) {
                    inlineValue = arg.mid(equals + 1);
                    arg = arg.left(equals);
                    hasInlineValue = true;
                }
            }
            const auto takeValue = [&](QString* target) -> bool {
                if (hasInlineValue) {
                    *target = inlineValue;
                    return true;
                }
                if (i + 1 >= arguments.size()) return false;
                *target = arguments[++i];
                return true;
            };
            bool known = false;
            for (const ValueOption& option : kValueOptions) {
                if ((option.shortName && arg == QLatin1String(option.shortName)) || arg == QLatin1String(option.longName)) {
                    if (!takeValue(&(options.*option.field)))
                        return {std::nullopt, QStringLiteral("%1 needs a value").arg(arg)};
                    known = true;
                    break;
                }
            }
            if (known) continue;
            if (arg == QLatin1String("--answer")) {
                QString answer;
                if (!takeValue(&answer)) return {std::nullopt, QStringLiteral("--answer needs a value")};
                options.answers.append(answer);
                continue;
            }
            const struct {
                const char* shortName;
                const char* longName;
                bool CliOptions::* field;
            } kFlags[] = {{"-r", "--read-only", &CliOptions::readOnly},
                          {nullptr, "--dry-run", &CliOptions::dryRun},
                          {"-h", "--help", &CliOptions::help},
                          {nullptr, "--version", &CliOptions::version}};
            for (const auto& flag : kFlags) {
                if ((flag.shortName && arg == QLatin1String(flag.shortName)) || arg == QLatin1String(flag.longName)) {
                    if (hasInlineValue) return {std::nullopt, QStringLiteral("%1 takes no value").arg(arg)};
                    options.*flag.field = true;
                    known = true;
                    break;
                }
            }
            if (known) continue;
            if (options.command.isEmpty()) return {std::nullopt, QStringLiteral("unknown option %1").arg(arguments[i])};
            options.arguments.append(arguments[i]);
            continue;
        }
        if (options.command.isEmpty()) options.command = arg;
        else options.arguments.append(arg);
    }
    return {options, {}};
}

QString UsageText() {
    return QStringLiteral(R"(Usage: veranth-cli [OPTIONS] COMMAND [ARGS...]

Opens databases through the Veranth engine and runs SQL and the Corvane repair utilities without a window.

Options:
  -d, --database NAME     a native file (default extension .mdb), an ISAM folder or file, or empty with --connect
  -c, --connect STRING    the engine's connect string: "Dbase IV;", ";pwd=secret", "ODBC;DSN=...;UID=...;PWD=...;"
  -r, --read-only         open the database read-only
  -u, --user NAME         workspace login user
  -p, --password PASSWORD workspace login password
      --system-db FILE    workgroup (security) file for the login
      --site DIR          site directory (default: $VERANTH_SITE_DIR, else /etc/veranth)
      --answer ANSWER     answer for the next question or prompt of a utility, in order; repeatable:
                          yes | no | ok | cancel | text:VALUE | file:PATH | choose:VALUE
      --dry-run           run the command inside a transaction and roll it back at the end
  -h, --help              show this text
      --version           show the version

Commands:
  sql STATEMENT...        run the statements in order; a row-returning one prints a header line and one line per
                          row, fields separated by TAB, Null as an empty field; an action prints "N row(s) affected"
  tables [--system]       one table name a line; attached tables as "name -> prefix"
  queries                 name TAB type name
  fields TABLE            name TAB type name TAB size
  indexes TABLE           name TAB fields TAB flags (Primary, Unique, IgnoreNulls)
  create FILE             a new, empty native database
  compact SOURCE [DEST]   compact in place, or into DEST
  repair FILE             repair a damaged native database
  run UTILITY             run a repair utility; `run --list` names them; every message it shows is printed
                          as "[title] text", every question with the answer it was given
  demo-site DIR           create a demo Corvane site (site profile, main/local/letters/CTP databases with sample data)
  support-password set    set the support password of the site (asks for it twice; --answer text:... for scripts)
  workgroup create FILE   a new workgroup (security) file holding the user "admin" with an empty password
  workgroup add-user FILE NAME PASSWORD
  db-password FILE NEW    set the database password of a native file (empty NEW removes it); opening it
                          then needs --connect ";pwd=NEW"

Utilities for `run`: change-db-id, convert-db-id, time-fees, update-counters, clean-tables, clear-connection,
cash-accounts, plan-cash-accounts, settle-transactions, duplicate-users, group-policies, skandia-codes, ft-codes,
pep-merge, branch-credits, objectives, firm-cash, cofunds, clear-business-management, document-transfer.
A utility that picks from a list takes --answer choose:REF; one that reads a file takes --answer file:PATH.

Exit status: 0 on success; 1 on failure, after "Error NUMBER: DESCRIPTION" on standard error; 2 for a usage
error or a command this build does not offer yet. A question left without an answer counts as No / Cancel.
)");
}

}  // namespace veranth::cli
