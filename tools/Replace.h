#pragma once

#include "core/RunResult.h"
#include "tools/ChangeTable.h"

#include <filesystem>
#include <string>

namespace plok::tools {

/// The output name for the file to convert: its name after the last "\", "/" or ":", with every ".txt" (exact
/// case) replaced by "R.txt".
std::u16string ReplacedFileName(std::u16string_view pstFile);

/// Writes a copy of `pstFile` into `target.folder` in which, on every line whose field 1 (comma-text split rule,
/// trimmed) is an old value of `table` ignoring letter case, every exact-case occurrence of that field text in the
/// whole line is replaced by the new value of the first such pair. Other lines are copied unchanged: byte for byte
/// from a code page 932 input. The input is read with byte-order mark detection; the output is code page 932 with
/// CR LF, named by ReplacedFileName (an existing file of that name is replaced, but never the input itself).
///
/// Returns MissingFile, NoLines (a file without any line), UnsafeName or SameAsSource with a warning and nothing
/// written.
///
/// Throws ListIndexError(1) for a line with fewer than two fields (nothing written) and IoError when the input
/// cannot be read or the output cannot be written.
RunResult Cnv(const std::filesystem::path& pstFile, const ChangeTable& table, const OutputTarget& target);

} // namespace plok::tools
