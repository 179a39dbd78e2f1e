// The result dialog as a view: its layout and text, and that its button reaches its presenter. What is delivered
// where is tested on claims::MsgPresenter.
#include "app/TfrmMsg.h"

#include "app/QtWindows.h"
#include "support/GuiSupport.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using namespace Qt::StringLiterals;
using test::CheckLayout;
using test::Click;
using test::Control;
using test::ModalAs;
using test::WhileModal;
using test::WriteBytes;
namespace fs = std::filesystem;

constexpr char16_t kMessage[] = u"社保と国保の匿名化ファイルが作成されました";

class TfrmMsgTest : public test::GuiFixture
{
protected:
    /// Opens the result dialog for `file1` as a job does and runs `inside` on it; returns whether the dialog was gone
    /// once it returned.
    bool Open(const std::u16string& file1, const std::function<void(TfrmMsg*)>& inside,
        const std::u16string& message = kMessage)
    {
        QPointer<TfrmMsg> dialog;
        WhileModal(
            [&] {
                QtWindows(env, prompts, nullptr).OpenResult({message, file1, u""});
            },
            [&](QWidget* w) {
                dialog = ModalAs<TfrmMsg>(w);
                if (dialog)
                    inside(dialog);
            });
        return dialog.isNull();
    }
};

TEST_F(TfrmMsgTest, Layout)
{
    EXPECT_TRUE(Open(u"50605_1.UKE", [](TfrmMsg* dialog) {
        CheckLayout(dialog,
            {u"確認"_s, {329, 96}, 11, Qt::Dialog,
                {
                    {"Label1", "QLabel", {8, 24, 308, 17}, QString::fromUtf16(kMessage), true, -1},
                    {"Button1", "QPushButton", {116, 57, 117, 25}, u"ダウンロード"_s, true, 0},
                    {"Memo1", "QPlainTextEdit", {8, 104, 313, 43}, {}, true, 1},
                }});
        const auto* label = Control<QLabel>(dialog, "Label1");
        EXPECT_EQ(label->font().family(), u"Noto Sans CJK JP"_s);
        EXPECT_EQ(label->font().pixelSize(), 13);
        EXPECT_FALSE(label->wordWrap());
        const auto* button = Control<QPushButton>(dialog, "Button1");
        EXPECT_EQ(button->font().family(), u"Noto Sans CJK JP"_s);
        EXPECT_EQ(button->font().pixelSize(), 12);
        EXPECT_EQ(Control<QPlainTextEdit>(dialog, "Memo1")->lineWrapMode(), QPlainTextEdit::NoWrap);
        dialog->close();
    }));
}

TEST_F(TfrmMsgTest, LongMessageStaysOnOneLineAndRunsToTheEdge)
{
    const std::u16string longMessage(80, u'長');
    Open(
        u"",
        [](TfrmMsg* dialog) {
            const auto* label = Control<QLabel>(dialog, "Label1");
            EXPECT_EQ(label->text().size(), 80);
            EXPECT_EQ(label->height(), 17);
            EXPECT_GT(label->geometry().right(), dialog->width());
            dialog->close();
        },
        longMessage);
}

TEST_F(TfrmMsgTest, TheButtonDeliversAndClosesTheCloseBoxOnlyCloses)
{
    Setting(u"SAVEFDR", (root / "data").u16string());
    WriteBytes(env.programFolder / "50605_1.UKE", "IR,1\r\n");
    EXPECT_TRUE(Open(u"50605_1.UKE", [](TfrmMsg* dialog) { dialog->close(); }));
    EXPECT_TRUE(fs::exists(env.programFolder / "50605_1.UKE"));
    EXPECT_TRUE(Open(u"50605_1.UKE", [](TfrmMsg* dialog) {
        EXPECT_EQ(Control<QPushButton>(dialog, "Button1")->text(), u"保存"_s);
        Click(dialog, "Button1");
    }));
    EXPECT_FALSE(fs::exists(env.programFolder / "50605_1.UKE"));
    EXPECT_TRUE(fs::exists(root / "data" / "50605_1.UKE"));
    EXPECT_TRUE(prompts.shown().empty());
}

} // namespace
} // namespace plok::app
