#include "core/UserFolders.h"

#include "core/Errors.h"
#include "core/FileNames.h"

#include <string>

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

} // namespace

void detail::CannotCreateFolder(const char* what, const std::filesystem::path& folder, int errnum)
{
    throw Error(
        std::string(what) + " \"" + PathUtf8(folder) + "\" を作成できません。(" + SystemReasonText(errnum) + ")");
}

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

} // namespace plok
