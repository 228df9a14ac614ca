#include "cli/secret_input.h"

#include <QTextStream>

#include <termios.h>
#include <unistd.h>

namespace veranth::cli {
namespace {

// Turns terminal echo off for its lifetime, and back on however the read ends.
class EchoOff {
public:
    EchoOff() {
        if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
        termios quiet = saved_;
        quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
        active_ = tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet) == 0;
    }
    ~EchoOff() {
        if (active_) tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved_);
    }
    bool Active() const { return active_; }

private:
    termios saved_{};
    bool active_ = false;
};

}  // namespace

std::optional<QString> ReadSecretLine(QTextStream& in, QTextStream& err, const QString& prompt) {
    err << prompt << Qt::flush;
    QString line;
    {
        const EchoOff echoOff;
        if (!in.readLineInto(&line)) return std::nullopt;
        if (echoOff.Active()) err << Qt::endl;
    }
    return line;
}

}  // namespace veranth::cli
