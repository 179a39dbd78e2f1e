#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace plok {

/// The message boxes of Prompts, as every front end shows them.
enum class BoxKind
{
    Warning, // title "警告", one button "OK"
    Information, // title "情報", one button "OK"
    Confirm, // title "確認", buttons "はい(&Y)" and "いいえ(&N)"
    WarningConfirm, // title "警告", the warning's icon, buttons "はい(&Y)" and "いいえ(&N)"
    Error, // title "プロク", one button "OK"
};

/// A choice of files an open-file dialog offers: its name and the patterns of its files, separated by blanks
/// ("*.UKE *.CYO"), which match letters of either case.
struct FileType
{
    std::u16string_view name;
    std::u16string_view patterns;
};

/// Everything a window asks of the user or of the desktop shell. Windows never open a message box, a file dialog
/// or a document themselves: the desktop program implements this with Qt, tests with a scripted fake.
class Prompts
{
public:
    virtual ~Prompts() = default;

    /// Warning box: title "警告", one button "OK".
    virtual void Warning(std::u16string_view text) = 0;
    /// Information box: title "情報", one button "OK".
    virtual void Information(std::u16string_view text) = 0;
    /// Confirmation box: title "確認", buttons "はい(&Y)" and "いいえ(&N)"; true for yes.
    virtual bool Confirm(std::u16string_view text) = 0;
    /// A warning that offers something to do about it: title "警告", the warning's icon, buttons "はい(&Y)" and
    /// "いいえ(&N)"; true for yes.
    virtual bool WarningConfirm(std::u16string_view text) = 0;
    /// The error box of a failure no handler caught: title "プロク", the failure's text.
    virtual void Error(std::u16string_view text) = 0;
    /// The open-file dialog, started at `startAt`: a file is selected in its folder, a folder is opened, an empty
    /// text leaves the choice to the system. It offers the choices of `types`, the first one chosen, or every file when
    /// there are none. The full path of the confirmed file, or nothing when cancelled.
    virtual std::optional<std::u16string> OpenFile(std::u16string_view startAt, std::span<const FileType> types) = 0;
    /// The folder browser with `instruction`, offering folders only, `initial` preselected when it exists: the chosen
    /// folder, or nothing when cancelled.
    virtual std::optional<std::u16string> BrowseFolder(std::u16string_view instruction, std::u16string_view initial)
        = 0;
    /// Opens the document at the full path `file` with the program the desktop associates with it (a browser for
    /// the manual's pages); false when the desktop could not be asked.
    virtual bool OpenDocument(std::u16string_view file) = 0;
};

/// Runs `body`; a failure it lets escape is shown by `prompts.Error` with the failure's text and goes no further.
/// Every window handler runs through this, so that no exception reaches the event loop.
template<class Body>
void RunGuarded(Prompts& prompts, Body&& body);

} // namespace plok

#include "present/Guard.inl"
