// A double-click on a button that opens or closes a modal window: its second click must start nothing in the window
// that lies below or comes up under the pointer.
#include "app/PresenterWindow.h"
#include "app/TfrmMain.h"
#include "app/TfrmMsg.h"
#include "gui/ClickGate.h"
#include "support/GuiSupport.h"

#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <memory>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using Convert = form::TfrmConvert;
using Main = form::TfrmMain;
using Msg = form::TfrmMsg;
using Option = form::TfrmOption;

using test::Click;
using test::Control;
using test::ModalAs;
using test::WhileModal;
namespace fs = std::filesystem;

const std::string kSocial
    = "IR,1,13,1,0123456,,clinic,50605,00,012\r\nRE,1,1112,50605,name,1,3450401,,,,,,,12345-01,x\r\n";

class ClickThrough : public test::GuiFixture
{
protected:
    /// The gate as the program installs it, with a quiet time no test machine can overrun.
    std::unique_ptr<QObject> gate {gui::InstallClickGate(QCoreApplication::instance(), std::chrono::seconds(60))};
};

TEST_F(ClickThrough, TheSecondClickOnTheResultDialogsButtonStartsNothingInTheMainWindow)
{
    QPointer<TfrmMain> main = Show<TfrmMain>();
    test::Type(main, Main::Edit1, QString::fromStdU16String(DataFile("social.UKE", kSocial)));
    // Position mode with blank positions: a branch-number removal that starts shows its warning and opens nothing.
    Control<QComboBox>(main, Main::ComboBox1)->setCurrentIndex(1);
    const auto removalsStarted = [&] {
        const std::vector<std::u16string> warnings = prompts.Texts("warning");
        return std::count_if(warnings.begin(), warnings.end(),
            [](const std::u16string& warning) { return warning.starts_with(u"値が空欄です"); });
    };
    for (const bool gated : {true, false}) {
        SCOPED_TRACE(gated);
        if (!gated)
            gate.reset();
        // The first click delivers and closes the dialog (a click long after it opened, which the gate lets through);
        // the second lands on レセ電データ枝番除去 below it.
        WhileModal([&] { Click(main, Main::Button1); },
            [&](QWidget* w) {
                if (auto* dialog = ModalAs<TfrmMsg>(w))
                    Control<QPushButton>(dialog, Msg::Button1)->click();
            });
        EXPECT_TRUE(fs::exists(env.downloads / "50605_1.UKE"));
        auto* below = Control<QPushButton>(main, Main::Button2);
        QTest::mouseDClick(below, Qt::LeftButton);
        QTest::mouseClick(below, Qt::LeftButton);
        QTest::keyClick(below, Qt::Key_Space);
        // Without the gate the same clicks do start it: they reach the button.
        EXPECT_EQ(removalsStarted() == 0, gated);
    }
}

TEST_F(ClickThrough, TheSecondClickOnAnOptionStartsNothingInTheToolItOpened)
{
    QPointer<TfrmOption> option = Show<TfrmOption>();
    for (const bool gated : {true, false}) {
        SCOPED_TRACE(gated);
        if (!gated) {
            gate.reset();
            prompts.AnswerFile(std::nullopt);
        }
        prompts.Clear();
        WhileModal([&] { Click(option, Option::Button1); },
            [&](QWidget* w) {
                // The converter came up under the pointer: the second click lands on 変換前ファイル選択.
                QTest::mouseClick(Control<QPushButton>(w, Convert::Button3), Qt::LeftButton);
                w->close();
            });
        EXPECT_EQ(prompts.Texts("information").empty(), gated);
    }
}

} // namespace
} // namespace plok::app
