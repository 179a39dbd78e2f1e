#include "app/Flow.h"

#include "app/TfrmOption.h"
#include "gui/QtText.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace plok::app {

Environment DesktopEnvironment()
{
    Environment env;
    env.programFolder = gui::ToPath(QCoreApplication::applicationDirPath());
    env.settingsFile = env.programFolder / "user.ini";
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
