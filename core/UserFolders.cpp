#include "core/UserFolders.h"

#include "core/Errors.h"

#include <cerrno>
#include <cstdlib>
#include <string>

#ifdef _WIN32
#include "core/win32/Win32.h"
#else
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace plok {

namespace {

// The application's display name is "プロク"; the folders carry the program's name.
constexpr char kFolderName[] = "plok";

std::filesystem::path BaseFolder(
    const std::filesystem::path& xdgValue, const std::filesystem::path& home, const char* fallback)
{
    if (xdgValue.is_absolute())
        return xdgValue;
    if (home.empty() || !home.is_absolute())
        throw Error("ホームフォルダが分かりません。環境変数 HOME を設定してください。");
    return home / fallback;
}

[[noreturn]] void CannotCreate(const char* what, const std::filesystem::path& folder, int errnum)
{
    throw Error(
        std::string(what) + " \"" + folder.string() + "\" を作成できません。(" + SystemReasonText(errnum) + ")");
}

} // namespace

SettingsPlace FindSettings(const std::filesystem::path& executableFolder, const UserDirs& dirs)
{
    const std::filesystem::path portableIni = executableFolder / kSettingsFileName;
    std::error_code ec;
    if (!executableFolder.empty() && std::filesystem::exists(portableIni, ec))
        return {true, portableIni};
    return {false, BaseFolder(dirs.configHome, dirs.home, ".config") / kFolderName / kSettingsFileName};
}

std::filesystem::path DataFolder(const UserDirs& dirs)
{
    return BaseFolder(dirs.dataHome, dirs.home, ".local/share") / kFolderName;
}

#ifdef _WIN32

UserDirs UserDirs::FromEnvironment()
{
    const auto get = [](const wchar_t* name) {
        const wchar_t* value = ::_wgetenv(name);
        return std::filesystem::path(value ? value : L"");
    };
    return {get(L"USERPROFILE"), get(L"APPDATA"), get(L"LOCALAPPDATA")};
}

void CreatePrivateFolder(const char* what, const std::filesystem::path& folder)
{
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder, ec))
        CannotCreate(what, folder, ec ? ec.value() : ERROR_DIRECTORY);
}

std::filesystem::path ExecutableFolder()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0)
            return {};
        if (n < path.size()) {
            path.resize(n);
            return std::filesystem::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
}

#else

UserDirs UserDirs::FromEnvironment()
{
    UserDirs dirs;
    const auto get = [](const char* name) {
        const char* value = std::getenv(name);
        return std::filesystem::path(value ? value : "");
    };
    dirs.home = get("HOME");
    if (dirs.home.empty())
        if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir)
            dirs.home = pw->pw_dir;
    dirs.configHome = get("XDG_CONFIG_HOME");
    dirs.dataHome = get("XDG_DATA_HOME");
    return dirs;
}

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

std::filesystem::path ExecutableFolder()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

#endif

} // namespace plok
