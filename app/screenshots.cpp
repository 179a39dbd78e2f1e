// Draws every window of the program in the states a user meets them, offscreen, into PNG files: the pictures of the
// manual, and what a developer looks at after changing a window.
#include "app/FolderBrowser.h"
#include "app/QtPrompts.h"
#include "app/QtWindows.h"
#include "app/TfrmConvert.h"
#include "app/TfrmMain.h"
#include "app/TfrmOption.h"
#include "app/TfrmReplace.h"
#include "app/TfrmSavePath.h"
#include "claims/Anonymize.h"
#include "claims/Delivery.h"
#include "claims/MainPresenter.h"
#include "claims/MsgPresenter.h"
#include "core/Cp932.h"
#include "core/Settings.h"
#include "gui/QtText.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <fstream>
#include <functional>
#include <vector>

namespace {

using namespace plok;

/// Answers nothing and keeps the texts of the boxes: the pictures show windows, and a box shows what a run said.
class SilentPrompts : public Prompts
{
public:
    void Warning(std::u16string_view text) override { warnings.emplace_back(text); }
    void Information(std::u16string_view) override { }
    bool Confirm(std::u16string_view text) override
    {
        questions.emplace_back(text);
        return false;
    }
    void Error(std::u16string_view) override { }
    std::optional<std::u16string> OpenFile(std::u16string_view) override { return std::nullopt; }
    std::optional<std::u16string> BrowseFolder(std::u16string_view, std::u16string_view) override
    {
        return std::nullopt;
    }
    bool OpenDocument(std::u16string_view) override { return opensDocuments; }

    std::vector<std::u16string> warnings;
    std::vector<std::u16string> questions;
    bool opensDocuments = true;
};

/// A window without a screen; the result dialogs asked for are kept, not opened.
class NoWindows : public View, public WindowOpener
{
public:
    void SetText(std::string_view, std::u16string_view) override { }
    void SetIndex(std::string_view, int) override { }
    void SetVisible(std::string_view, bool) override { }
    void Close() override { }
    void Open(WindowKind) override { }
    void OpenResult(const ResultTriple& result) override { results.push_back(result); }

    std::vector<ResultTriple> results;
};

/// The drawing machine's temporary work folder, shown as the installed program's.
std::u16string AsInstalled(const Environment& env, std::u16string_view text)
{
    QString shown = gui::Q(text);
    shown.replace(QString::fromStdString(env.programFolder.string()), QStringLiteral("/home/clinic/.local/share/plok"));
    return gui::U(shown);
}

class Shooter
{
public:
    explicit Shooter(QString folder)
        : m_folder(std::move(folder))
    { }

