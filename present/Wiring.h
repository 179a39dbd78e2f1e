#pragma once

#include "core/Environment.h"
#include "present/ControlId.h"
#include "present/Prompts.h"
#include "present/View.h"
#include "present/WindowOpener.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace plok {

/// A window's controls and what each hands its presenter, with the rules of its frame: written once, by the
/// presenter, and read by both front ends, which connect every handler through the one guard. A new button is a line
/// here and a widget in the .ui file.
struct WindowWiring
{
    template<class... Args>
    struct Handler
    {
        ControlId control;
        std::function<void(Args...)> run;
    };

    std::string_view window; // the window's object name
    DesignSize size; // its client area as designed, which it never shrinks below
    std::vector<Handler<>> clicks; // push buttons, under the busy cursor
    std::vector<Handler<bool>> checks; // check boxes, with the state the click left, under the busy cursor
    std::vector<Handler<std::u16string>> edits; // the user's edits of an edit field, with the new text
    std::vector<Handler<int>> choices; // the user's choice in a combo box or radio group, with the item's index
    std::vector<Handler<const std::vector<std::u16string>&>> drops; // files dropped onto an edit field, busy cursor
    std::function<void()> created = {}; // once, when the window and its controls stand
    std::function<void()> shown = {}; // each time the program shows the window, before it becomes visible
    std::function<void()> closed = {}; // once it closes, however it closes
    std::optional<ControlId> closeButton = {}; // the push button with the close glyph, which closes the window
    std::optional<ControlId> centred = {}; // kept where it is relative to the window's middle as the window grows
};

/// The wiring of the window `Form` (present/Forms.h), without handlers yet.
template<class Form>
WindowWiring WiringOf()
{
    return WindowWiring {Form::kName, Form::kSize, {}, {}, {}, {}, {}};
}

/// A handler that calls `method` of `presenter` with what the control hands on.
template<class Presenter, class... Args>
auto Call(Presenter* presenter, void (Presenter::*method)(Args...))
{
    return [presenter, method](Args... args) { (presenter->*method)(std::forward<Args>(args)...); };
}

/// A drop handler for a field that takes one file: more dropped at once are refused with a warning, and none is taken.
template<class Take>
auto OneDroppedFile(Prompts& prompts, Take take)
{
    return [&prompts, take = std::move(take)](const std::vector<std::u16string>& files) {
        if (files.size() == 1)
            take(files.front());
        else
            prompts.Warning(u"この欄には、ファイルを1つだけドロップしてください。");
    };
}

/// A presenter over `view`, given what of these its constructor takes: every front end and the tests make them so.
template<class Presenter>
Presenter MakePresenter(const Environment& env, Prompts& prompts, View& view, WindowOpener& windows)
{
    if constexpr (std::is_constructible_v<Presenter, const Environment&, Prompts&, View&, WindowOpener&>)
        return Presenter(env, prompts, view, windows);
    else if constexpr (std::is_constructible_v<Presenter, const Environment&, Prompts&, View&>)
        return Presenter(env, prompts, view);
    else
        return Presenter(env, view, windows);
}

} // namespace plok
