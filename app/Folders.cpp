#include "app/Folders.h"

#include "core/Errors.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plok::app {

namespace {

// The application's display name is "プロク"; the folders carry the program's name.
constexpr char kFolderName[] = "plok";

std::filesystem::path BaseFolder(const std::string& xdgValue, const std::filesystem::path& home, const char* fallback)
{
    const std::filesystem::path value(xdgValue);
    if (value.is_absolute())
        return value;
    if (home.empty() || !home.is_absolute())
        throw Error("ホームフォルダが分かりません。環境変数 HOME を設定してください。");
    return home / fallback;
}

[[noreturn]] void CannotCreate(const char* what, const std::filesystem::path& folder, int errnum)
{
    throw Error(std::string(what) + " \"" + folder.string() + "\" を作成できません。(" + std::strerror(errnum) + ")");
}

// Creates `folder` and every missing folder above it, each readable by the owner alone.
void CreatePrivateFolder(const char* what, const std::filesystem::path& folder)
{
    std::filesystem::path path;
    for (const std::filesystem::path& part : folder) {
        path /= part;
        struct stat st
        { };
        if (stat(path.c_str(), &st) == 0) {
            if (!S_ISDIR(st.st_mode))
                CannotCreate(what, folder, ENOTDIR);
            continue;
        }
        if (errno != ENOENT)
            CannotCreate(what, folder, errno);
        // chmod as well: the umask could have taken away the owner's own bits.
        if ((mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) || chmod(path.c_str(), 0700) != 0)
            CannotCreate(what, folder, errno);
    }
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
    Folders folders;
    const std::filesystem::path portableIni = executableFolder / "user.ini";
    std::error_code ec;
    if (std::filesystem::exists(portableIni, ec)) {
        folders.portable = true;
        folders.workFolder = executableFolder;
        folders.settingsFile = portableIni;
        return folders;
    }
    const std::filesystem::path configFolder = BaseFolder(dirs.configHome, dirs.home, ".config") / kFolderName;
    folders.workFolder = BaseFolder(dirs.dataHome, dirs.home, ".local/share") / kFolderName;
    folders.settingsFile = configFolder / "user.ini";
    CreatePrivateFolder("設定フォルダ", configFolder);
    CreatePrivateFolder("作業フォルダ", folders.workFolder);
    return folders;
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
