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

/// Writes the anonymised copy of the claims file `pstFile` into `target.folder`, named billing month + "_1" or "_2"
/// + ".UKE" (an existing file of that name is replaced); a social-insurance file takes the result's first slot, a
/// national-insurance file (IR field 1 "2") the second. Institution code, name and telephone number, patient
/// names and insurer / public-expense numbers get fixed dummy values; symptom-note (SJ) and comment (CO) records
/// are left out; every other line is copied byte for byte.
///
/// With `strong` (the clinic key's pseudonyms), the strong anonymisation: besides, the fields of kStrongFields
/// (claims/AnonymizeRules.h) change (chart numbers become their pseudonyms, birth and admission dates are kept to their
/// month, the payer's search number, the billing information and a disease line's supplementary comment are emptied,
/// the name of an uncoded disease becomes a fixed text) and the dummy patient name goes without the receipt number. A
/// disease line keeps its bytes where none of its values changes.
///
/// Streams with flat memory. The output appears only when complete: a failure leaves no partial file and leaves
/// an existing output untouched, and an input that is also the output is read whole before it is replaced.
///
/// Returns MissingFile, NotClaimsFile (with InputCheck::ClaimsFile, a file whose first line names no payer), LoneCr
/// (a CR that no LF follows, LoneCrText) or UnsafeName (a billing month that cannot be part of a file name) with a
/// warning and nothing written. Throws ListIndexError for a record with too few fields (nothing written) and IoError
/// when the input cannot be read or the output cannot be written.
RunResult Conv(const std::filesystem::path& pstFile, const OutputTarget& target, InputCheck check = InputCheck::None,
    ChartPseudonyms* strong = nullptr);

} // namespace plok::claims
