#include "platform/widgets/qt_prompter.h"

#include "platform/file_filter.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QInputDialog>
#include <QMessageBox>

namespace veranth::platform {
namespace {

QList<std::pair<QMessageBox::StandardButton, MessageResult>> ButtonsOf(MessageButtons buttons) {
    using B = QMessageBox;
    switch (buttons) {
        case MessageButtons::Ok: return {{B::Ok, MessageResult::Ok}};
        case MessageButtons::OkCancel: return {{B::Ok, MessageResult::Ok}, {B::Cancel, MessageResult::Cancel}};
        case MessageButtons::AbortRetryIgnore:
            return {{B::Abort, MessageResult::Abort}, {B::Retry, MessageResult::Retry}, {B::Ignore, MessageResult::Ignore}};
        case MessageButtons::YesNoCancel:
            return {{B::Yes, MessageResult::Yes}, {B::No, MessageResult::No}, {B::Cancel, MessageResult::Cancel}};
        case MessageButtons::YesNo: return {{B::Yes, MessageResult::Yes}, {B::No, MessageResult::No}};
        case MessageButtons::RetryCancel: return {{B::Retry, MessageResult::Retry}, {B::Cancel, MessageResult::Cancel}};
    }
    return {{B::Ok, MessageResult::Ok}};
}

QMessageBox::Icon IconOf(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Critical: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
        case MessageIcon::Exclamation: return QMessageBox::Warning;
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::None: break;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

MessageResult QtPrompter::Message(const MessageRequest& request) {
    QMessageBox box(IconOf(request.icon), request.title, request.text, QMessageBox::NoButton, parent_);
    const auto buttons = ButtonsOf(request.buttons);
    for (const auto& [button, result] : buttons) box.addButton(button);
    const int defaultIndex = std::clamp(request.defaultButton, 1, static_cast<int>(buttons.size())) - 1;
    box.setDefaultButton(buttons[defaultIndex].first);
    // Escape answers what closing the box means: Cancel where there is one, else the last button.
    const int clicked = box.exec();
    for (const auto& [button, result] : buttons)
        if (clicked == button) return result;
    return buttons.size() == 1 ? buttons.front().second : (request.buttons == MessageButtons::YesNo ? MessageResult::No : MessageResult::Cancel);
}

std::optional<QString> QtPrompter::Input(const InputRequest& request) {
    bool ok = false;
    const QString text = QInputDialog::getText(parent_, request.title, request.prompt, QLineEdit::Normal, request.defaultText, &ok);
    if (!ok) return std::nullopt;
    return text;
}

FileDialogResult QtPrompter::FileDialog(const FileDialogRequest& request) {
    QFileDialog dialog(parent_, request.title, request.initialDir);
    const bool save = request.mode == FileDialogRequest::Mode::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!(request.flags & FileDialogFlags::OverwritePrompt)) dialog.setOption(QFileDialog::DontConfirmOverwrite);
    const QStringList filters = ConvertFileFilter(request.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(std::max(0, request.filterIndex - 1)));
    }
    if (!request.fileName.isEmpty()) dialog.selectFile(request.fileName);

    // The read-only box needs Qt's own dialog, where it can be added to the layout.
    QCheckBox* readOnly = nullptr;
    if (!save && !(request.flags & FileDialogFlags::HideReadOnly)) {
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        readOnly = new QCheckBox(QStringLiteral("Open as &read-only"), &dialog);
        readOnly->setObjectName(QStringLiteral("chkReadOnly"));
        readOnly->setChecked(request.flags & FileDialogFlags::ReadOnlyChecked);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) grid->addWidget(readOnly, grid->rowCount(), 0, 1, -1);
    }

    FileDialogResult result;
    result.filterIndex = request.filterIndex;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return result;
    result.accepted = true;
    result.fileName = dialog.selectedFiles().constFirst();
    result.readOnly = readOnly && readOnly->isChecked();
    result.filterIndex = static_cast<int>(filters.indexOf(dialog.selectedNameFilter())) + 1;
    return result;
}

std::optional<QString> QtPrompter::BrowseFolder(const QString& title, const QString& startFolder) {
    const QString folder = QFileDialog::getExistingDirectory(parent_, title, startFolder);
    if (folder.isEmpty()) return std::nullopt;
    return folder;
}

std::optional<QString> QtPrompter::Choose(const ChoiceRequest& request) {
    QStringList labels;
    for (const Choice& c : request.choices) labels.append(c.label);
    bool ok = false;
    const QString picked = QInputDialog::getItem(parent_, request.title, request.prompt, labels, 0, false, &ok);
    if (!ok) return std::nullopt;
    const qsizetype index = labels.indexOf(picked);
    if (index < 0) return std::nullopt;
    return request.choices[index].key;
}

void QtPrompter::Beep() { QApplication::beep(); }

}  // namespace veranth::platform
