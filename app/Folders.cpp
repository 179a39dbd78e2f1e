#include "app/Folders.h"

#include "core/Errors.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace plok::app {

namespace {

std::filesystem::path BaseFolder(const std::string& xdgValue, const std::filesystem::path& home, const char* fallback)
{
    const std::filesystem::path value(xdgValue);
    if (value.is_absolute())
        return value;
    if (home.empty() || !home.is_absolute())
        throw Error("ホームフォルダが分かりません。環境変数 HOME を設定してください。");
    return home / fallback;
}

} // namespace

UserDirs UserDirs::FromEnvironment()
{
    UserDirs dirs;
    const auto get = [](const char* name) {
        const char* value = std::getenv(name);
        return std::string(value ? value : "");
    };
    dirs.home = get("HOME");
    if (dirs.home.empty())
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            dirs.home = pw->pw_dir;
    dirs.configHome = get("XDG_CONFIG_HOME");
    dirs.dataHome = get("XDG_DATA_HOME");
    return dirs;
}

Folders ResolveFolders(const std::filesystem::path& executableFolder, const UserDirs& dirs)
{
    if (const std::optional<Folders> portable = PortableFolders(executableFolder))
        return *portable;
    return InstalledFolders(
        BaseFolder(dirs.configHome, dirs.home, ".config"), BaseFolder(dirs.dataHome, dirs.home, ".local/share"));
}

std::filesystem::path FindManual(const std::filesystem::path& executableFolder)
{
    for (const std::filesystem::path& page :
        {executableFolder / PLOK_MANUAL_FROM_BINDIR, std::filesystem::path(PLOK_SOURCE_MANUAL)}) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(page, ec))
            return page.lexically_normal();
    }
    return {};
}

} // namespace plok::app