    void Save(QWidget* w, const QString& name)
    {
        QApplication::processEvents();
        const QString path = m_folder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (!w->grab().save(path))
            std::fprintf(stderr, "plok-screenshots: cannot write %s\n", qPrintable(path));
        else
            std::printf("%s\n", qPrintable(path));
    }
    /// Shoots the modal window that `open` shows, once `fill` has put its texts in and its contents have loaded,
    /// then closes it.
    void SaveModal(
        const QString& name, const std::function<void()>& open,
        const std::function<void(QWidget*)>& fill = [](QWidget*) {})
    {
        QTimer::singleShot(0, [this, name, fill] {
            QWidget* w = QApplication::activeModalWidget();
            if (!w)
                return;
            fill(w);
            // A folder tree fills itself from the disk in the background.
            QElapsedTimer loading;
            loading.start();
            while (loading.elapsed() < 300)
                QApplication::processEvents(QEventLoop::AllEvents, 50);
            Save(w, name);
            w->close();
        });
        open();
    }

private:
    QString m_folder;
};

template<class T>
T* Child(QWidget* w, const char* name)
{
    return w->findChild<T*>(QString::fromLatin1(name));
}

void WriteClaimsFile(const std::filesystem::path& path, const std::vector<std::u16string>& lines)
{
    std::ofstream out(path, std::ios::binary);
    for (const std::u16string& line : lines)
        out << cp932::Encode(line) << "\r\n";
}

/// What the main window's decisions said and handed on.
struct MainRun
{
    std::vector<std::u16string> warnings;
    std::vector<ResultTriple> results;
};

/// Anonymises a small month through the main window's decisions, as staff do: the social file carries its patient's
/// name in a note typed to a disease name, which the audit finds, so only the national copy is written (into
/// `env.programFolder`).
MainRun AnonymiseMonth(const Environment& env)
{
    const std::filesystem::path social = env.programFolder / "social.UKE";
    const std::filesystem::path national = env.programFolder / "national.UKE";
    WriteClaimsFile(social,
        {u"IR,1,13,1,1310001,,さくら内科クリニック,50605,00,03-1111-2222",
            u"RE,1,1112,50605,山田　太郎,1,3450101,,,,,,,1234-01", u"HO,06139999,あい,４５６７８,1,100",
            u"SY,0000999,20240601,,01,,,山田　太郎さん申出"});
    WriteClaimsFile(national,
        {u"IR,2,13,1,1310001,,さくら内科クリニック,50605,00,03-1111-2222",
            u"RE,1,1112,50605,佐藤　花子,2,3500202,,,,,,,5678-02", u"HO,138057,,１２３４,1,100"});
    SilentPrompts prompts;
    NoWindows none;
    claims::MainPresenter main(env, prompts, none, none);
    main.Edit1Change(social.u16string());
    main.Edit2Change(national.u16string());
    main.Button1Click();
    return {prompts.warnings, none.results};
}

/// Warnings of the main window that have a picture.
struct MainWarnings
{
    std::u16string missing; // a national file typed wrong
    std::u16string rangeOrder; // a start position after the end
    std::u16string manual; // no program opens the manual
};

MainWarnings WarningsOfTheMainWindow(const Environment& env)
{
    SilentPrompts prompts;
    NoWindows none;
    Environment withManual = env;
    withManual.manual = env.programFolder / "index.html";
    WriteClaimsFile(withManual.manual, {u"<!DOCTYPE html>"});
    claims::MainPresenter main(withManual, prompts, none, none);
    MainWarnings shown;
    main.Edit1Change((env.programFolder / "social.UKE").u16string());
    main.Edit2Change(u"/home/clinic/レセプト/国保/RECEIPTC.UK");
    main.ComboBox1Change(1);
    main.Edit4Change(u"6");
    main.Edit5Change(u"1");
    main.Button2Click();
    prompts.opensDocuments = false;
    main.Button5Click();
    if (prompts.warnings.size() != 3)
        return {};
    QString manual = gui::Q(prompts.warnings[2]);
    manual.replace(
        QString::fromStdString(withManual.manual.string()), QStringLiteral("/usr/share/doc/plok/manual/index.html"));
    return {prompts.warnings[1], prompts.warnings[0], gui::U(manual)};
}

/// The question of the result dialog's button when the save folder is missing (a USB stick not plugged in).
std::u16string UndeliveredQuestion(const Environment& env)
{
    std::filesystem::copy_file(env.programFolder / "national.UKE", env.programFolder / "50605_2.UKE",
        std::filesystem::copy_options::overwrite_existing);
    settings::Write(env.settingsFile, settings::kSaveFolder, u"/media/usb/レセプト");
    SilentPrompts prompts;
    NoWindows none;
    claims::MsgPresenter dialog(env, prompts, none);
    dialog.InitSet();
    dialog.DspSet({claims::kAnonymizedText, u"", u"50605_2.UKE"});
    dialog.Button1Click();
    settings::Write(env.settingsFile, settings::kSaveFolder, u"");
    return prompts.questions.empty() ? std::u16string() : AsInstalled(env, prompts.questions.front());
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("プロク"));
    if (argc != 2) {
        std::fprintf(stderr, "usage: plok-screenshots FOLDER\n");
        return 2;
    }
    QDir().mkpath(QString::fromLocal8Bit(argv[1]));
    Shooter shoot(QString::fromLocal8Bit(argv[1]));

    QTemporaryDir work;
    const std::filesystem::path root = gui::ToPath(work.path());
    const Environment env {root, root / "user.ini", root / "Downloads"};
    SilentPrompts prompts;
    const QString social = QStringLiteral("/home/clinic/レセプト/社保/RECEIPTC.UKE");
    const QString national = QStringLiteral("/home/clinic/レセプト/国保/RECEIPTC.UKE");

    {
        app::TfrmMain main(env, prompts);
        main.show();
        shoot.Save(&main, QStringLiteral("main"));
        Child<QLineEdit>(&main, "Edit1")->setText(social);
        Child<QLineEdit>(&main, "Edit2")->setText(national);
        shoot.Save(&main, QStringLiteral("main-files"));
        Child<QComboBox>(&main, "ComboBox1")->setCurrentIndex(1);
        Child<QLineEdit>(&main, "Edit4")->setText(QStringLiteral("2"));
        Child<QLineEdit>(&main, "Edit5")->setText(QStringLiteral("6"));
        shoot.Save(&main, QStringLiteral("main-position"));
    }

