#pragma once

#include "claims/ClaimsFile.h"
#include "core/RunResult.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace plok::claims {

/// How the branch number is cut off the chart number of each receipt (medical RE field 13). The window's combo box
/// gives Symbol for item 0, Position for item 1 and None for anything else, nothing selected included.
enum class RemovalMode
{
    Symbol, // GetKnjBng: the part before the first "-", "/" or "*", blanks removed
    Position, // GetKnjBng2: the characters from the start position to the end position
    None, // the number is kept
};

/// Warning for a blank start or end position.
inline constexpr char16_t kBlankRangeText[] = u"値が空欄です";
/// Warning for a start or end position that is not a usable number.
inline constexpr char16_t kInvalidRangeText[] = u"正しい数字を入力して下さい";
/// Warning for a range that would keep nothing of any number: a start that is not before the end.
inline constexpr char16_t kRangeOrderText[] = u"開始位置には、終了位置より小さい数字を入力して下さい";
/// Warning of the main window for a removal without a mode chosen.
inline constexpr char16_t kNoRemovalModeText[]
    = u"枝番を除去する方法が選ばれていません。「レセ電データ枝番除去」の下の欄で選んでください。";
/// Completion message of a successful run.
inline constexpr char16_t kBranchStrippedText[] = u"社保と国保の枝番除去ファイルが作成されました";

/// What is wrong with the position fields of Position mode.
struct RangeRefusal
{
    RunStatus status; // BlankRange or InvalidRange
    std::u16string_view message;
    bool start; // the start field is at fault
    bool end; // the end field is at fault
};

/// The refusal of the positions `startText` and `endText` as typed (trimmed, whole numbers from 1, the start before
/// the end), or nothing when they give a usable range. Conv2 refuses the same.
std::optional<RangeRefusal> CheckRange(std::u16string_view startText, std::u16string_view endText);

/// Writes a copy of the claims file `pstFile` into `target.folder` in which the chart numbers of its kind's layout
/// (claims/ClaimsLayout.h: medical and DPC RE 13 and the organ donor's TR 13, dental RE 15, pharmacy RE 35) are
/// shortened as `mode` says. Only the chart number's bytes change: every other byte of the file is copied as it was
/// read, and the copy ends with 0x1A where its source did. The output is named "(" + billing month + "提出_社保" or
/// "提出_国保" + ")" + the kind's file name ("RECEIPTC.uke"; DPC "RECEIPTD.uke", dental "RECEIPTS.uke", pharmacy
/// "RECEIPTY.cyo"); an existing file of that name is replaced. `startText` and `endText` are the position fields as
/// typed; only Position mode reads them, and checks them before the file is read.
///
/// Streams with flat memory. Bytes are kept as they are: the shortened number is a piece of the original bytes.
/// The output appears only when complete, so a failure leaves an existing output untouched, and an input that is
/// also the output is read whole before it is replaced.
///
/// The positions are whole numbers from 1 with the start before the end: a blank one gives BlankRange, any other
/// range InvalidRange, for it would empty every patient number.
///
/// Returns MissingFile, BlankRange, InvalidRange, NotClaimsFile (a file of no kind plok reads, or whose records do not
/// fit its kind's layout), LoneCr or UnsafeName with a warning and nothing written; a social-insurance file takes the
/// result's first slot, a national one the second. Throws ListIndexError for a header without its billing month or,
/// outside None mode, a receipt record without its chart number (nothing written), and IoError when the input cannot
/// be read or the output cannot be written.
RunResult Conv2(const std::filesystem::path& pstFile, RemovalMode mode, std::u16string_view startText,
    std::u16string_view endText, const OutputTarget& target);

/// The patient number without its branch number, cut at symbols: the trimmed value up to the first "-", then
/// without U+0020 blanks, then up to the first "/", then up to the first "*", trimmed after each cut. Only the
/// half-width symbols and U+0020 count.
std::u16string GetKnjBng(std::u16string_view value);

/// The patient number without its branch number, cut at positions: the code units of the trimmed value from
/// position StrToIntDef(trim(startText), 0) to StrToIntDef(trim(endText), 0), both counted from 1 and included,
/// trimmed. A start below 1 reads from position 1 but takes as many units as the range holds. Empty unless
/// 0 <= start < end.
std::u16string GetKnjBng2(std::u16string_view value, std::u16string_view startText, std::u16string_view endText);

} // namespace plok::claims
