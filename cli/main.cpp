#include "cli/cli_app.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("veranth-cli"));
    QTextStream out(stdout), err(stderr), in(stdin);
    QStringList arguments = QCoreApplication::arguments();
    arguments.removeFirst();
    const int status = veranth::cli::RunCli(arguments, out, err, in);
    out.flush();
    err.flush();
    return status;
}
