#include "core/Folders.h"

#include <cerrno>
#include <sys/stat.h>

namespace plok::detail {

int MakePrivateDirectory(const std::filesystem::path& folder)
{
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST)
        return errno;
    // chmod as well: the umask could have taken away the owner's own bits.
    return chmod(folder.c_str(), 0700) == 0 ? 0 : errno;
}

} // namespace plok::detail
