// A file dropped from the desktop onto a file field reaches the window's presenter, which checks it as one chosen in
// the open-file dialog (tested on the presenters); anything else dropped is refused by the field.
#include "app/PresenterWindow.h"
#include "app/TfrmMain.h"
#include "support/GuiSupport.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QUrl>
#include <functional>
#include <memory>

#include <gtest/gtest.h>

namespace plok::test {
namespace {

using Convert = form::TfrmConvert;
using Main = form::TfrmMain;
using Replace = form::TfrmReplace;

/// Drops `urls` onto `edit` as a desktop would; true when the field accepted the drag.
bool Drop(QLineEdit* edit, const QList<QUrl>& urls)
{
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = edit->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(edit, &drop);
    return true;
}

class Drops : public GuiFixture
{ };

TEST_F(Drops, ADroppedFileReachesThePresenterOfEveryFileField)
{
    const std::u16string social = DataFile("social.UKE", "IR,1,13,1\r\n");
    const std::u16string national = DataFile("national.UKE", "IR,2,13,1\r\n");
    struct Case
    {
        std::function<QWidget*()> make;
        ControlId edit;
        std::u16string file;
    };
    const std::vector<Case> cases = {
        {[&] { return new app::TfrmMain(env, prompts); }, Main::Edit1, social},
        {[&] { return new app::TfrmMain(env, prompts); }, Main::Edit2, national},
        {[&] { return new app::TfrmConvert(env, prompts); }, Convert::Edit1, social},
        {[&] { return new app::TfrmReplace(env, prompts); }, Replace::Edit1, social},
        {[&] { return new app::TfrmReplace(env, prompts); }, Replace::Edit3, national},
    };
    for (const Case& c : cases) {
        const std::unique_ptr<QWidget> window(c.make());
        SCOPED_TRACE(testing::Message() << c.edit);
        prompts.Clear();
        window->show();
        auto* edit = Control<QLineEdit>(window.get(), c.edit);
        ASSERT_TRUE(Drop(edit, {QUrl::fromLocalFile(QString::fromStdU16String(c.file))}));
        EXPECT_EQ(edit->text(), QString::fromStdU16String(c.file));
        EXPECT_TRUE(prompts.shown().empty());
    }
    // Every file of one drop reaches the presenter: the month's two files dropped together on one field go each to
    // the field of its payer.
    const QList<QUrl> both = {QUrl::fromLocalFile(QString::fromStdU16String(national)),
        QUrl::fromLocalFile(QString::fromStdU16String(social))};
    const std::unique_ptr<QWidget> main(new app::TfrmMain(env, prompts));
    main->show();
    prompts.Clear();
    ASSERT_TRUE(Drop(Control<QLineEdit>(main.get(), Main::Edit1), both));
    EXPECT_EQ(Control<QLineEdit>(main.get(), Main::Edit1)->text(), QString::fromStdU16String(social));
    EXPECT_EQ(Control<QLineEdit>(main.get(), Main::Edit2)->text(), QString::fromStdU16String(national));
    EXPECT_TRUE(prompts.shown().empty());
    // A field of one file takes none of two, and says so.
    const std::unique_ptr<QWidget> convert(new app::TfrmConvert(env, prompts));
    convert->show();
    ASSERT_TRUE(Drop(Control<QLineEdit>(convert.get(), Convert::Edit1), both));
    EXPECT_EQ(Control<QLineEdit>(convert.get(), Convert::Edit1)->text(), QString());
    EXPECT_EQ(
        prompts.Texts("warning"), std::vector<std::u16string> {u"この欄には、ファイルを1つだけドロップしてください。"});
}

TEST_F(Drops, WhatIsNoLocalFileIsRefused)
{
    const std::unique_ptr<app::TfrmMain> window(new app::TfrmMain(env, prompts));
    window->show();
    auto* edit = Control<QLineEdit>(window.get(), Main::Edit1);
    EXPECT_FALSE(Drop(edit, {QUrl(QStringLiteral("https://example.invalid/RECEIPTC.UKE"))}));
    EXPECT_FALSE(Drop(edit, {}));
    EXPECT_EQ(edit->text(), QString());
    EXPECT_TRUE(prompts.shown().empty());
}

} // namespace
} // namespace plok::test
