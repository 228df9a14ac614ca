#include "db/error_report.h"

#include "db/session.h"
#include "db/status.h"
#include "engine/errors.h"

namespace veranth::db {
namespace {

using platform::MessageButtons;
using platform::MessageIcon;
using platform::MessageResult;

// An internal failure with no number of its own is shown as the language's "application-defined
// or object-defined error".
constexpr int kApplicationDefinedError = 1004;

QString MessageText(int number, const QString& description) {
    return QStringLiteral("The following Error occurred:\r\n\r\n") + description + QStringLiteral("\r\nNumber: ") +
           QString::number(number);
}

void Report(Session& session, int number, const QString& description, bool offerCollection) {
    session.Status().SetBusy(false);
    ShowStatus(session, QString());
    const QString text = MessageText(number, description);
    session.Prompter().Beep();
    if (offerCollection) {
        const MessageResult answer =
            session.Prompter().Message({text + QStringLiteral("\r\n\r\nDisplay the Data Access Errors Collection?"),
                                        QStringLiteral("Veranth"), MessageButtons::YesNo, MessageIcon::Question, 1});
        if (answer == MessageResult::Yes) ShowEngineErrors(session);
        return;
    }
    session.Prompter().Message({text, QStringLiteral("Veranth"), MessageButtons::Ok, MessageIcon::None, 1});
}

}  // namespace

void ShowError(Session& session, const engine::EngineError& error) {
    const engine::ErrorList& errors = session.Engine().errors();
    const bool sameError = errors.count() > 0 && errors.item(0).number == error.number();
    Report(session, error.number(), error.description(), sameError);
}

void ShowError(Session& session, const std::exception& error) {
    Report(session, kApplicationDefinedError, QString::fromUtf8(error.what()), false);
}

QStringList EngineErrorLines(Session& session) {
    QStringList lines;
    const engine::ErrorList& errors = session.Engine().errors();
    for (int i = 0; i < errors.count(); ++i) {
        const engine::ErrorRecord& e = errors.item(i);
        lines.append(QString::number(e.number) + QLatin1Char('\t') + e.source + QLatin1Char('\t') + e.description);
    }
    return lines;
}

void ShowEngineErrors(Session& session) {
    try {
        const QStringList lines = EngineErrorLines(session);
        if (lines.isEmpty()) {
            session.Prompter().Inform(QStringLiteral("There are no current data access errors!"), QStringLiteral("Veranth"),
                                      MessageIcon::Exclamation);
            session.Windows().CloseErrorsWindow();
            return;
        }
        session.Windows().ShowErrorsWindow(lines);
    } catch (const std::exception&) {
        session.Prompter().Inform(QStringLiteral("Can't show Errors at this time!"), QStringLiteral("Veranth"), MessageIcon::Exclamation);
        session.Windows().CloseErrorsWindow();
    }
}

}  // namespace veranth::db
