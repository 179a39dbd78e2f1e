#include "app/Flow.h"

#include "app/TfrmOption.h"

#include <QCoreApplication>
#include <QStandardPaths>

namespace plok::app {

namespace {

std::filesystem::path ToPath(const QString& s)
{
    return std::filesystem::path(s.toStdU16String());
}

} // namespace

Environment DesktopEnvironment()
{
    Environment env;
    env.programFolder = ToPath(QCoreApplication::applicationDirPath());
    env.settingsFile = env.programFolder / "user.ini";
    QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (downloads.isEmpty())
        downloads = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    env.downloads = ToPath(downloads);
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