    for (const bool folder : {false, true}) {
        settings::Write(env.settingsFile, settings::kSaveFolder, folder ? u"/media/usb/レセプト" : u"");
        shoot.SaveModal(folder ? QStringLiteral("savepath-folder") : QStringLiteral("savepath-downloads"),
            [&] { (new app::TfrmSavePath(env, prompts))->DspSet(); });
        shoot.SaveModal(folder ? QStringLiteral("msg-save") : QStringLiteral("msg-download"),
            [&] { app::QtWindows(env, prompts, nullptr).OpenResult({claims::kAnonymizedText}); });
    }
    {
        // A clinic's home folder, with a save folder of its own among the Downloads.
        const QString home = work.path() + QStringLiteral("/clinic");
        const QString stored = home + QStringLiteral("/Downloads/レセプト");
        for (const char* folder : {"Desktop", "Documents", "Downloads/レセプト", "Downloads/健診"})
            QDir().mkpath(home + QLatin1Char('/') + QString::fromUtf8(folder));
        const QByteArray realHome = qgetenv("HOME");
        qputenv("HOME", home.toLocal8Bit());
        shoot.SaveModal(QStringLiteral("folder-browser"),
            [&] { app::FolderBrowser(u"保存先フォルダを指定してＯＫをクリックしてください", gui::U(stored)).exec(); });
        shoot.SaveModal(QStringLiteral("folder-browser-home"),
            [&] { app::FolderBrowser(u"保存先フォルダを指定してＯＫをクリックしてください", u"").exec(); });
        qputenv("HOME", realHome);
    }
    shoot.SaveModal(QStringLiteral("option"), [&] { (new app::TfrmOption(env, prompts))->DspSet(); });
    settings::Write(env.settingsFile, settings::kStrongAnonymization, u"1");
    shoot.SaveModal(QStringLiteral("option-strong"), [&] { (new app::TfrmOption(env, prompts))->DspSet(); });
    settings::Write(env.settingsFile, settings::kStrongAnonymization, u"");
    shoot.SaveModal(QStringLiteral("msg-strong"),
        [&] { app::QtWindows(env, prompts, nullptr).OpenResult({claims::kStrongAnonymizedText}); });
    shoot.SaveModal(QStringLiteral("convert"), [&] {
        auto* w = new app::TfrmConvert(env, prompts);
        QTimer::singleShot(
            0, [w] { Child<QLineEdit>(w, "Edit1")->setText(QStringLiteral("/home/clinic/健診/FF.txt")); });
        w->DspSet();
    });
    shoot.SaveModal(QStringLiteral("replace"), [&] {
        auto* w = new app::TfrmReplace(env, prompts);
        QTimer::singleShot(0, [w] {
            Child<QLineEdit>(w, "Edit1")->setText(QStringLiteral("/home/clinic/変換/患者一覧.txt"));
            Child<QLineEdit>(w, "Edit3")->setText(QStringLiteral("/home/clinic/変換/変更定義.csv"));
        });
        w->DspSet();
    });

    // One of the two files kept back by the audit: the result dialog offers the other only.
    const MainRun month = AnonymiseMonth(env);
    if (month.warnings.size() != 1 || month.results.size() != 1) {
        std::fprintf(stderr,
            "plok-screenshots: the month's anonymisation gave %zu warnings and %zu result dialogs, "
            "not the audit's one and the national file's\n",
            month.warnings.size(), month.results.size());
        return 1;
    }
    shoot.SaveModal(QStringLiteral("msg-one-of-two"),
        [&] { app::QtWindows(env, prompts, nullptr).OpenResult(month.results.front()); });
    shoot.SaveModal(QStringLiteral("msg-long"), [&] {
        app::QtWindows(env, prompts, nullptr)
            .OpenResult({CreatedText(u"2024年6月分_受診者一覧_さくら内科クリニック_内科外来R.txt")});
    });
    const MainWarnings warnings = WarningsOfTheMainWindow(env);
    const std::u16string undelivered = UndeliveredQuestion(env);
    if (warnings.missing.empty() || undelivered.empty()) {
        std::fprintf(stderr, "plok-screenshots: the main window's warnings or the delivery's question are missing\n");
        return 1;
    }
    struct Box
    {
        const char* name;
        app::BoxKind kind;
        std::u16string text;
    };
    const std::vector<Box> boxes = {
        {"box-missing", app::BoxKind::Warning, warnings.missing},
        {"box-range-order", app::BoxKind::Warning, warnings.rangeOrder},
        {"box-manual", app::BoxKind::Warning, warnings.manual},
        {"box-information", app::BoxKind::Information, u"社保のレセ電データファイルを選択します"},
        {"box-confirm", app::BoxKind::Confirm, u"新しいレセ電ファイルを選択しますか？"},
        {"box-error", app::BoxKind::Error, u"リストのインデックスが範囲を超えています (13)"},
        {"box-audit", app::BoxKind::Warning, month.warnings.front()},
        {"box-undelivered", app::BoxKind::Confirm, undelivered},
    };
    for (const Box& b : boxes) {
        const auto box = app::MakeMessageBox(b.kind, b.text, nullptr);
        shoot.SaveModal(QString::fromLatin1(b.name), [&] { box->exec(); });
    }
    return 0;
}
