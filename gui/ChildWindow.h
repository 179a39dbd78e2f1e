#pragma once

#include "core/Environment.h"
#include "core/Prompts.h"
#include "gui/Guard.h"

#include <QAbstractButton>
#include <QDialog>
#include <functional>
#include <string>

class QPushButton;

namespace plok::gui {

/// Opens the result dialog of a finished job with its completion message and the two file names it produced.
/// app/ hands every job window the one that opens the real dialog; tests hand in a recorder.
using ResultOpener = std::function<void(std::u16string msg, std::u16string file1, std::u16string file2)>;

/// Moves the top-level `window` so that its frame is centred on its screen. Windows call this as they are shown.
void CentreOnScreen(QWidget* window);

/// Gives `button` the standard close glyph, as every "閉じる(&C)" button carries.
void SetCloseGlyph(QPushButton* button);

/// The frame every child window shares: a dialog whose title bar has the system menu and close box only, at its
/// design size with a sizable border, centred on the screen whenever it is shown, shown modally by DspSet and deleted
/// once closed. A derived window sets up its .ui, calls SetUpFrame, and keeps only its own handlers.
class ChildWindow : public QDialog
{
    Q_OBJECT

public:
    ~ChildWindow() override;

    /// Shows the window modally and returns true once it has closed (the window is gone by then).
    bool DspSet();
    /// Sets how the window opens the result dialog of a finished job.
    void SetResultOpener(ResultOpener opener);

protected:
    /// The window deletes itself once closed: create it with new.
    ChildWindow(const Environment& env, Prompts& prompts, QWidget* parent);

    /// Sizes the client area to its design size and makes `closeButton` (when there is one) close the window.
    void SetUpFrame(QSize designSize, QPushButton* closeButton);
    /// Connects a click of `button` to `handler` through the guard.
    template<class Handler>
    void OnClick(QAbstractButton* button, Handler handler)
    {
        ConnectGuarded(button, &QAbstractButton::clicked, this, m_prompts, std::move(handler));
    }
    /// Opens the result dialog through the opener the window was given; without one, nothing opens.
    void OpenResult(const std::u16string& msg, const std::u16string& file1, const std::u16string& file2);

    /// Runs through the guard each time the window is shown (not when it is restored), once it is centred.
    virtual void FormShow() { }
    void showEvent(QShowEvent* event) override;

    Environment m_env;
    Prompts& m_prompts;

private:
    ResultOpener m_openResult;
};

} // namespace plok::gui
