#include "core/UserFolders.h"

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace plok {

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

int detail::MakePrivateDirectory(const std::filesystem::path& folder)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return errno;
    // chmod as well: the umask could have taken away the owner's own bits.
    return chmod(folder.c_str(), 0700) == 0 ? 0 : errno;
}

std::filesystem::path ExecutableFolder()
{
    std::error_code ec;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
}

} // namespace plok
