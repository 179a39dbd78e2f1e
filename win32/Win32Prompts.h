#pragma once

#include "present/Prompts.h"
#include "win32/Win32Ui.h"

namespace plok::win32 {

using plok::BoxKind;

/// Shows the message box of `kind` over `owner` with its title, icon and buttons (texts of their own, whatever the
/// language of Windows), and returns the button pressed (IDOK, IDYES or IDNO).
int ShowBox(BoxKind kind, std::u16string_view text, HWND owner);

/// Prompts for the Windows desktop program: message boxes, the system's open-file dialog and folder browser, and the
/// shell's handler of documents. Each belongs to the window the user is working in (ActiveOwner).
class Win32Prompts : public Prompts
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

} // namespace plok::win32
