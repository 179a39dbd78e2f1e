#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace plok::test {

/// One control of a window as the layout table gives it.
struct ControlLayout
{
    const char* name;
    const char* className;
    QRect geometry;
    QString text;
    bool visible;
    int tabOrder; // -1 for a control without a tab stop
};

struct WindowLayout
{
    QString caption;
    QSize clientSize;
    std::vector<ControlLayout> controls;
};

/// The control `name` of `window`, failing the test when it is missing or of another class.
template<class T>
T* Control(const QWidget* window, const char* name)
{
    T* c = window->findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

inline QString TextOf(const QWidget* w)
{
    if (const auto* b = qobject_cast<const QAbstractButton*>(w))
        return b->text();
    if (const auto* l = qobject_cast<const QLabel*>(w))
        return l->text();
    if (const auto* e = qobject_cast<const QLineEdit*>(w))
        return e->text();
    return {};
}

/// Checks a shown window against its layout table: caption, client size, font, border, centring, and per control
/// class, geometry, text, visibility and the tab order.
inline void CheckLayout(QDialog* window, const WindowLayout& layout)
{
    ASSERT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), layout.caption);
    EXPECT_EQ(window->size(), layout.clientSize);
    EXPECT_EQ(window->font().family(), QStringLiteral("Segoe UI"));
    EXPECT_EQ(window->font().pointSize(), 9);

    const Qt::WindowFlags flags = window->windowFlags();
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Dialog);
    for (Qt::WindowType hint : {Qt::WindowTitleHint, Qt::WindowSystemMenuHint, Qt::WindowCloseButtonHint})
        EXPECT_TRUE(flags.testFlag(hint)) << hint;
    for (Qt::WindowType hint : {Qt::WindowMinimizeButtonHint, Qt::WindowMaximizeButtonHint})
        EXPECT_FALSE(flags.testFlag(hint)) << hint;
    EXPECT_NE(window->minimumSize(), window->maximumSize()) << "the border must stay sizable";
    EXPECT_TRUE(window->testAttribute(Qt::WA_DeleteOnClose));
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // The frame the platform adds around the client area may shift the centre by a few pixels.
    EXPECT_LE((window->geometry().center() - screen.center()).manhattanLength(), 32)
        << window->geometry().center().x() << "," << window->geometry().center().y();

    std::vector<std::pair<int, QString>> tabStops;
    for (const ControlLayout& c : layout.controls) {
        SCOPED_TRACE(c.name);
        const QWidget* w = Control<QWidget>(window, c.name);
        if (!w)
            continue;
        EXPECT_TRUE(w->inherits(c.className)) << w->metaObject()->className();
        EXPECT_EQ(w->geometry(), c.geometry);
        EXPECT_EQ(TextOf(w), c.text);
        EXPECT_EQ(w->isVisible(), c.visible);
        if (c.tabOrder >= 0) {
            EXPECT_NE(w->focusPolicy() & Qt::TabFocus, 0);
            tabStops.emplace_back(c.tabOrder, QString::fromLatin1(c.name));
        }
    }
    std::sort(tabStops.begin(), tabStops.end());
    QStringList expected;
    for (const auto& [order, name] : tabStops)
        expected << name;
    QStringList chain;
    for (QWidget* w = window->nextInFocusChain(); w != window; w = w->nextInFocusChain())
        if (expected.contains(w->objectName()))
            chain << w->objectName();
    // The chain is a ring: read it from the first tab stop.
    const qsizetype first = chain.indexOf(expected.value(0));
    ASSERT_GE(first, 0);
    chain = chain.mid(first) + chain.mid(0, first);
    EXPECT_EQ(chain, expected);
}

/// Runs `inside` once the modal window opened by `open` is up: `inside` gets the active modal window (or null) and
/// must close it. Returns after `open` has returned.
inline void WhileModal(const std::function<void()>& open, const std::function<void(QWidget*)>& inside)
{
    // A timer of our own, so that it cannot fire in a later test when `open` ran no event loop.
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&inside] { inside(QApplication::activeModalWidget()); });
    timer.start(0);
    open();
}

/// The modal window `w` as a `T`; otherwise a failure, and `w` is closed so that its event loop ends.
template<class T>
T* ModalAs(QWidget* w)
{
    T* t = qobject_cast<T*>(w);
    if (!t) {
        ADD_FAILURE() << "expected a modal " << T::staticMetaObject.className() << ", got "
                      << (w ? w->metaObject()->className() : "none");
        if (w)
            w->close();
    }
    return t;
}

} // namespace plok::test
