// The result dialog as a view: its layout and text, and that its button reaches its presenter. What is delivered
// where is tested on claims::MsgPresenter.
#include "app/TfrmMsg.h"

#include "app/QtWindows.h"
#include "support/GuiSupport.h"

#include <QPushButton>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using Msg = form::TfrmMsg;

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
                    {Msg::Label1, "QLabel", {8, 24, 308, 17}, QString::fromUtf16(kMessage), true, -1},
                    // Centred: (329 - 117) / 2.
                    {Msg::Button1, "QPushButton", {106, 57, 117, 25}, u"ダウンロード"_s, true, 0},
                    {Msg::Memo1, "QPlainTextEdit", {8, 104, 313, 43}, {}, true, 1},
                }});
        const auto* label = Control<QLabel>(dialog, Msg::Label1);
        EXPECT_EQ(label->font().family(), u"Noto Sans CJK JP"_s);
        EXPECT_EQ(label->font().pixelSize(), 13);
        EXPECT_FALSE(label->wordWrap());
        const auto* button = Control<QPushButton>(dialog, Msg::Button1);
        EXPECT_EQ(button->font().family(), u"Noto Sans CJK JP"_s);
        EXPECT_EQ(button->font().pixelSize(), 12);
        EXPECT_EQ(Control<QPlainTextEdit>(dialog, Msg::Memo1)->lineWrapMode(), QPlainTextEdit::NoWrap);
        dialog->close();
    }));
}

TEST_F(TfrmMsgTest, TheDialogGrowsToHoldALongMessageWholeWithItsButtonCentred)
{
    const int screen = QGuiApplication::primaryScreen()->availableGeometry().width();
    struct Case
    {
        const char* name;
        std::u16string message;
        bool oneLine;
    };
    for (const Case& c :
        {Case {"a long file name", u"2024年6月分_受診者一覧_さくら内科クリニックR.txtが作成されました", true},
            Case {"longer than the screen", std::u16string(200, u'長'), false}}) {
        SCOPED_TRACE(c.name);
        Open(
            u"",
            [&](TfrmMsg* dialog) {
                const auto* label = Control<QLabel>(dialog, Msg::Label1);
                const auto* button = Control<QPushButton>(dialog, Msg::Button1);
                EXPECT_EQ(label->text(), QString::fromStdU16String(c.message));
                EXPECT_EQ(label->height() == 17, c.oneLine);
                EXPECT_GE(dialog->width(), 329);
                EXPECT_LE(dialog->width(), screen);
                EXPECT_LE(label->geometry().right(), dialog->width() - 8);
                EXPECT_LE(label->geometry().bottom(), button->y());
                EXPECT_GE(Control<QPlainTextEdit>(dialog, Msg::Memo1)->y(), dialog->height());
                EXPECT_LE(std::abs(button->x() * 2 + button->width() - dialog->width()), 1);
                // Shrinking it would cut the message again.
                EXPECT_EQ(dialog->minimumSize(), dialog->size());
                dialog->close();
            },
            c.message);
    }
}

TEST_F(TfrmMsgTest, TheButtonDeliversAndEveryOtherWayOfClosingRemovesTheFile)
{
    Setting(u"SAVEFDR", (root / "data").u16string());
    const std::vector<std::pair<const char*, std::function<void(TfrmMsg*)>>> closings = {
        {"close box", [](TfrmMsg* dialog) { dialog->close(); }},
        {"Esc", [](TfrmMsg* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }},
    };
    for (const auto& [name, close] : closings) {
        SCOPED_TRACE(name);
        WriteBytes(env.programFolder / "50605_1.UKE", "IR,1\r\n");
        EXPECT_TRUE(Open(u"50605_1.UKE", close));
        EXPECT_FALSE(fs::exists(env.programFolder / "50605_1.UKE"));
        EXPECT_FALSE(fs::exists(root / "data" / "50605_1.UKE"));
    }
    WriteBytes(env.programFolder / "50605_1.UKE", "IR,1\r\n");
    EXPECT_TRUE(Open(u"50605_1.UKE", [](TfrmMsg* dialog) {
        EXPECT_EQ(Control<QPushButton>(dialog, Msg::Button1)->text(), u"保存"_s);
        Click(dialog, Msg::Button1);
    }));
    EXPECT_FALSE(fs::exists(env.programFolder / "50605_1.UKE"));
    EXPECT_TRUE(fs::exists(root / "data" / "50605_1.UKE"));
    EXPECT_TRUE(prompts.shown().empty());
}

} // namespace
} // namespace plok::app
