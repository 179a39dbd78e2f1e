// The branch-number removal run in its three modes. Beyond what every run promises: lines other than RE come out
// byte for byte, and an RE line keeps every field but the patient number (quotes gone), which is the text rule's
// cut of the number.
#include "FuzzSupport.h"
#include "claims/StripBranch.h"
#include "core/Cp932.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>

using namespace plok;

namespace {

/// Text as the code page gives it back: equal for texts whose bytes are equal.
std::u16string AsWritten(std::u16string_view text)
{
    return cp932::Decode(cp932::Encode(text));
}

/// The symbol cut on the bytes, the plain way: trimmed, up to the first "-", without blanks, up to the first "/",
/// up to the first "*", trimmed after each cut.
std::string SymbolCut(std::string_view v)
{
    std::string s(TrimView(v));
    s = TrimView<char>(std::string_view(s).substr(0, s.find('-')));
    std::erase(s, ' ');
    s = TrimView<char>(std::string_view(s).substr(0, s.find('/')));
    return std::string(TrimView<char>(std::string_view(s).substr(0, s.find('*'))));
}

bool HasEscape(std::u16string_view text)
{
    return std::any_of(text.begin(), text.end(), cp932::IsByteEscape);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider provider(data, size);
    const auto flags = provider.ConsumeIntegral<std::uint8_t>();
    const auto mode = static_cast<claims::RemovalMode>(flags % 3);
    const bool sameFolder = flags & 4;
    const std::u16string startText = cp932::Decode(provider.ConsumeRandomLengthString(8));
    const std::u16string endText = cp932::Decode(provider.ConsumeRandomLengthString(8));
    const std::string bytes = provider.ConsumeRemainingBytesAsString();

    const fuzz::RunFiles f = fuzz::LayOut(bytes, sameFolder, "RECEIPTC.UKE", "(50605提出_社保)RECEIPTC.uke");

    const fuzz::Outcome o
        = fuzz::CheckRun(f.out, [&] { return claims::Conv2(f.source, mode, startText, endText, f.out); });
    if (mode == claims::RemovalMode::Position && (IsBlank(startText) || IsBlank(endText)))
        FUZZ_CHECK(o.result && o.result->status == RunStatus::BlankRange);
    fuzz::CheckLoneCrRefusal(bytes, o.result);
    if (!o.result || !o.result->Done())
        return 0;

    const std::vector<std::string> kept = fuzz::ReferenceLines(bytes);
    const std::vector<std::string> lines = fuzz::CrLfLines(o.fileBytes);
    FUZZ_CHECK(lines.size() == kept.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (fuzz::ReferenceRecordId(kept[i]) != "RE") {
            FUZZ_CHECK(lines[i] == kept[i]);
            continue;
        }
        std::vector<std::string> want = fuzz::ByteFields(kept[i]);
        std::vector<std::string> got = fuzz::ByteFields(lines[i]);
        FUZZ_CHECK(got.size() == want.size());
        if (mode != claims::RemovalMode::None) {
            FUZZ_CHECK(want.size() > 13);
            const std::u16string number = cp932::Decode(want[13]);
            const std::u16string cut = mode == claims::RemovalMode::Symbol
                ? claims::GetKnjBng(number)
                : claims::GetKnjBng2(number, startText, endText);
            if (mode == claims::RemovalMode::Symbol)
                FUZZ_CHECK(got[13] == SymbolCut(want[13]));
            // Taking the blanks out of bytes that are no valid code page 932 can pair a lone lead byte with the byte
            // after the blank, where the text keeps the lead an escape; cutting at positions keeps a run of whole
            // units, so there the text rule holds for any bytes.
            if (mode == claims::RemovalMode::Position || !HasEscape(number))
                FUZZ_CHECK(cp932::Decode(got[13]) == AsWritten(cut));
            want[13] = got[13];
        }
        FUZZ_CHECK(got == want);
    }
    return 0;
}
