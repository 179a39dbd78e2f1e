#pragma once

#include "core/Text.h"
#include "present/View.h"
#include "present/WindowOpener.h"
#include "support/WindowFixture.h"

#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace plok::test {

/// A window without a toolkit: keeps what its presenter set on each control, and what the user typed.
class FakeView : public View
{
public:
    void SetText(std::string_view control, std::u16string_view text) override
    {
        m_controls[std::string(control)].text = text;
    }
    void SetIndex(std::string_view control, int index) override { m_controls[std::string(control)].index = index; }
    void SetVisible(std::string_view control, bool visible) override
    {
        m_controls[std::string(control)].visible = visible;
    }
    void Close() override { closed = true; }

    /// What the user typed into an edit field: the field shows it, as a real one would. The test hands the text on to
    /// the presenter's change handler itself.
    void Type(std::string_view control, std::u16string_view text) { SetText(control, text); }

    std::u16string Text(std::string_view control) const
    {
        const auto c = m_controls.find(std::string(control));
        return c == m_controls.end() ? std::u16string() : c->second.text;
    }
    /// The index set last; nothing when none was set.
    std::optional<int> Index(std::string_view control) const
    {
        const auto c = m_controls.find(std::string(control));
        return c == m_controls.end() ? std::nullopt : c->second.index;
    }
    /// The visibility set last; nothing when none was set.
    std::optional<bool> Visible(std::string_view control) const
    {
        const auto c = m_controls.find(std::string(control));
        return c == m_controls.end() ? std::nullopt : c->second.visible;
    }

    bool closed = false;

private:
    struct Control
    {
        std::u16string text;
        std::optional<int> index;
        std::optional<bool> visible;
    };
    std::map<std::string, Control, std::less<>> m_controls;
};

inline void PrintTo(const ResultTriple& r, std::ostream* os)
{
    *os << "(" << ToUtf8(r.gstMsg) << ", " << ToUtf8(r.gstFile1) << ", " << ToUtf8(r.gstFile2) << ")";
}

/// Records the windows a presenter opens instead of opening them.
class FakeWindows : public WindowOpener
{
public:
    void Open(WindowKind window) override { opened.push_back(window); }
    void OpenResult(const ResultTriple& result) override { results.push_back(result); }

    std::vector<WindowKind> opened;
    std::vector<ResultTriple> results;
};

/// The window fixture for a presenter of class `Presenter`: its window is a FakeView, the windows it opens are
/// recorded.
template<class Presenter>
class PresenterTest : public WindowFixture
{
protected:
    /// A fresh presenter over a fresh view; the test shows it (InitSet, FormShow) as its window would.
    Presenter& Create()
    {
        view = {};
        windows = {};
        if constexpr (std::is_constructible_v<Presenter, const Environment&, Prompts&, View&, WindowOpener&>)
            presenter.emplace(env, prompts, view, windows);
        else
            presenter.emplace(env, prompts, view);
        return *presenter;
    }
    /// A handler as the window runs it: through the guard, which shows what it throws as the error box.
    template<class... Params, class... Args>
    void Run(void (Presenter::*handler)(Params...), Args&&... args)
    {
        RunGuarded(prompts, [&] { ((*presenter).*handler)(std::forward<Args>(args)...); });
    }
    /// The user types `text` into the edit field `edit`, which hands it to the presenter's `change` handler.
    void Type(void (Presenter::*change)(std::u16string), std::string_view edit, const std::u16string& text)
    {
        view.Type(edit, text);
        ((*presenter).*change)(text);
    }

    /// The kinds of the boxes shown so far, in order.
    std::vector<std::string> BoxKinds() const
    {
        std::vector<std::string> kinds;
        for (const FakePrompts::Shown& s : prompts.shown())
            kinds.push_back(s.kind);
        return kinds;
    }

    FakeView view;
    FakeWindows windows;
    std::optional<Presenter> presenter;
};

} // namespace plok::test
