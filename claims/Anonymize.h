#pragma once

#include "claims/ClaimsFile.h"
#include "core/RunResult.h"

#include <filesystem>
#include <string>

namespace plok::claims {

class ChartPseudonyms;

/// Completion message of a successful run.
inline constexpr char16_t kAnonymizedText[] = u"社保と国保の匿名化ファイルが作成されました";
/// Completion message of a successful strong run.
inline constexpr char16_t kStrongAnonymizedText[] = u"社保と国保の強い匿名化ファイルが作成されました";

/// What follows the payer's "_1" or "_2" in the name of a strong copy: neither kind of copy of a month replaces the
/// other, and the name says which it is.
inline constexpr char16_t kStrongCopyMark[] = u"_strong";

/// Writes the anonymised copy of the claims file `pstFile` into `target.folder` (an existing file of its name is
/// replaced), named billing month + "_1" or "_2" + the kind's extension (".UKE", a pharmacy's ".CYO"); a
/// social-insurance file takes the result's first slot, a national-insurance file (payer 2) the second. The file's
/// kind, told by its first record (IR medical or DPC, UK dental, YK pharmacy), gives the layout
/// (claims/ClaimsLayout.h): the fields of its `replaced` table get fixed dummy values (institution code, name and
/// telephone number, patient names, insurance numbers...), the records of `dropped` (symptom notes, comments) are left
/// out, and every other line is copied byte for byte, as is every byte of a changed record outside the fields it
/// changes (the double quotes the field splitter drops aside). The copy ends with 0x1A where its source did.
///
/// With `strong` (the clinic key's pseudonyms), the strong anonymisation, whose copy is named with kStrongCopyMark
/// after the payer's suffix (50605_1_strong.UKE): besides, the fields of the kind's `strong` table change (chart
/// numbers become their pseudonyms, birth and admission dates are kept to their month, and so is a disease's start
/// date on the day of birth, the payer's search number, the billing information and a disease line's supplementary
/// comment are emptied, the name of an uncoded disease and the text of comments and product names become fixed
/// texts) and the dummy patient name goes without the receipt number.
///
/// Streams with flat memory. The output appears only when complete: a failure leaves no partial file and leaves
/// an existing output untouched, and an input that is also the output is read whole before it is replaced.
///
/// Returns MissingFile, NotClaimsFile (a file of no kind plok reads, or whose records do not fit its kind's layout;
/// the message says what it is), LoneCr (a CR that no LF follows, LoneCrText) or UnsafeName (a billing month that
/// cannot be part of a file name) with a warning and nothing written. Throws ListIndexError for a record with too few
/// fields (nothing written) and IoError when the input cannot be read or the output cannot be written.
RunResult Conv(const std::filesystem::path& pstFile, const OutputTarget& target, ChartPseudonyms* strong = nullptr);

} // namespace plok::claims
