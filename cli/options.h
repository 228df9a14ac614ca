#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace veranth::cli {

// Everything the command line said, before any of it is acted on.
struct CliOptions {
    QString database;
    QString connect;
    bool readOnly = false;
    QString user;
    QString password;
    QString systemDb;
    QString site;
    QStringList answers;  // in the order given
    bool dryRun = false;
    bool help = false;
    bool version = false;
    QString command;
    QStringList arguments;  // what follows the command, its own flags included
};

struct ParseResult {
    std::optional<CliOptions> options;
    QString error;  // set when options is empty
};

// Global options may stand before or after the command; "--" ends them. Anything else that starts
// with "-" after the command is left to the command (`tables --system`, `run --list`).
ParseResult ParseCommandLine(const QStringList& arguments);

// The whole interface, as --help prints it.
QString UsageText();

}  // namespace veranth::cli
