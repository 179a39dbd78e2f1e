#pragma once

#include <string_view>

namespace plok {

namespace form {
struct Generated;
}

/// A size in pixels at 96 dpi, as the .ui files give them.
struct DesignSize
{
    int width;
    int height;

    bool operator==(const DesignSize&) const = default;
};

/// A rectangle in pixels at 96 dpi, in the client area of its window.
struct DesignRect
{
    int x;
    int y;
    int width;
    int height;

    bool operator==(const DesignRect&) const = default;
};

/// A control of a window, as the window's .ui file names and places it. Only the table generated from the .ui files
/// makes them (present/Forms.h: form::TfrmMain::Button1...), so a misspelt control does not build.
class ControlId
{
public:
    /// The window's object name ("TfrmMain").
    constexpr std::string_view window() const { return m_window; }
    /// The control's object name ("Button1").
    constexpr std::string_view name() const { return m_name; }
    /// Where the .ui file places it in its window's client area; a radio button too, though Qt places it in its group.
    constexpr const DesignRect& rect() const { return m_rect; }

    constexpr bool operator==(const ControlId& other) const
    {
        return window() == other.window() && name() == other.name();
    }

private:
    friend struct form::Generated;
    constexpr ControlId(const char* window, const char* name, DesignRect rect)
        : m_window(window)
        , m_name(name)
        , m_rect(rect)
    { }

    const char* m_window;
    const char* m_name;
    DesignRect m_rect;
};

} // namespace plok
