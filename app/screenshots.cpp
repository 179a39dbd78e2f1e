// Draws every window of the program in the states a user meets them, offscreen, into PNG files: the pictures of the
// manual, and what a developer looks at after changing a window.
#include "app/FolderBrowser.h"
#include "app/PresenterWindow.h"
#include "app/QtPrompts.h"
#include "app/QtWindows.h"
#include "app/TfrmMain.h"
#include "claims/Anonymize.h"
#include "core/Settings.h"
#include "gui/QtText.h"
#include "gui/WidgetView.h"
#include "testsupport/Pictures.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

using namespace plok;

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
T* Child(QWidget* w, const ControlId& control)
{
    return gui::FindControl<T>(w, control);
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
    test::SilentPrompts prompts;
    const QString social = QStringLiteral("/home/clinic/レセプト/社保/RECEIPTC.UKE");
    const QString national = QStringLiteral("/home/clinic/レセプト/国保/RECEIPTC.UKE");

    {
        app::TfrmMain main(env, prompts);
        main.show();
        shoot.Save(&main, QStringLiteral("main"));
        Child<QLineEdit>(&main, form::TfrmMain::Edit1)->setText(social);
        Child<QLineEdit>(&main, form::TfrmMain::Edit2)->setText(national);
        shoot.Save(&main, QStringLiteral("main-files"));
        Child<QComboBox>(&main, form::TfrmMain::ComboBox1)->setCurrentIndex(1);
        Child<QLineEdit>(&main, form::TfrmMain::Edit4)->setText(QStringLiteral("2"));
        Child<QLineEdit>(&main, form::TfrmMain::Edit5)->setText(QStringLiteral("6"));
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
        QTimer::singleShot(0, [w] {
            Child<QLineEdit>(w, form::TfrmConvert::Edit1)->setText(QStringLiteral("/home/clinic/健診/FF.txt"));
        });
        w->DspSet();
    });
    shoot.SaveModal(QStringLiteral("replace"), [&] {
        auto* w = new app::TfrmReplace(env, prompts);
        QTimer::singleShot(0, [w] {
            Child<QLineEdit>(w, form::TfrmReplace::Edit1)->setText(QStringLiteral("/home/clinic/変換/患者一覧.txt"));
            Child<QLineEdit>(w, form::TfrmReplace::Edit3)->setText(QStringLiteral("/home/clinic/変換/変更定義.csv"));
        });
        w->DspSet();
    });

    // One of the two files kept back by the audit: the result dialog offers the other only.
    const test::RunPictures runs = test::PicturesOfRuns(env,
        {u"/home/clinic/レセプト/国保/RECEIPTC.UK", u"/media/usb/レセプト", u"/home/clinic/.local/share/plok",
            u"/usr/share/doc/plok/manual/index.html"});
    shoot.SaveModal(
        QStringLiteral("msg-one-of-two"), [&] { app::QtWindows(env, prompts, nullptr).OpenResult(runs.oneOfTwo); });
    shoot.SaveModal(QStringLiteral("msg-long"), [&] {
        app::QtWindows(env, prompts, nullptr)
            .OpenResult({CreatedText(u"2024年6月分_受診者一覧_さくら内科クリニック_内科外来R.txt")});
    });
    for (const test::BoxPicture& b : runs.boxes) {
        const auto box = app::MakeMessageBox(b.kind, b.text, nullptr);
        shoot.SaveModal(QString::fromLatin1(b.name), [&] { box->exec(); });
    }
    return 0;
}
