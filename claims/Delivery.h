#pragma once

#include "core/Environment.h"
#include "core/RunResult.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace plok::claims {

/// A run's result (Done once every named file was handled, UnsafeSubfolder with its warning when the institution
/// subfolder would leave the save folder and nothing was moved) and what became of each file.
struct DeliveryResult : RunResult
{
    std::filesystem::path destination;
    std::vector<std::u16string> delivered; // names now in the destination
    std::vector<std::u16string> failed; // names left in the program folder
    std::vector<std::u16string> reasons; // why each of `failed` was not delivered, in the same order
};

/// The save folder setting (SAVEFDR) as the result dialog reads it when it is created.
std::u16string ReadSaveFolder(const std::filesystem::path& settingsFile);

/// True when `saveFolder` names a save folder (not blank); the dialog's button then reads "保存".
bool HasSaveFolder(std::u16string_view saveFolder);

/// Moves `file1` and `file2` (bare names in the program folder; empty = no file) to the destination: the Downloads
/// folder, or `saveFolder` when it is not blank, inside the subfolder "<IR field 4>_<IR field 6>" of the first
/// file (of `file2` when `file1` is empty) when the setting SVCHG is "1". Each file is copied (replacing a file of the
/// same name, written completely and synced before it replaces anything) and its program-folder copy deleted only after
/// the copy succeeded. A failed copy is not an error: the file stays in the program folder and is listed in `failed`. A
/// destination that is the program folder itself leaves the file where it is. `reasons` says why each failed file
/// stayed.
///
/// Throws IoError when, with the subfolder in use, the first file cannot be read, and ListIndexError when its first
/// line lacks field 4 or 6; nothing is moved then.
DeliveryResult DeliverFiles(
    const Environment& env, std::u16string_view saveFolder, std::u16string_view file1, std::u16string_view file2);

/// The one warning for the files `result` could not deliver that still lie in the work folder: each name and why it
/// stayed, the destination and the work folder with their full paths, and what to do, which for the Downloads folder is
/// not that of a stick. Empty when there is none (every file delivered, or only names whose file is gone).
std::u16string UndeliveredText(const Environment& env, const DeliveryResult& result);

} // namespace plok::claims
