#pragma once

#include "core/Text.h"
#include "present/Prompts.h"

#include <deque>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <vector>

namespace plok::test {

/// A scripted Prompts: records every box in order and answers confirmations, file dialogs and folder browsers from
/// queues set up by the test. An unexpected question fails loudly instead of guessing.
class FakePrompts : public Prompts
{
public:
    struct Shown
    {
        std::string kind; // "warning", "information", "confirm", "warning-confirm", "error", "open-file",
                          // "browse-folder", "document"
        std::u16string title;
        std::u16string text;
        bool operator==(const Shown&) const = default;
    };

    void Warning(std::u16string_view text) override { m_shown.push_back({"warning", u"警告", std::u16string(text)}); }
    void Information(std::u16string_view text) override
    {
        m_shown.push_back({"information", u"情報", std::u16string(text)});
    }
    bool Confirm(std::u16string_view text) override
    {
        m_shown.push_back({"confirm", u"確認", std::u16string(text)});
        return Next(m_confirmations, "confirmation");
    }
    bool WarningConfirm(std::u16string_view text) override
    {
        m_shown.push_back({"warning-confirm", u"警告", std::u16string(text)});
        return Next(m_confirmations, "confirmation");
    }
    void Error(std::u16string_view text) override { m_shown.push_back({"error", u"プロク", std::u16string(text)}); }
    std::optional<std::u16string> OpenFile(std::u16string_view startAt, std::span<const FileType> types) override
    {
        m_shown.push_back({"open-file", u"", u""});
        m_openFileStarts.emplace_back(startAt);
        m_openFileTypes.emplace_back();
        for (const FileType& t : types)
            m_openFileTypes.back().emplace_back(std::u16string(t.name) + u"|" + std::u16string(t.patterns));
        return Next(m_files, "open-file dialog");
    }
    std::optional<std::u16string> BrowseFolder(std::u16string_view instruction, std::u16string_view initial) override
    {
        m_shown.push_back({"browse-folder", std::u16string(initial), std::u16string(instruction)});
        return Next(m_folders, "folder browser");
    }
    bool OpenDocument(std::u16string_view file) override
    {
        m_shown.push_back({"document", u"", std::u16string(file)});
        return opensDocuments;
    }

    /// Answers for the next questions, in order.
    void AnswerConfirm(bool yes) { m_confirmations.push_back(yes); }
    void AnswerFile(std::optional<std::u16string> path) { m_files.push_back(std::move(path)); }
    void AnswerFolder(std::optional<std::u16string> path) { m_folders.push_back(std::move(path)); }

    const std::vector<Shown>& shown() const { return m_shown; }
    /// Where each open-file dialog was started, in order.
    const std::vector<std::u16string>& openFileStarts() const { return m_openFileStarts; }
    /// The choices of files each open-file dialog offered, in order: "name|patterns".
    const std::vector<std::vector<std::u16string>>& openFileTypes() const { return m_openFileTypes; }
    /// The texts of the boxes of one kind, in order.
    std::vector<std::u16string> Texts(const std::string& kind) const
    {
        std::vector<std::u16string> texts;
        for (const auto& s : m_shown)
            if (s.kind == kind)
                texts.push_back(s.text);
        return texts;
    }
    void Clear()
    {
        m_shown.clear();
        m_openFileStarts.clear();
        m_openFileTypes.clear();
    }
    bool AllAnswersUsed() const { return m_confirmations.empty() && m_files.empty() && m_folders.empty(); }

    /// Whether the desktop has a program that opens the documents and folders asked for.
    bool opensDocuments = true;

private:
    template<class T>
    static T Next(std::deque<T>& queue, const char* what)
    {
        if (queue.empty())
            throw std::logic_error(std::string("FakePrompts: unexpected ") + what);
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }

    std::vector<Shown> m_shown;
    std::vector<std::u16string> m_openFileStarts;
    std::vector<std::vector<std::u16string>> m_openFileTypes;
    std::deque<bool> m_confirmations;
    std::deque<std::optional<std::u16string>> m_files;
    std::deque<std::optional<std::u16string>> m_folders;
};

inline void PrintTo(const FakePrompts::Shown& s, std::ostream* os)
{
    *os << s.kind << "[" << ToUtf8(s.title) << "] " << ToUtf8(s.text);
}

inline FakePrompts::Shown InfoBox(std::u16string text)
{
    return {"information", u"情報", std::move(text)};
}
inline FakePrompts::Shown WarningBox(std::u16string text)
{
    return {"warning", u"警告", std::move(text)};
}
inline FakePrompts::Shown ConfirmBox(std::u16string text)
{
    return {"confirm", u"確認", std::move(text)};
}
inline FakePrompts::Shown WarningConfirmBox(std::u16string text)
{
    return {"warning-confirm", u"警告", std::move(text)};
}
inline FakePrompts::Shown OpenFileBox()
{
    return {"open-file", u"", u""};
}

} // namespace plok::test
