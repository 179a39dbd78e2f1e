#pragma once

#include "present/Prompts.h"

#include <QMessageBox>
#include <memory>

namespace plok::app {

using plok::BoxKind;

/// Builds the message box of `kind` with its title, icon and buttons, not yet shown. For Confirm and WarningConfirm,
/// the first button is the yes button.
std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, std::u16string_view text, QWidget* parent);

/// The window a prompt belongs to: the active modal window, else the active window, else none.
QWidget* PromptParent();

/// Prompts for the desktop program: Qt message boxes, the system's file dialogs and the desktop's handler of documents.
class QtPrompts : public Prompts
{
public:
    void Warning(std::u16string_view text) override;
    void Information(std::u16string_view text) override;
    bool Confirm(std::u16string_view text) override;
    bool WarningConfirm(std::u16string_view text) override;
    void Error(std::u16string_view text) override;
    std::optional<std::u16string> OpenFile(std::u16string_view startAt, std::span<const FileType> types) override;
    std::optional<std::u16string> BrowseFolder(std::u16string_view instruction, std::u16string_view initial) override;
    bool OpenDocument(std::u16string_view file) override;
};

} // namespace plok::app
