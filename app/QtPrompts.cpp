#include "app/QtPrompts.h"

#include "app/FolderBrowser.h"
#include "core/Text.h"
#include "gui/Guard.h"
#include "gui/QtText.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <algorithm>

namespace plok::app {

using gui::Q;
using gui::U;

namespace {

/// Lays a box's text out in lines that fit the widest box Qt draws on this screen, broken where Japanese text breaks
/// between phrases, and keeps each of them whole: a message box wraps at half the screen's width and breaks Japanese
/// anywhere, so a line a little wider would end with one character alone below it.
void KeepLinesWhole(QMessageBox& box)
{
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    const QScreen* screen = box.screen();
    if (!label || !screen)
        return;
    const QFontMetrics metrics(label->font());
    // Room for the icon and the margins beside the text.
    const int screenWidth = screen->availableGeometry().width();
    const int room = (screenWidth <= 1024 ? screenWidth : std::min(screenWidth - 480, 1000)) - 120;
    const QString text = Q(
        WrapText(U(box.text()), room, [&metrics](std::u16string_view c) { return metrics.horizontalAdvance(Q(c)); }));
    box.setText(text);
    int widest = 0;
    for (const QString& line : text.split(QLatin1Char('\n')))
        widest = std::max(widest, metrics.horizontalAdvance(line));
    label->setMinimumWidth(std::min(widest + 2, room));
}

} // namespace

std::unique_ptr<QMessageBox> MakeMessageBox(BoxKind kind, std::u16string_view text, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(parent);
    box->setText(Q(text));
    // Paths and reasons in the texts can be copied, to be pasted into a file manager or a ticket.
    box->setTextInteractionFlags(Qt::TextSelectableByMouse);
    KeepLinesWhole(*box);
    switch (kind) {
    case BoxKind::Warning:
        box->setWindowTitle(QStringLiteral("警告"));
        box->setIcon(QMessageBox::Warning);
        break;
    case BoxKind::Information:
        box->setWindowTitle(QStringLiteral("情報"));
        box->setIcon(QMessageBox::Information);
        break;
    case BoxKind::Confirm:
        box->setWindowTitle(QStringLiteral("確認"));
        box->setIcon(QMessageBox::Question);
        break;
    case BoxKind::WarningConfirm:
        box->setWindowTitle(QStringLiteral("警告"));
        box->setIcon(QMessageBox::Warning);
        break;
    case BoxKind::Error:
        box->setWindowTitle(QStringLiteral("プロク"));
        box->setIcon(QMessageBox::Critical);
        break;
    }
    if (kind == BoxKind::Confirm || kind == BoxKind::WarningConfirm) {
        QPushButton* yes = box->addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box->addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box->setDefaultButton(yes);
        box->setEscapeButton(no);
    } else {
        // A text of our own rather than QMessageBox::Ok, whose label follows the loaded translation.
        QPushButton* ok = box->addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
        box->setDefaultButton(ok);
        box->setEscapeButton(ok);
    }
    return box;
}

namespace {

bool Ask(BoxKind kind, std::u16string_view text)
{
    const auto box = MakeMessageBox(kind, text, PromptParent());
    const QAbstractButton* yes = box->defaultButton();
    box->exec();
    return box->clickedButton() == yes;
}

} // namespace

QWidget* PromptParent()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

void QtPrompts::Warning(std::u16string_view text)
{
    const gui::OverrideCursor waiting(Qt::ArrowCursor);
    MakeMessageBox(BoxKind::Warning, text, PromptParent())->exec();
}

void QtPrompts::Information(std::u16string_view text)
{
    const gui::OverrideCursor waiting(Qt::ArrowCursor);
    MakeMessageBox(BoxKind::Information, text, PromptParent())->exec();
}

bool QtPrompts::Confirm(std::u16string_view text)
{
    const gui::OverrideCursor waiting(Qt::ArrowCursor);
    return Ask(BoxKind::Confirm, text);
}

bool QtPrompts::WarningConfirm(std::u16string_view text)
{
    const gui::OverrideCursor waiting(Qt::ArrowCursor);
    return Ask(BoxKind::WarningConfirm, text);
}

void QtPrompts::Error(std::u16string_view text)
{
    const gui::OverrideCursor waiting(Qt::ArrowCursor);
    MakeMessageBox(BoxKind::Error, text, PromptParent())->exec();
}

std::optional<std::u16string> QtPrompts::OpenFile(std::u16string_view startAt, std::span<const FileType> types)
{
    const gui::OverrideCursor waiting(Qt::ArrowCursor);
    // "name (patterns)" each, which Qt's own dialog matches in either case.
    QStringList filters;
    for (const FileType& t : types)
        filters << Q(t.name) + QStringLiteral(" (") + Q(t.patterns) + QLatin1Char(')');
    const QString file
        = QFileDialog::getOpenFileName(PromptParent(), QString(), Q(startAt), filters.join(QStringLiteral(";;")));
    if (file.isEmpty())
        return std::nullopt;
    return U(file);
}

std::optional<std::u16string> QtPrompts::BrowseFolder(std::u16string_view instruction, std::u16string_view initial)
{
    const gui::OverrideCursor waiting(Qt::ArrowCursor);
    FolderBrowser browser(instruction, initial, PromptParent());
    if (browser.exec() != QDialog::Accepted || browser.folder().isEmpty())
        return std::nullopt;
    return U(browser.folder());
}

bool QtPrompts::OpenDocument(std::u16string_view file)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(file)));
}

} // namespace plok::app
