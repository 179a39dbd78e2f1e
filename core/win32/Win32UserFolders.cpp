#include "core/UserFolders.h"
#include "core/win32/Win32.h"

#include <cstdlib>
#include <string>

namespace plok {

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
        detail::CannotCreateFolder(what, folder, ec ? ec.value() : ERROR_DIRECTORY);
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

} // namespace plok
