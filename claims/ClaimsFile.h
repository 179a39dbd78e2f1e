#pragma once

#include "core/LineReader.h"
#include "core/RunResult.h"
#include "core/Text.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string_view>

namespace plok::claims {

/// Warning for a file that is no claims file of either payer.
inline constexpr char16_t kNotClaimsFileText[] = u"レセ電データではありません。";

/// How much of a claims file's first line the payer check reads: the IR record is far shorter, and only its fourth
/// character counts.
inline constexpr std::size_t kFirstLineBytes = 4096;

/// The first line of `path` as the payer check sees it: by the whole-file rules (a byte-order mark selects the
/// encoding), at most kFirstLineBytes long; nothing when the file holds no line. Throws IoError.
std::optional<Line> ReadPayerLine(const std::filesystem::path& path);

/// True when `line` names the payer `digit` ('1' social, '2' national) as its fourth character.
bool NamesPayer(const std::optional<Line>& line, char16_t digit);

/// True when the raw code page 932 first line of a file names a payer, '1' or '2', as its fourth character.
bool IsClaimsFirstLine(std::string_view rawLine);

/// Refusal of a claims file with a lone CR, naming its line. Such a file may be one long line, or glue a receipt to
/// the line before it: the runs and the audit would see records that are not there and miss those that are.
inline std::u16string LoneCrText(const LoneCrError& e)
{
    return FromUtf8(e.what())
        + u"行の区切りを正しく読めないため、このファイルは処理しませんでした。"
          u"レセコンから出力し直したファイルで、もう一度実行してください。";
}

/// What a claims run checks of its input before it writes anything.
enum class InputCheck
{
    None, // any file is taken as it is (a path typed into the window)
    ClaimsFile, // a file whose first line names no payer is refused with NotClaimsFile
};

} // namespace plok::claims
