#include "core/UserFolders.h"

#include "core/Errors.h"
#include "core/FileNames.h"

#include <string>
#include <system_error>
#include <vector>

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

[[noreturn]] void CannotCreate(const char* what, const std::filesystem::path& folder, const std::string& reason)
{
    throw Error(std::string(what) + " \"" + PathUtf8(folder) + "\" を作成できません。(" + reason + ")");
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

Folders ResolveFolders(const std::filesystem::path& executableFolder, const UserDirs& dirs)
{
    const SettingsPlace settings = FindSettings(executableFolder, dirs);
    if (settings.portable)
        return {true, executableFolder, settings.settingsFile};
    const Folders folders {false, DataFolder(dirs), settings.settingsFile};
    CreatePrivateFolder("設定フォルダ", folders.settingsFile.parent_path());
    CreatePrivateFolder("作業フォルダ", folders.workFolder);
    return folders;
}

void CreatePrivateFolder(const char* what, const std::filesystem::path& folder)
{
    // Up to the first folder that exists, then down again creating each: a drive or share root is never created.
    std::vector<std::filesystem::path> missing;
    for (std::filesystem::path p = folder;; p = p.parent_path()) {
        std::error_code ec;
        const std::filesystem::file_status st = std::filesystem::status(p, ec);
        if (st.type() == std::filesystem::file_type::directory)
            break;
        if (st.type() != std::filesystem::file_type::not_found)
            CannotCreate(what, folder, ec ? SystemReasonText(ec.value()) : "フォルダではありません");
        missing.push_back(p);
        if (p == p.parent_path() || !p.has_relative_path())
            break;
    }
    for (auto it = missing.rbegin(); it != missing.rend(); ++it)
        if (const int err = detail::MakePrivateDirectory(*it); err != 0)
            CannotCreate(what, folder, SystemReasonText(err));
}

} // namespace plok
