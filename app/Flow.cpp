#include "app/Flow.h"

#include "app/Folders.h"
#include "gui/Fonts.h"
#include "gui/QtText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

// Resources of a static library are linked in only when something names them; the macro must stand outside any
// namespace.
static void InitResources()
{
    Q_INIT_RESOURCE(plok);
}

namespace plok::app {

void PrepareApplication()
{
    InitResources();
    // The display name follows the application name. Setting it as well would make Qt append " — プロク" to every
    // window title, and the captions must read exactly as they do.
    QApplication::setApplicationName(QStringLiteral("プロク"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/plok/plok.svg")));
    QFont font(QString::fromLatin1(gui::kUiFontFamily));
    font.setPixelSize(12);
    QApplication::setFont(font);
    // Qt's own dialogs (file dialogs, standard buttons) speak Japanese too.
    static QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);
}

void Activate(QWidget* window)
{
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
    if (QWidget* modal = QApplication::activeModalWidget()) {
        modal->raise();
        modal->activateWindow();
    }
}

Environment DesktopEnvironment()
{
    const std::filesystem::path executableFolder = gui::ToPath(QCoreApplication::applicationDirPath());
    const Folders folders = ResolveFolders(executableFolder, UserDirs::FromEnvironment());
    Environment env;
    env.programFolder = folders.workFolder;
    env.settingsFile = folders.settingsFile;
    env.manual = FindManual(executableFolder);
    env.downloads = DeliveryFolder(gui::ToPath(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)),
        gui::ToPath(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation)));
    return env;
}

std::unique_ptr<TfrmMain> CreateMainWindow(const Environment& env, Prompts& prompts)
{
    return std::make_unique<TfrmMain>(env, prompts);
}

} // namespace plok::app
