#pragma once

#include "core/RunResult.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace plok::tools {

/// The first line of every chart-linkage file.
inline constexpr char16_t kCarteHeader[]
    = u"カルテ番号,患者氏名,診療年月日,郵便番号,身長,体重,収縮期血圧,拡張期血圧,HbA1c,LDLコレステロール,尿酸,空列";

/// The chart number of the output: when `pstPtnum` reads as a signed 64-bit integer other than 0 (TryReadInt64),
/// that integer in decimal, so "000123" gives "123", " 0042" gives "42" and "$1F" gives "31"; otherwise
/// `pstPtnum` unchanged ("0000", "0042 ", "12-345").
std::u16string GetCarte(std::u16string_view pstPtnum);

/// Converts the FF file `source` (tab-separated health-check results, one record per line, read whole with
/// byte-order mark detection) into the chart-linkage file, written into `target.folder` as year-month + "_carte.csv"
/// in code page 932 with CR LF; an existing file of that name is replaced. The year-month is the first non-empty
/// field 3 among the records from line 2 on that have a field 0 and at least 53 fields. The output holds the header and
/// one line of eleven values per chart number: the first line of the source is never converted, records with an empty
/// field 0 or fewer than 53 fields are skipped, and of records whose trimmed field 0 matches ignoring letter case only
/// the first counts. Runs in time linear in the size of the file, holding the file's bytes once.
///
/// Returns MissingFile, NoLines (a file without any line) or UnsafeName (a year-month that cannot be part of a
/// file name) with a warning and nothing written; Done with the completion message otherwise.
/// Throws NumberFormatError when an HbA1c or uric-acid value is no number (nothing written) and IoError when
/// the file cannot be read or the output cannot be written.
RunResult ConvertToCarte(const std::filesystem::path& source, const OutputTarget& target);

/// Writes a plain comma-separated copy of `source` into `target.folder` under the name of the chart-linkage file:
/// each line split by the comma-text split rule (blanks and tabs also end fields, quotes are honoured), lines
/// with an empty field 0 left out, the fields joined by "," without quoting. The year-month is the first
/// non-empty field 3 among the kept lines from line 2 on.
///
/// Returns NoLines when no line is kept and UnsafeName when the year-month cannot be part of a file name, with
/// a warning and nothing written; Done with an empty message otherwise.
/// Throws ListIndexError(0) for a line without any field, ListIndexError(3) when the line that must give the
/// year-month has fewer than four fields (nothing written in both cases), and IoError when the file is missing
/// or unreadable or the output cannot be written.
RunResult ExportCsv(const std::filesystem::path& source, const OutputTarget& target);

} // namespace plok::tools
