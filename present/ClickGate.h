#pragma once

#include <chrono>
#include <optional>

namespace plok {

/// Keeps a click meant for one window from reaching another. The second click of a double-click on a button that opens
/// or closes a modal window lands on whatever lies under the pointer once the window has changed: a button of the new
/// window, or one of the window below. So a press (of a mouse button, or of a key that presses the focused control) is
/// let through only once the modal windows have stayed as they are for the quiet time, the desktop's double-click time.
/// Each front end tells the gate when a modal window opens or closes and asks it before it hands on such a press.
class ClickGate
{
public:
    using Clock = std::chrono::steady_clock;

    explicit ClickGate(std::chrono::milliseconds quiet)
        : m_quiet(quiet)
    { }

    /// A modal window was shown or closed at `now`.
    void ModalChanged(Clock::time_point now) { m_changed = now; }
    /// Whether a press handled at `now` may reach its window. A press that waited while a window opened or closed is
    /// handled after the change and so is held back too.
    bool Admits(Clock::time_point now) const { return !m_changed || now - *m_changed >= m_quiet; }

private:
    std::chrono::milliseconds m_quiet;
    std::optional<Clock::time_point> m_changed;
};

} // namespace plok
