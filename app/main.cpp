#include "app/Flow.h"
#include "app/QtPrompts.h"
#include "app/SingleInstance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>
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
    // Before anything of Qt: a second start must end without showing or printing anything.
    const plok::app::SingleInstance instance(plok::app::RuntimeFolder(), "PlokMutex");
    if (!instance.IsFirst())
        return 0;

    if (!HasDisplay()) {
        std::fputs(
            "プロクを起動できません: 画面（ディスプレイ）が見つかりません。デスクトップの中で起動してください。\n"
            "plok cannot start: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set). "
            "Start it from a desktop session.\n",
            stderr);
        return 1;
    }

    QApplication app(argc, argv);
    // The display name follows the application name. Setting it as well would make Qt append " — プロク" to every
    // window title, and the captions must read exactly as they do.
    QApplication::setApplicationName(QStringLiteral("プロク"));
    // Qt's own dialogs (file dialogs, standard buttons) speak Japanese too.
    QTranslator qtJapanese;
    if (qtJapanese.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtJapanese);

    const plok::Environment env = plok::app::DesktopEnvironment();
    plok::app::QtPrompts prompts;
    const auto mainWindow = plok::app::CreateMainWindow(env, prompts);
    mainWindow->show();
    QApplication::exec();
    return 0;
}
