#include "app/QtPrompts.h"

#include "app/FolderBrowser.h"
#include "claims/ClaimsFile.h"
#include "support/GuiSupport.h"
#include "support/ScopedEnv.h"
#include "support/TempDir.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

namespace plok::app {
namespace {

using namespace Qt::StringLiterals;
using test::TempDir;
using test::WhileModal;

QStringList ButtonTexts(const QMessageBox& box)
{
    QStringList texts;
    for (const QAbstractButton* b : box.buttons())
        texts << b->text();
    texts.sort();
    return texts;
}

QAbstractButton* ButtonWithText(const QMessageBox& box, const QString& text)
{
    for (QAbstractButton* b : box.buttons())
        if (b->text() == text)
            return b;
    return nullptr;
}

TEST(QtPrompts, BoxesHaveTheirTitleIconAndButtons)
{
    struct Case
    {
        BoxKind kind;
        QString title;
        QMessageBox::Icon icon;
        QStringList buttons; // sorted
        QString defaultButton;
    };
    const std::vector<Case> cases = {
        {BoxKind::Warning, QStringLiteral("警告"), QMessageBox::Warning, {QStringLiteral("OK")}, QStringLiteral("OK")},
        {BoxKind::Information, QStringLiteral("情報"), QMessageBox::Information, {QStringLiteral("OK")},
            QStringLiteral("OK")},
        {BoxKind::Confirm, QStringLiteral("確認"), QMessageBox::Question,
            {QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)")}, QStringLiteral("はい(&Y)")},
        {BoxKind::WarningConfirm, QStringLiteral("警告"), QMessageBox::Warning,
            {QStringLiteral("いいえ(&N)"), QStringLiteral("はい(&Y)")}, QStringLiteral("はい(&Y)")},
        {BoxKind::Error, QStringLiteral("プロク"), QMessageBox::Critical, {QStringLiteral("OK")}, QStringLiteral("OK")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        const auto box = MakeMessageBox(c.kind, u"本文です", nullptr);
        EXPECT_EQ(box->windowTitle(), c.title);
        EXPECT_EQ(box->text(), QStringLiteral("本文です"));
        EXPECT_EQ(box->icon(), c.icon);
        EXPECT_EQ(ButtonTexts(*box), c.buttons);
        ASSERT_NE(box->defaultButton(), nullptr);
        EXPECT_EQ(box->defaultButton()->text(), c.defaultButton);
    }
}

TEST(QtPrompts, ConfirmIsTrueForYesOnly)
{
    struct Case
    {
        const char* name;
        std::function<void(QMessageBox&)> answer;
        bool expected;
    };
    const std::vector<Case> cases = {
        {"yes", [](QMessageBox& b) { ButtonWithText(b, QStringLiteral("はい(&Y)"))->click(); }, true},
        {"no", [](QMessageBox& b) { ButtonWithText(b, QStringLiteral("いいえ(&N)"))->click(); }, false},
        {"escape", [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Escape); }, false},
        {"enter takes the default", [](QMessageBox& b) { QTest::keyClick(&b, Qt::Key_Return); }, true},
    };
    QtPrompts prompts;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bool answer = !c.expected;
        WhileModal([&] { answer = prompts.Confirm(u"続けますか？"); },
            [&](QWidget* w) {
                if (auto* box = test::ModalAs<QMessageBox>(w))
                    c.answer(*box);
            });
        EXPECT_EQ(answer, c.expected);
    }
}

TEST(QtPrompts, BoxesBelongToTheActiveModalWindow)
{
    QtPrompts prompts;
    QDialog owner;
    QWidget* parent = nullptr;
    QString title;
    WhileModal([&] { owner.exec(); },
        [&](QWidget*) {
            WhileModal([&] { prompts.Warning(u"注意"); },
                [&](QWidget* w) {
                    if (auto* box = test::ModalAs<QMessageBox>(w)) {
                        parent = box->parentWidget();
                        title = box->windowTitle();
                        box->defaultButton()->click();
                    }
                });
            owner.accept();
        });
    EXPECT_EQ(parent, &owner);
    EXPECT_EQ(title, QStringLiteral("警告"));
}

TEST(QtPrompts, OpenFileGivesTheConfirmedPathOrNothing)
{
    TempDir dir;
    test::WriteBytes(dir / "a.txt", "x");
    const QString file = QString::fromStdString((dir / "a.txt").string());
    QtPrompts prompts;
    for (const bool confirm : {true, false}) {
        SCOPED_TRACE(confirm);
        std::optional<std::u16string> chosen = u"unset";
        WhileModal([&] { chosen = prompts.OpenFile(u"", {}); },
            [&](QWidget* w) {
                auto* dialog = test::ModalAs<QFileDialog>(w);
                if (!dialog)
                    return;
                EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
                if (confirm) {
                    dialog->selectFile(file);
                    static_cast<QDialog*>(dialog)->accept(); // protected in QFileDialog
                } else {
                    dialog->reject();
                }
            });
        if (confirm)
            EXPECT_EQ(chosen, file.toStdU16String());
        else
            EXPECT_EQ(chosen, std::nullopt);
    }
}

TEST(QtPrompts, OpenFileOffersTheChoicesOfFilesAndShowsClaimsFilesWhateverTheCaseOfTheirNames)
{
    TempDir dir;
    for (const char* name : {"a.uke", "b.UKE", "c.Cyo", "d.txt"})
        test::WriteBytes(dir / name, "x");
    QtPrompts prompts;
    QStringList shown;
    WhileModal([&] { prompts.OpenFile(dir.path().u16string(), claims::kClaimsFileTypes); },
        [&](QWidget* w) {
            auto* dialog = test::ModalAs<QFileDialog>(w);
            if (!dialog)
                return;
            EXPECT_EQ(
                dialog->nameFilters(), (QStringList {u"レセ電データ (*.UKE *.CYO)"_s, u"すべてのファイル (*)"_s}));
            EXPECT_EQ(dialog->selectedNameFilter(), u"レセ電データ (*.UKE *.CYO)"_s);
            auto* list = dialog->findChild<QListView*>(u"listView"_s);
            ASSERT_NE(list, nullptr);
            const auto names = [&] {
                QStringList n;
                for (int i = 0; i < list->model()->rowCount(list->rootIndex()); ++i)
                    n << list->model()->index(i, 0, list->rootIndex()).data().toString();
                n.sort();
                return n;
            };
            EXPECT_TRUE(QTest::qWaitFor([&] { return names().size() == 3; }, 5000));
            shown = names();
            dialog->reject();
        });
    EXPECT_EQ(shown, (QStringList {u"a.uke"_s, u"b.UKE"_s, u"c.Cyo"_s}));
}

TEST(QtPrompts, BrowseFolderShowsTheInstructionOkAndCancelAndPreselectsOnlyAnExistingFolder)
{
    TempDir dir;
    std::filesystem::create_directories(dir / "start" / "pick");
    const QString start = QString::fromStdString((dir / "start").string());
    const QString pick = QString::fromStdString((dir / "start" / "pick").string());
    const QString missing = QString::fromStdString((dir / "missing").string());
    struct Case
    {
        const char* name;
        QString initial;
        QString preselected;
        bool confirm;
    };
    const std::vector<Case> cases = {
        {"missing initial folder", missing, QString(), true},
        {"existing initial folder", start, start, true},
        {"cancelled", start, start, false},
    };
    QtPrompts prompts;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::optional<std::u16string> chosen = u"unset";
        WhileModal([&] { chosen = prompts.BrowseFolder(u"フォルダを選んでください", c.initial.toStdU16String()); },
            [&](QWidget* w) {
                auto* browser = test::ModalAs<FolderBrowser>(w);
                if (!browser)
                    return;
                const auto* instruction = browser->findChild<QLabel*>("Instruction");
                ASSERT_NE(instruction, nullptr);
                EXPECT_EQ(instruction->text(), QStringLiteral("フォルダを選んでください"));
                EXPECT_TRUE(instruction->isVisible());
                QStringList buttons;
                for (const QPushButton* b : browser->findChildren<QPushButton*>())
                    buttons << b->text();
                buttons.sort();
                EXPECT_EQ(buttons, (QStringList {QStringLiteral("OK"), QStringLiteral("キャンセル")}));
                EXPECT_EQ(browser->folder(), c.preselected);
                auto* ok = browser->findChild<QPushButton*>("OK");
                EXPECT_EQ(ok->isEnabled(), !c.preselected.isEmpty());
                if (!c.confirm) {
                    QTest::mouseClick(browser->findChild<QPushButton*>("Cancel"), Qt::LeftButton);
                    return;
                }
                auto* tree = browser->findChild<QTreeView*>("Folders");
                auto* model = qobject_cast<QFileSystemModel*>(tree->model());
                tree->setCurrentIndex(model->index(pick));
                EXPECT_TRUE(ok->isEnabled());
                QTest::mouseClick(ok, Qt::LeftButton);
            });
        if (c.confirm)
            EXPECT_EQ(chosen, pick.toStdU16String());
        else
            EXPECT_EQ(chosen, std::nullopt);
    }
}

TEST(FolderBrowser, TheStoredFolderStaysInViewWhileTheTreeLoads)
{
    // Many folders sort before the stored one; the tree reads them in the background.
    TempDir dir;
    for (int i = 0; i < 300; ++i)
        std::filesystem::create_directory(dir / ("a" + std::to_string(1000 + i)));
    std::filesystem::create_directories(dir / "z" / "stored");
    const QString stored = QString::fromStdString((dir / "z" / "stored").string());
    FolderBrowser browser(u"フォルダを選んでください", stored.toStdU16String());
    browser.show();
    auto* tree = browser.findChild<QTreeView*>("Folders");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    const QModelIndex parent = model->index(QString::fromStdString(dir.path().string()));
    QTRY_COMPARE(model->rowCount(parent), 301);
    QTest::qWait(200);
    EXPECT_EQ(browser.folder(), stored);
    const QRect shown = tree->visualRect(tree->currentIndex());
    EXPECT_TRUE(tree->viewport()->rect().contains(shown)) << shown.y() << " of " << tree->viewport()->height();
}

TEST(FolderBrowser, OffersHomeAndDownloadsAndStartsAtHome)
{
    TempDir home;
    std::filesystem::create_directories(home / "Downloads");
    const test::ScopedEnv env({{"HOME", home.path().string()}, {"XDG_CONFIG_HOME", std::nullopt}});
    const QString downloads = QString::fromStdString((home / "Downloads").string());
    FolderBrowser browser(u"フォルダを選んでください", u"");
    browser.show();
    auto* places = browser.findChild<QListWidget*>("Places");
    ASSERT_NE(places, nullptr);
    QStringList names;
    for (int i = 0; i < places->count(); ++i)
        names << places->item(i)->text();
    EXPECT_TRUE(names.contains(QStringLiteral("ホーム"))) << names.join(u' ').toStdString();
    EXPECT_TRUE(names.contains(QStringLiteral("ダウンロード"))) << names.join(u' ').toStdString();
    // Nothing chosen yet, but the tree shows the home folder rather than the root's system folders.
    EXPECT_EQ(browser.folder(), QString());
    auto* tree = browser.findChild<QTreeView*>("Folders");
    auto* model = qobject_cast<QFileSystemModel*>(tree->model());
    EXPECT_TRUE(tree->isExpanded(model->index(QString::fromStdString(home.path().string()))));

    const auto item = places->findItems(QStringLiteral("ダウンロード"), Qt::MatchExactly);
    ASSERT_EQ(item.size(), 1);
    QTest::mouseClick(places->viewport(), Qt::LeftButton, {}, places->visualItemRect(item.front()).center());
    EXPECT_EQ(browser.folder(), downloads);
    EXPECT_TRUE(browser.findChild<QPushButton*>("OK")->isEnabled());
}

} // namespace
} // namespace plok::app
