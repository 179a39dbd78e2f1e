#include "core/Folders.h"

#include "core/Errors.h"
#include "core/FileNames.h"

#include <system_error>
#include <vector>

namespace plok {

namespace {

// The application's display name is "プロク"; the folders carry the program's name.
constexpr char kFolderName[] = "plok";

[[noreturn]] void CannotCreate(const char* what, const std::filesystem::path& folder, const std::string& reason)
{
    throw Error(std::string(what) + " \"" + PathUtf8(folder) + "\" を作成できません。(" + reason + ")");
}

} // namespace

std::optional<Folders> PortableFolders(const std::filesystem::path& executableFolder)
{
    const std::filesystem::path portableIni = executableFolder / "user.ini";
    std::error_code ec;
    if (!std::filesystem::exists(portableIni, ec))
        return std::nullopt;
    return Folders {true, executableFolder, portableIni};
}

Folders InstalledFolders(const std::filesystem::path& settingsBase, const std::filesystem::path& workBase)
{
    const std::filesystem::path settingsFolder = settingsBase / kFolderName;
    Folders folders {false, workBase / kFolderName, settingsFolder / "user.ini"};
    CreatePrivateFolder("設定フォルダ", settingsFolder);
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
