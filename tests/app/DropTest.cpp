// A file dropped from the desktop onto a file field goes through the same check and messages as one chosen in the
// open-file dialog.
#include "claims/TfrmMain.h"
#include "support/GuiSupport.h"
#include "tools/TfrmConvert.h"
#include "tools/TfrmReplace.h"

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

TEST_F(Drops, ADroppedFileIsCheckedAsAChosenOne)
{
    const std::u16string social = DataFile("social.UKE", "IR,1,13,1\r\n");
    const std::u16string national = DataFile("national.UKE", "IR,2,13,1\r\n");
    const std::u16string empty = DataFile("empty.txt", "");
    struct Case
    {
        const char* name;
        std::function<QWidget*()> make;
        const char* edit;
        std::u16string file;
        std::vector<std::u16string> warnings; // empty: the field takes the file
    };
    const std::vector<Case> cases = {
        {"social file on 社保", [&] { return new claims::TfrmMain(env, prompts); }, "Edit1", social, {}},
        {"national file on 社保", [&] { return new claims::TfrmMain(env, prompts); }, "Edit1", national,
            {u"社保のレセ電データではありません。"}},
        {"national file on 国保", [&] { return new claims::TfrmMain(env, prompts); }, "Edit2", national, {}},
        {"social file on 国保", [&] { return new claims::TfrmMain(env, prompts); }, "Edit2", social,
            {u"国保のレセ電データではありません。"}},
        {"converter source", [&] { return new tools::TfrmConvert(env, prompts); }, "Edit1", social, {}},
        {"empty converter source", [&] { return new tools::TfrmConvert(env, prompts); }, "Edit1", empty,
            {u"正しいFFファイルではありません。"}},
        {"replacement source", [&] { return new tools::TfrmReplace(env, prompts); }, "Edit1", social, {}},
        {"replacement table", [&] { return new tools::TfrmReplace(env, prompts); }, "Edit3", social, {}},
        {"empty replacement table", [&] { return new tools::TfrmReplace(env, prompts); }, "Edit3", empty,
            {u"変換定義ファイルではありません。"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        prompts.Clear();
        const std::unique_ptr<QWidget> window(c.make());
        window->show();
        auto* edit = Control<QLineEdit>(window.get(), c.edit);
        ASSERT_TRUE(Drop(edit, {QUrl::fromLocalFile(QString::fromStdU16String(c.file))}));
        EXPECT_EQ(prompts.Texts("warning"), c.warnings);
        EXPECT_EQ(edit->text(), c.warnings.empty() ? QString::fromStdU16String(c.file) : QString());
    }
}

TEST_F(Drops, WhatIsNoLocalFileIsRefused)
{
    const std::unique_ptr<claims::TfrmMain> window(new claims::TfrmMain(env, prompts));
    window->show();
    auto* edit = Control<QLineEdit>(window.get(), "Edit1");
    EXPECT_FALSE(Drop(edit, {QUrl(QStringLiteral("https://example.invalid/RECEIPTC.UKE"))}));
    EXPECT_FALSE(Drop(edit, {}));
    EXPECT_EQ(edit->text(), QString());
    EXPECT_TRUE(prompts.shown().empty());
}

} // namespace
} // namespace plok::test
