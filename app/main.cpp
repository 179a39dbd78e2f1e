#include "app/Flow.h"
#include "app/QtPrompts.h"
#include "app/SignalBridge.h"
#include "app/SingleInstance.h"
#include "core/Text.h"
#include "core/Version.h"
#include "gui/ClickGate.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStyleHints>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <optional>

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
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("plok %s\n", plok::kVersion);
        return 0;
    }

    // A logout or Ctrl+C closes the windows as the close button does, so the settings are saved; caught from here on,
    // handled once the event loop runs.
    plok::app::SignalBridge bridge({SIGTERM, SIGINT});

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
    bridge.Deliver(&app, [](int) { QApplication::closeAllWindows(); });
    plok::app::PrepareApplication();
    // The second click of a double-click that opened or closed a window reaches no window.
    plok::gui::InstallClickGate(
        &app, std::chrono::milliseconds(QGuiApplication::styleHints()->mouseDoubleClickInterval()));

    plok::app::QtPrompts prompts;
    std::optional<plok::Environment> env;
    try {
        env = plok::app::DesktopEnvironment();
    } catch (const std::exception& e) {
        // Also on stderr: started from a terminal, the reason stays readable after the box is gone.
        std::fprintf(stderr, "plok: %s\n", e.what());
        prompts.Error(plok::FromUtf8(e.what()));
        return 1;
    }
    const auto mainWindow = plok::app::CreateMainWindow(*env, prompts);
    const plok::app::ActivationServer activation(plok::app::ActivationSocket(runtime, "PlokMutex"),
        [window = mainWindow.get()] { plok::app::Activate(window); });
    mainWindow->show();
    QApplication::exec();
    return 0;
}
