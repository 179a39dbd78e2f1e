#include "app/Flow.h"
#include "app/QtPrompts.h"
#include "app/SingleInstance.h"

#include <QApplication>
#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

namespace {

bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// Without any of these Qt would abort with a message about platform plugins that tells a user nothing.
bool HasDisplay()
{
    return IsSet("QT_QPA_PLATFORM") || IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

} // namespace

int main(int argc, char** argv)
{
    // Before anything of Qt's windows: a second start must end without showing or printing anything; it only asks the
    // running instance to come to the front.
    const std::filesystem::path runtime = plok::app::RuntimeFolder();
    const plok::app::SingleInstance instance(runtime, "PlokMutex");
    if (!instance.IsFirst()) {
        const QCoreApplication quiet(argc, argv);
        plok::app::AskToActivate(plok::app::ActivationSocket(runtime, "PlokMutex"));
        return 0;
    }

    if (!HasDisplay()) {
        std::fputs(
            "プロクを起動できません: 画面（ディスプレイ）が見つかりません。デスクトップの中で起動してください。\n"
            "plok cannot start: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set). "
            "Start it from a desktop session.\n",
            stderr);
        return 1;
    }

    QApplication app(argc, argv);
    plok::app::PrepareApplication();

    const plok::Environment env = plok::app::DesktopEnvironment();
    plok::app::QtPrompts prompts;
    const auto mainWindow = plok::app::CreateMainWindow(env, prompts);
    const plok::app::ActivationServer activation(plok::app::ActivationSocket(runtime, "PlokMutex"),
        [window = mainWindow.get()] { plok::app::Activate(window); });
    mainWindow->show();
    QApplication::exec();
    return 0;
}
