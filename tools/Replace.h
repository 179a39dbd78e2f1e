#pragma once

#include "tools/ChangeTable.h"

#include <filesystem>
#include <string>

namespace plok::tools {

/// What a replacement run tells its caller.
struct ReplaceResult
{
    enum class Status
    {
        Done, // `fileName` was written into the output folder; `message` is the completion message
        MissingFile, // nothing was written; `message` is the warning to show
        NoLines, // the file holds no line; nothing was written; `message` is the warning
        UnsafeName, // the output name is not a plain file name; nothing was written; `message` is the warning
        SameAsSource, // the output would replace the file being converted; nothing was written; `message` says so
    };
    Status status = Status::MissingFile;
    std::u16string message;
    std::u16string fileName; // bare name, only with Done
};

/// Warning shown when the file to convert does not exist (a folder does not count).
inline constexpr char16_t kReplaceMissingFileText[] = u"ファイルがありません。";
/// Warning shown for a file without any line.
inline constexpr char16_t kNoLinesText[] = u"正しいFFファイルではありません。";

/// The output name for the file to convert: its name after the last "\", "/" or ":", with every ".txt" (exact
/// case) replaced by "R.txt".
std::u16string ReplacedFileName(std::u16string_view pstFile);

/// Writes a copy of `pstFile` into `outFolder` in which, on every line whose field 1 (comma-text split rule,
/// trimmed) is an old value of `table` ignoring letter case, every exact-case occurrence of that field text in the
/// whole line is replaced by the new value of the first such pair. Other lines are copied unchanged. The input
/// is read with byte-order mark detection; the output is code page 932 with CR LF, named by ReplacedFileName
/// (an existing file of that name is replaced, but never the input itself).
///
/// Throws ListIndexError(1) for a line with fewer than two fields (nothing written) and IoError when the input
/// cannot be read or the output cannot be written.
ReplaceResult Cnv(
    const std::filesystem::path& pstFile, const ChangeTable& table, const std::filesystem::path& outFolder);

} // namespace plok::tools
