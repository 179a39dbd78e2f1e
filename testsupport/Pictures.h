#pragma once

#include "core/Environment.h"
#include "core/RunResult.h"
#include "present/Prompts.h"
#include "present/View.h"
#include "present/WindowOpener.h"

#include <string>
#include <vector>

// What the screenshot programs of both desktop programs (app/, win32/) draw their windows with.
namespace plok::test {

/// Answers nothing and keeps the texts of the boxes: the pictures show windows, and a box shows what a run said.
class SilentPrompts : public Prompts
{
public:
    void Warning(std::u16string_view text) override { warnings.emplace_back(text); }
    void Information(std::u16string_view) override { }
    bool Confirm(std::u16string_view text) override
    {
        questions.emplace_back(text);
        return false;
    }
    bool WarningConfirm(std::u16string_view text) override { return Confirm(text); }
    void Error(std::u16string_view) override { }
    std::optional<std::u16string> OpenFile(std::u16string_view, std::span<const FileType>) override
    {
        return std::nullopt;
    }
    std::optional<std::u16string> BrowseFolder(std::u16string_view, std::u16string_view) override
    {
        return std::nullopt;
    }
    bool OpenDocument(std::u16string_view) override { return opensDocuments; }

    std::vector<std::u16string> warnings;
    std::vector<std::u16string> questions;
    bool opensDocuments = true;
};

/// A window without a screen; the result dialogs asked for are kept, not opened.
class NoWindows : public View, public WindowOpener
{
public:
    void SetText(const ControlId&, std::u16string_view) override { }
    void SetIndex(const ControlId&, int) override { }
    void SetVisible(const ControlId&, bool) override { }
    void Close() override { }
    void Open(WindowKind) override { }
    void OpenResult(const ResultTriple& result) override { results.push_back(result); }

    std::vector<ResultTriple> results;
};

/// A message box as the pictures show it.
struct BoxPicture
{
    const char* name; // the picture's name
    BoxKind kind;
    std::u16string text;
};

/// The paths the pictures show, as the clinic's machine has them rather than the drawing machine's.
struct ShownPlaces
{
    std::u16string mistypedNational; // the national file's field, its name typed wrong
    std::u16string saveFolder; // a save folder that is missing (a USB stick not plugged in)
    std::u16string workFolder; // the installed program's work folder
    std::u16string manual; // the installed manual
};

/// The pictures that come out of runs in `env`: every box the pictures show, and the result dialog after one of the
/// month's two files, the other kept back by the audit.
struct RunPictures
{
    std::vector<BoxPicture> boxes;
    ResultTriple oneOfTwo;
};

/// Anonymises a small month through the main window's decisions, as staff do (the social file carries its patient's
/// name in a note typed to a disease name, which the audit finds, so only the national copy is written into
/// `env.programFolder`); asks the main window for its warnings with a picture and the result dialog for its question
/// about the missing save folder. Throws std::runtime_error when a run does not say what the pictures show.
RunPictures PicturesOfRuns(const Environment& env, const ShownPlaces& shown);

} // namespace plok::test
