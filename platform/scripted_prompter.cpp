#include "platform/scripted_prompter.h"

namespace veranth::platform {
namespace {

using Kind = ScriptedAnswer::Kind;

bool Offers(MessageButtons buttons, Kind kind) {
    switch (buttons) {
        case MessageButtons::Ok: return kind == Kind::Ok;
        case MessageButtons::OkCancel: return kind == Kind::Ok || kind == Kind::Cancel;
        case MessageButtons::YesNo: return kind == Kind::Yes || kind == Kind::No;
        case MessageButtons::YesNoCancel: return kind == Kind::Yes || kind == Kind::No || kind == Kind::Cancel;
        case MessageButtons::RetryCancel: return kind == Kind::Cancel || kind == Kind::Ok;
        case MessageButtons::AbortRetryIgnore: return kind == Kind::Cancel || kind == Kind::Ok;
    }
    return false;
}

// What closing the box without an answer means.
MessageResult Declined(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok: return MessageResult::Ok;
        case MessageButtons::YesNo: return MessageResult::No;
        case MessageButtons::AbortRetryIgnore: return MessageResult::Abort;
        default: return MessageResult::Cancel;
    }
}

MessageResult ResultOf(MessageButtons buttons, Kind kind) {
    switch (kind) {
        case Kind::Yes: return MessageResult::Yes;
        case Kind::No: return MessageResult::No;
        case Kind::Cancel: return buttons == MessageButtons::AbortRetryIgnore ? MessageResult::Abort : MessageResult::Cancel;
        default:
            if (buttons == MessageButtons::RetryCancel) return MessageResult::Retry;
            if (buttons == MessageButtons::AbortRetryIgnore) return MessageResult::Retry;
            return MessageResult::Ok;
    }
}

QString ResultName(MessageResult result) {
    switch (result) {
        case MessageResult::Ok: return QStringLiteral("ok");
        case MessageResult::Cancel: return QStringLiteral("cancel");
        case MessageResult::Abort: return QStringLiteral("abort");
        case MessageResult::Retry: return QStringLiteral("retry");
        case MessageResult::Ignore: return QStringLiteral("ignore");
        case MessageResult::Yes: return QStringLiteral("yes");
        case MessageResult::No: return QStringLiteral("no");
    }
    return {};
}

}  // namespace

ScriptedAnswer ScriptedAnswer::Parse(const QString& text) {
    static const struct {
        const char* word;
        Kind kind;
    } kWords[] = {{"yes", Kind::Yes}, {"no", Kind::No}, {"ok", Kind::Ok}, {"cancel", Kind::Cancel}};
    for (const auto& w : kWords)
        if (text.compare(QLatin1String(w.word), Qt::CaseInsensitive) == 0) return {w.kind, {}};
    static const struct {
        const char* prefix;
        Kind kind;
    } kPrefixes[] = {{"text:", Kind::Text}, {"file:", Kind::File}, {"choose:", Kind::Choose}};
    for (const auto& p : kPrefixes) {
        const QLatin1String prefix(p.prefix);
        if (text.startsWith(prefix, Qt::CaseInsensitive)) return {p.kind, text.mid(prefix.size())};
    }
    throw std::invalid_argument(
        QStringLiteral("'%1' is not an answer: use yes, no, ok, cancel, text:VALUE, file:PATH or choose:VALUE").arg(text).toStdString());
}

QString ScriptedAnswer::ToString() const {
    switch (kind) {
        case Kind::Yes: return QStringLiteral("yes");
        case Kind::No: return QStringLiteral("no");
        case Kind::Ok: return QStringLiteral("ok");
        case Kind::Cancel: return QStringLiteral("cancel");
        case Kind::Text: return QStringLiteral("text:") + value;
        case Kind::File: return QStringLiteral("file:") + value;
        case Kind::Choose: return QStringLiteral("choose:") + value;
    }
    return {};
}

std::optional<ScriptedAnswer> ScriptedPrompter::Take() {
    if (answers_.isEmpty()) return std::nullopt;
    return answers_.takeFirst();
}

void ScriptedPrompter::Record(PromptRecord record) {
    records_.append(record);
    if (observer_) observer_(records_.back());
}

