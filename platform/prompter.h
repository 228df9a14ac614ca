#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace veranth::platform {

// Icons and buttons keep the numbering of the message boxes the program was written against, so a
// caller can pass the numbers its requirements give.
enum class MessageIcon { None = 0, Critical = 16, Question = 32, Exclamation = 48, Information = 64 };
enum class MessageButtons { Ok = 0, OkCancel = 1, AbortRetryIgnore = 2, YesNoCancel = 3, YesNo = 4, RetryCancel = 5 };
enum class MessageResult { Ok = 1, Cancel = 2, Abort = 3, Retry = 4, Ignore = 5, Yes = 6, No = 7 };

struct MessageRequest {
    QString text;
    QString title = QStringLiteral("Veranth");
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;
    int defaultButton = 1;  // 1, 2 or 3: which button Enter presses
};

struct InputRequest {
    QString prompt;
    QString title = QStringLiteral("Veranth");
    QString defaultText;
};

// Flags of the common file dialog that the program sets.
namespace FileDialogFlags {
inline constexpr int ReadOnlyChecked = 0x1;
inline constexpr int OverwritePrompt = 0x2;
inline constexpr int HideReadOnly = 0x4;
inline constexpr int PathMustExist = 0x800;
inline constexpr int FileMustExist = 0x1000;
}  // namespace FileDialogFlags

struct FileDialogRequest {
    enum class Mode { Open, Save };
    Mode mode = Mode::Open;
    QString title;
    // "Description|pattern|Description|pattern", as the program writes it.
    QString filter;
    int filterIndex = 1;
    QString fileName;
    QString initialDir;
    int flags = 0;
};

struct FileDialogResult {
    bool accepted = false;
    QString fileName;  // empty when cancelled
    bool readOnly = false;
    int filterIndex = 1;
};

struct Choice {
    QString key;    // what the caller gets back
    QString label;  // what the user sees
};

struct ChoiceRequest {
    QString title;
    QString prompt;
    QList<Choice> choices;
};

// Every question, message, input box and file or folder dialog goes through one Prompter, so the
// same logic runs behind real dialogs, behind a test script and behind `veranth-cli --answer`.
class Prompter {
public:
    virtual ~Prompter() = default;

    virtual MessageResult Message(const MessageRequest& request) = 0;
    // nullopt when the user cancels.
    virtual std::optional<QString> Input(const InputRequest& request) = 0;
    virtual FileDialogResult FileDialog(const FileDialogRequest& request) = 0;
    virtual std::optional<QString> BrowseFolder(const QString& title, const QString& startFolder) = 0;
    // Picks one entry of a list; nullopt when the user cancels.
    virtual std::optional<QString> Choose(const ChoiceRequest& request) = 0;
    virtual void Beep() = 0;

    // Shorthands for the boxes the program shows most.
    MessageResult Ask(const QString& text, const QString& title = QStringLiteral("Veranth"),
                      MessageButtons buttons = MessageButtons::YesNo, int defaultButton = 1) {
        return Message({text, title, buttons, MessageIcon::Question, defaultButton});
    }
    void Inform(const QString& text, const QString& title = QStringLiteral("Veranth"),
                MessageIcon icon = MessageIcon::None) {
        Message({text, title, MessageButtons::Ok, icon, 1});
    }
};

}  // namespace veranth::platform
