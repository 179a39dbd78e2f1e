#pragma once

#include "present/Forms.h"
#include "support/WindowFixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <typeinfo>
#include <vector>

#include <gtest/gtest.h>

namespace plok::test {

/// The window fixture with a running QApplication: test windows closing never ask it to quit, and those a test opens
/// with Show are gone when it ends.
class GuiFixture : public WindowFixture
{
protected:
    GuiFixture() { QApplication::setQuitOnLastWindowClosed(false); }
    ~GuiFixture() override
    {
        for (const QPointer<QWidget>& w : m_shown)
            delete w.data();
        FlushDeletes();
    }

    /// Deletes the windows that closed and asked to be deleted.
    static void FlushDeletes() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    /// A fresh window of class `W`, shown (not modally). A child window deletes itself once closed.
    template<class W>
    QPointer<W> Show()
    {
        QPointer<W> w = new W(env, prompts);
        m_shown.emplace_back(w.data());
        w->show();
        return w;
    }

private:
    std::vector<QPointer<QWidget>> m_shown;
};

/// One control of a window as the layout table gives it.
struct ControlLayout
{
    ControlId control;
    const char* className;
    QRect geometry;
    QString text;
    bool visible;
    int tabOrder; // -1 for a control without a tab stop
};

struct WindowLayout
{
    /// A child window in the common font of the option tools: 9 points at 96 dpi.
    WindowLayout(QString caption, QSize clientSize, std::vector<ControlLayout> controls)
        : WindowLayout(std::move(caption), clientSize, 12, Qt::Dialog, std::move(controls))
    { }
    WindowLayout(
        QString caption, QSize clientSize, int pixelSize, Qt::WindowType type, std::vector<ControlLayout> controls)
        : caption(std::move(caption))
        , clientSize(clientSize)
        , pixelSize(pixelSize)
        , type(type)
        , controls(std::move(controls))
    { }

    QString caption;
    QSize clientSize;
    int pixelSize;
    Qt::WindowType type;
    std::vector<ControlLayout> controls;
};

inline QString NameOf(const ControlId& control)
{
    return QString::fromLatin1(control.name().data(), static_cast<qsizetype>(control.name().size()));
}

/// The control of `window`, failing the test when `window` is not its window, or it is missing or of another class.
template<class T>
T* Control(const QWidget* window, const ControlId& control)
{
    T* c = window->objectName().toStdString() == control.window() ? window->findChild<T*>(NameOf(control)) : nullptr;
    EXPECT_NE(c, nullptr) << control.window() << "." << control.name() << " in " << window->objectName().toStdString();
    return c;
}

/// Clicks the button of `window` with the mouse.
inline void Click(const QWidget* window, const ControlId& control)
{
    if (auto* button = Control<QAbstractButton>(window, control))
        QTest::mouseClick(button, Qt::LeftButton);
}

/// Types `text` (ASCII) into the edit field of `window` with the keyboard, replacing what it holds.
inline void Type(const QWidget* window, const ControlId& control, const QString& text)
{
    auto* edit = Control<QLineEdit>(window, control);
    if (!edit)
        return;
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

inline QString TextOf(const QWidget* w)
{
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    if (const auto* m = qobject_cast<const QPlainTextEdit*>(w))
        return m->toPlainText();
    if (const auto* c = qobject_cast<const QComboBox*>(w))
        return c->currentText();
    return {};
}

/// Checks a shown window against its layout table: caption, client size, font, border, centring on the screen (to the
/// pixel), and per control class, geometry, text, visibility and the tab order.
inline void CheckLayout(const QWidget* window, const WindowLayout& layout)
{
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), layout.caption);
    EXPECT_EQ(window->size(), layout.clientSize);
    EXPECT_EQ(window->font().family(), QStringLiteral("Noto Sans CJK JP"));
    EXPECT_EQ(window->font().pixelSize(), layout.pixelSize);

    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, layout.type);
    for (Qt::WindowType hint : {Qt::WindowTitleHint, Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint})
        EXPECT_TRUE(flags.testFlag(hint)) << hint;
    for (Qt::WindowType hint : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint})
        EXPECT_FALSE(flags.testFlag(hint)) << hint;
    EXPECT_NE(window->minimumSize(), window->maximumSize()) << "the border must stay sizable";
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((window->frameGeometry().center() - screen.center()).manhattanLength(), 1);

    // Where each tab stop first appears in the focus chain; a group counts where its first tab stop child does.
    std::vector<QWidget*> chain;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        chain.push_back(w);
    struct Stop
    {
        int order;
        std::ptrdiff_t at;
        std::string name;
    };
    std::vector<Stop> stops;
    for (const ControlLayout& c : layout.controls) {
        const std::string name(c.control.name());
        SCOPED_TRACE(name);
        const QWidget* w = Control<QWidget>(window, c.control);
        if (!w) {
            ADD_FAILURE() << "missing";
            continue;
        }
        EXPECT_TRUE(w->inherits(c.className)) << w->metaObject()->className();
        EXPECT_EQ(w->geometry(), c.geometry);
        EXPECT_EQ(TextOf(w), c.text);
        EXPECT_EQ(w->isVisible(), c.visible);
        if (c.tabOrder < 0)
            continue;
        const auto at = std::find_if(chain.begin(), chain.end(),
            [w](QWidget* f) { return (f == w || w->isAncestorOf(f)) && (f->focusPolicy() & Qt::TabFocus); });
        ASSERT_NE(at, chain.end()) << "not a tab stop";
        stops.push_back({c.tabOrder, at - chain.begin(), name});
    }
    if (stops.empty())
        return;
    std::sort(stops.begin(), stops.end(), [](const Stop& a, const Stop& b) { return a.order < b.order; });
    std::vector<std::string> expected;
    for (const Stop& s : stops)
        expected.push_back(s.name);
    // The chain is a ring: read it from the first tab stop.
    const auto n = static_cast<std::ptrdiff_t>(chain.size());
    const std::ptrdiff_t start = stops.front().at;
    std::sort(stops.begin(), stops.end(),
        [&](const Stop& a, const Stop& b) { return (a.at - start + n) % n < (b.at - start + n) % n; });
    std::vector<std::string> actual;
    for (const Stop& s : stops)
        actual.push_back(s.name);
    EXPECT_EQ(actual, expected);
}

/// Runs `inside` with the active modal window once the window opened by `open` is up; `inside` must close it.
inline void WhileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inside)
{
    QTimer timer;
    timer.setSingleShot(true);
    bool ran = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        ran = true;
        inside(QApplication::activeModalWidget());
    });
    timer.start(0);
    open();
    EXPECT_TRUE(ran) << "no modal window ran an event loop";
}

/// The modal window `w` as a `T`; otherwise a failure, and `w` is closed so that its event loop ends.
template<class T>
T* ModalAs(QWidget* w)
{
    T* t = dynamic_cast<T*>(w);
    if (!t) {
        ADD_FAILURE() << "expected a modal " << typeid(T).name() << ", got "
                      << (w ? w->objectName().toStdString() : "none");
        if (w)
            w->close();
    }
    return t;
}

} // namespace plok::test
