#include "app/Folders.h"

namespace plok::app {

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
