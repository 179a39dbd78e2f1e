#include "app/Flow.h"

#include "app/Folders.h"
#include "app/TfrmOption.h"
#include "gui/QtText.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace plok::app {

Environment DesktopEnvironment()
{
    const Folders folders
        = ResolveFolders(gui::ToPath(QCoreApplication::applicationDirPath()), UserDirs::FromEnvironment());
    Environment env;
    env.programFolder = folders.workFolder;
    env.settingsFile = folders.settingsFile;
    QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (downloads.isEmpty())
        downloads = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    env.downloads = gui::ToPath(downloads);
    return env;
}

void OpenOptionWindow(const Environment& env, Prompts& prompts, QWidget* parent)
{
    (new TfrmOption(env, prompts, parent))->DspSet();
}

std::unique_ptr<claims::TfrmMain> CreateMainWindow(const Environment& env, Prompts& prompts)
{
    auto window = std::make_unique<claims::TfrmMain>(env, prompts);
    window->SetOnOptions([env, &prompts, parent = window.get()] { OpenOptionWindow(env, prompts, parent); });
    return window;
}

} // namespace plok::app
