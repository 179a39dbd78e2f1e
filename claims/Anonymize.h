#pragma once

#include <filesystem>
#include <string>

namespace plok::claims {

/// Which payer a claims file belongs to; decides which half of the result triple a run fills.
enum class PayerKind
{
    Social, // 社保, output suffix "_1"
    National, // 国保, output suffix "_2"
};

/// What an anonymisation run tells its caller.
struct ConvResult
{
    enum class Status
    {
        Done, // `fileName` was written into the output folder; `message` is the completion message
        MissingFile, // nothing was written; `message` is the warning to show
        UnsafeName, // the billing month cannot be a file name; nothing was written; `message` is the warning
    };
    Status status = Status::MissingFile;
    std::u16string message;
    std::u16string fileName; // bare name, only with Done
    PayerKind payer = PayerKind::Social;
};

/// Warning shown when the input file does not exist (a folder does not count).
inline constexpr char16_t kMissingFileText[] = u"ファイルがありません。";
/// Completion message of a successful run.
inline constexpr char16_t kAnonymizedText[] = u"社保と国保の匿名化ファイルが作成されました";

/// Writes the anonymised copy of the claims file `pstFile` into `outFolder`, named billing month + "_1" or "_2"
/// + ".UKE" (an existing file of that name is replaced). Institution code, name and telephone number, patient
/// names and insurer / public-expense numbers get fixed dummy values; symptom-note (SJ) and comment (CO) records
/// are left out; every other line is copied byte for byte.
///
/// Streams with flat memory. The output appears only when complete: a failure leaves no partial file and leaves
/// an existing output untouched, and an input that is also the output is read whole before it is replaced.
///
/// Throws ListIndexError for a record with too few fields (nothing written) and IoError when the input cannot
/// be read or the output cannot be written.
ConvResult Conv(const std::filesystem::path& pstFile, const std::filesystem::path& outFolder);

} // namespace plok::claims
