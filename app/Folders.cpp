#include "app/Folders.h"

namespace plok::app {

Folders ResolveFolders(const std::filesystem::path& executableFolder, const UserDirs& dirs)
{
    const SettingsPlace settings = FindSettings(executableFolder, dirs);
    Folders folders;
    folders.portable = settings.portable;
    folders.settingsFile = settings.settingsFile;
    if (settings.portable) {
        folders.workFolder = executableFolder;
        return folders;
    }
    folders.workFolder = DataFolder(dirs);
    CreatePrivateFolder("設定フォルダ", folders.settingsFile.parent_path());
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
