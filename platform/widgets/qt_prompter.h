#pragma once

#include "platform/prompter.h"

class QWidget;

namespace veranth::platform {

// The prompter behind the program's windows: message boxes, input boxes and file dialogs of Qt,
// owned by the given parent window.
class QtPrompter : public Prompter {
public:
    explicit QtPrompter(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }

    MessageResult Message(const MessageRequest& request) override;
    std::optional<QString> Input(const InputRequest& request) override;
    FileDialogResult FileDialog(const FileDialogRequest& request) override;
    std::optional<QString> BrowseFolder(const QString& title, const QString& startFolder) override;
    std::optional<QString> Choose(const ChoiceRequest& request) override;
    void Beep() override;

private:
    QWidget* parent_;
};

}  // namespace veranth::platform
