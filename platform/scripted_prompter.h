#pragma once

#include "platform/prompter.h"

#include <QStringList>
#include <functional>
#include <stdexcept>

namespace veranth::platform {

// One scripted answer: yes | no | ok | cancel | text:VALUE | file:PATH | choose:VALUE.
struct ScriptedAnswer {
    enum class Kind { Yes, No, Ok, Cancel, Text, File, Choose };
    Kind kind = Kind::Ok;
    QString value;

    // Throws std::invalid_argument with a readable message for anything else.
    static ScriptedAnswer Parse(const QString& text);
    QString ToString() const;
};

// A prompt the script was shown, with the answer it got.
struct PromptRecord {
    enum class Kind { Message, Input, FileDialog, Folder, Choice, Beep };
    Kind kind = Kind::Message;
    QString title;
    QString text;
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    QString answer;  // "yes", "no", "ok", "cancel", or the text, file or key handed back
};

// Raised when the next answer does not fit the prompt (a file path for a Yes/No question, say): the
// script and the program have gone out of step, and guessing would do the wrong thing to real data.
class ScriptMismatch : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Answers prompts from a list, in order, and records every prompt. A question or dialog that finds
// the list empty is answered No / Cancel; a message with only an OK button is acknowledged without
// taking an answer.
class ScriptedPrompter : public Prompter {
public:
    ScriptedPrompter() = default;
    explicit ScriptedPrompter(QList<ScriptedAnswer> answers) : answers_(std::move(answers)) {}

    void AddAnswer(ScriptedAnswer answer) { answers_.append(std::move(answer)); }
    void AddAnswer(const QString& text) { answers_.append(ScriptedAnswer::Parse(text)); }
    int RemainingAnswers() const { return answers_.size(); }

    const QList<PromptRecord>& Records() const { return records_; }
    void ClearRecords() { records_.clear(); }
    // Called with every record as it is made, so a command line can print as the run goes.
    void SetObserver(std::function<void(const PromptRecord&)> observer) { observer_ = std::move(observer); }

    MessageResult Message(const MessageRequest& request) override;
    std::optional<QString> Input(const InputRequest& request) override;
    FileDialogResult FileDialog(const FileDialogRequest& request) override;
    std::optional<QString> BrowseFolder(const QString& title, const QString& startFolder) override;
    std::optional<QString> Choose(const ChoiceRequest& request) override;
    void Beep() override;

private:
    std::optional<ScriptedAnswer> Take();
    void Record(PromptRecord record);

    QList<ScriptedAnswer> answers_;
    QList<PromptRecord> records_;
    std::function<void(const PromptRecord&)> observer_;
};

}  // namespace veranth::platform
