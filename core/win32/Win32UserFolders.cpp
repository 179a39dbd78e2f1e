#include "core/UserFolders.h"
#include "core/win32/KnownFolder.h"

#include <cstdlib>
#include <knownfolders.h>
#include <memory>
#include <sddl.h>
#include <string>

namespace plok {

namespace {

/// The environment variable `name`, else the known folder `id`, else an empty path.
std::filesystem::path VariableOrKnownFolder(const wchar_t* name, REFKNOWNFOLDERID id)
{
    if (const wchar_t* value = ::_wgetenv(name); value && *value)
        return value;
    return KnownFolder(id);
}

/// The user this process runs as, as an SDDL SID string; empty when it cannot be told.
std::wstring UserSid()
{
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token))
        return {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    const auto buffer = std::make_unique<unsigned char[]>(size);
    std::wstring result;
    wchar_t* text = nullptr;
    if (size > 0 && ::GetTokenInformation(token, TokenUser, buffer.get(), size, &size)
        && ::ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.get())->User.Sid, &text)) {
        result = text;
        ::LocalFree(text);
    }
    ::CloseHandle(token);
    return result;
}

} // namespace

std::filesystem::path KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::filesystem::path folder;
    if (SUCCEEDED(::SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)) && path)
        folder = path;
    ::CoTaskMemFree(path);
    return folder;
}

UserDirs UserDirs::FromEnvironment()
{
    return {VariableOrKnownFolder(L"USERPROFILE", FOLDERID_Profile),
        VariableOrKnownFolder(L"APPDATA", FOLDERID_RoamingAppData),
        VariableOrKnownFolder(L"LOCALAPPDATA", FOLDERID_LocalAppData)};
}

int detail::MakePrivateDirectory(const std::filesystem::path& folder)
{
    const std::wstring sid = UserSid();
    if (sid.empty())
        return static_cast<int>(::GetLastError() ? ::GetLastError() : ERROR_ACCESS_DENIED);
    // Protected (inheriting nothing from above): full control for the user and for the system (backups, the
    // indexer), for the folder and everything created in it; no entry for anyone else.
    const std::wstring sddl = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;" + sid + L")";
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr))
        return static_cast<int>(::GetLastError());
    SECURITY_ATTRIBUTES attributes {sizeof attributes, descriptor, FALSE};
    const bool created = ::CreateDirectoryW(folder.c_str(), &attributes);
    const DWORD err = created ? 0 : ::GetLastError();
    ::LocalFree(descriptor);
    return err == ERROR_ALREADY_EXISTS ? 0 : static_cast<int>(err);
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
