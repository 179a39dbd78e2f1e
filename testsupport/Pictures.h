#pragma once

#include "core/Environment.h"
#include "core/Prompts.h"
#include "core/View.h"
#include "core/WindowOpener.h"

#include <string>
#include <vector>

// What the screenshot programs of both desktop programs (app/, win32/) draw their windows with.
namespace plok::test {

/// Answers nothing and keeps the warnings: the pictures show windows, and a warning box shows what a run said.
class SilentPrompts : public Prompts
{
public:
    void Warning(std::u16string_view text) override { warnings.emplace_back(text); }
    void Information(std::u16string_view) override { }
    bool Confirm(std::u16string_view) override { return false; }
    void Error(std::u16string_view) override { }
    std::optional<std::u16string> OpenFile(std::u16string_view) override { return std::nullopt; }
    std::optional<std::u16string> BrowseFolder(std::u16string_view, std::u16string_view) override
    {
        return std::nullopt;
    }
    bool OpenDocument(std::u16string_view) override { return true; }

    std::vector<std::u16string> warnings;
};

/// A main window without a screen, and no window opens from it.
class NoWindows : public View, public WindowOpener
{
public:
    void SetText(std::string_view, std::u16string_view) override { }
    void SetIndex(std::string_view, int) override { }
    void SetVisible(std::string_view, bool) override { }
    void Close() override { }
    void Open(WindowKind) override { }
    void OpenResult(const ResultTriple&) override { }
};

/// A message box as the pictures show it.
struct BoxPicture
{
    const char* name; // the picture's name
    BoxKind kind;
    std::u16string text;
};

/// Every kind of box with a text it shows, and the two long warnings (the audit's, the undelivered files') as they
/// come out of a small month anonymised in `env` and a delivery to the missing `saveFolder`, with the work folder
/// shown as `shownWorkFolder`. Throws std::runtime_error when the month does not give the audit's warning.
std::vector<BoxPicture> BoxPictures(
    const Environment& env, std::u16string_view saveFolder, std::u16string_view shownWorkFolder);

/// Anonymises a small month through the main window's decisions, as staff do, and returns the warnings it gave: the
/// social file carries its patient's name in a note typed to a disease name, which the audit finds. The copies stay in
/// `env.programFolder`.
std::vector<std::u16string> AnonymiseMonth(const Environment& env);

/// The warning of the result dialog's button when the save folder `saveFolder` is missing (a USB stick not plugged
/// in), with the drawing machine's temporary work folder shown as `shownWorkFolder`, the installed program's.
std::u16string UndeliveredWarning(
    const Environment& env, std::u16string_view saveFolder, std::u16string_view shownWorkFolder);

} // namespace plok::test