static ScriptMismatch Mismatch(const ScriptedAnswer& answer, const QString& what, const QString& text) {
    return ScriptMismatch(QStringLiteral("the answer '%1' does not fit %2 \"%3\"").arg(answer.ToString(), what, text).toStdString());
}

MessageResult ScriptedPrompter::Message(const MessageRequest& request) {
    PromptRecord record{PromptRecord::Kind::Message, request.title, request.text, request.icon, request.buttons, {}};
    MessageResult result = Declined(request.buttons);
    // A box with only OK is a message, not a question: it takes an answer only when one is aimed at it.
    const bool question = request.buttons != MessageButtons::Ok;
    if (question || (!answers_.isEmpty() && answers_.front().kind == Kind::Ok)) {
        if (auto answer = Take()) {
            if (!Offers(request.buttons, answer->kind)) throw Mismatch(*answer, QStringLiteral("the question"), request.text);
            result = ResultOf(request.buttons, answer->kind);
        }
    }
    record.answer = ResultName(result);
    Record(record);
    return result;
}

std::optional<QString> ScriptedPrompter::Input(const InputRequest& request) {
    PromptRecord record{PromptRecord::Kind::Input, request.title, request.prompt, MessageIcon::None, MessageButtons::OkCancel, {}};
    std::optional<QString> result;
    if (auto answer = Take()) {
        if (answer->kind == Kind::Text) result = answer->value;
        else if (answer->kind == Kind::Ok) result = request.defaultText;
        else if (answer->kind != Kind::Cancel) throw Mismatch(*answer, QStringLiteral("the input box"), request.prompt);
    }
    record.answer = result ? *result : QStringLiteral("cancel");
    Record(record);
    return result;
}

FileDialogResult ScriptedPrompter::FileDialog(const FileDialogRequest& request) {
    PromptRecord record{PromptRecord::Kind::FileDialog, request.title, request.fileName, MessageIcon::None, MessageButtons::OkCancel, {}};
    FileDialogResult result;
    result.filterIndex = request.filterIndex;
    if (auto answer = Take()) {
        if (answer->kind == Kind::File) {
            result.accepted = true;
            result.fileName = answer->value;
            result.readOnly = (request.flags & FileDialogFlags::ReadOnlyChecked) != 0;
        } else if (answer->kind != Kind::Cancel) {
            throw Mismatch(*answer, QStringLiteral("the file dialog"), request.title);
        }
    }
    record.answer = result.accepted ? result.fileName : QStringLiteral("cancel");
    Record(record);
    return result;
}

std::optional<QString> ScriptedPrompter::BrowseFolder(const QString& title, const QString& startFolder) {
    PromptRecord record{PromptRecord::Kind::Folder, title, startFolder, MessageIcon::None, MessageButtons::OkCancel, {}};
    std::optional<QString> result;
    if (auto answer = Take()) {
        if (answer->kind == Kind::File || answer->kind == Kind::Text) result = answer->value;
        else if (answer->kind != Kind::Cancel) throw Mismatch(*answer, QStringLiteral("the folder browser"), title);
    }
    record.answer = result ? *result : QStringLiteral("cancel");
    Record(record);
    return result;
}

std::optional<QString> ScriptedPrompter::Choose(const ChoiceRequest& request) {
    PromptRecord record{PromptRecord::Kind::Choice, request.title, request.prompt, MessageIcon::None, MessageButtons::OkCancel, {}};
    std::optional<QString> result;
    if (auto answer = Take()) {
        if (answer->kind == Kind::Choose) {
            const bool offered = std::any_of(request.choices.begin(), request.choices.end(),
                                             [&](const Choice& c) { return c.key == answer->value; });
            if (!offered) throw Mismatch(*answer, QStringLiteral("the list"), request.title);
            result = answer->value;
        } else if (answer->kind != Kind::Cancel) {
            throw Mismatch(*answer, QStringLiteral("the list"), request.title);
        }
    }
    record.answer = result ? *result : QStringLiteral("cancel");
    Record(record);
    return result;
}

void ScriptedPrompter::Beep() { Record({PromptRecord::Kind::Beep, {}, {}, MessageIcon::None, MessageButtons::Ok, QStringLiteral("")}); }

}  // namespace veranth::platform
