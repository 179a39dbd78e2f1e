#pragma once

#include "core/Text.h"
#include "present/View.h"
#include "present/WindowOpener.h"
#include "present/Wiring.h"
#include "support/WindowFixture.h"

#include <algorithm>
#include <functional>
#include <map>
#include <optional>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

namespace plok::test {

/// A window without a toolkit: keeps what its presenter set on each control, and what the user typed. It knows the
/// controls of one window and refuses any other, as the real views do: the test fails and the call throws.
class FakeView : public View
{
public:
    explicit FakeView(std::span<const ControlId> controls)
        : m_known(controls.begin(), controls.end())
    { }

    void SetText(const ControlId& control, std::u16string_view text) override { At(control).text = text; }
    void SetIndex(const ControlId& control, int index) override { At(control).index = index; }
    void SetVisible(const ControlId& control, bool visible) override { At(control).visible = visible; }
    void Close() override { closed = true; }

    /// What the user typed into an edit field: the field shows it, as a real one would. The test hands the text on to
    /// the presenter's change handler itself.
    void Type(const ControlId& control, std::u16string_view text) { SetText(control, text); }

    std::u16string Text(const ControlId& control) const
    {
        const Control* c = Find(control);
        return c ? c->text : std::u16string();
    }
    /// The index set last; nothing when none was set.
    std::optional<int> Index(const ControlId& control) const
    {
        const Control* c = Find(control);
        return c ? c->index : std::nullopt;
    }
    /// The visibility set last; nothing when none was set.
    std::optional<bool> Visible(const ControlId& control) const
    {
        const Control* c = Find(control);
        return c ? c->visible : std::nullopt;
    }

    bool closed = false;

private:
    struct Control
    {
        std::u16string text;
        std::optional<int> index;
        std::optional<bool> visible;
    };

    void Check(const ControlId& control) const
    {
        if (std::find(m_known.begin(), m_known.end(), control) != m_known.end())
            return;
        const std::string message
            = "no control " + std::string(control.name()) + " of " + std::string(control.window()) + " in this window";
        ADD_FAILURE() << message;
        throw std::logic_error(message);
    }
    Control& At(const ControlId& control)
    {
        Check(control);
        return m_controls[std::string(control.name())];
    }
    const Control* Find(const ControlId& control) const
    {
        Check(control);
        const auto c = m_controls.find(std::string(control.name()));
        return c == m_controls.end() ? nullptr : &c->second;
    }

    std::vector<ControlId> m_known;
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
        view = FakeView(Presenter::Form::kControls);
        windows = {};
        presenter.emplace(MakePresenter<Presenter>(env, prompts, view, windows));
        return *presenter;
    }
    /// A handler as the window runs it: through the guard, which shows what it throws as the error box.
    template<class... Params, class... Args>
    void Run(void (Presenter::*handler)(Params...), Args&&... args)
    {
        RunGuarded(prompts, [&] { ((*presenter).*handler)(std::forward<Args>(args)...); });
    }
    /// The user types `text` into the edit field `edit`, which hands it to the presenter's `change` handler.
    void Type(void (Presenter::*change)(std::u16string), const ControlId& edit, const std::u16string& text)
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

    FakeView view {Presenter::Form::kControls};
    FakeWindows windows;
    std::optional<Presenter> presenter;
};

} // namespace plok::test
