// The branch-number removal run in its three modes, on a claims file of any kind. Beyond what every run promises: a
// file whose first line names no kind plok reads is refused with the words IdentifyClaims has for it; in a copy, every
// line keeps every byte but those of the chart numbers of its kind's layout, each of which is the text rule's cut of
// the number as the field splitter gives it; the copy ends with 0x1A where its source had one.
#include "FuzzSupport.h"
#include "claims/ClaimsFile.h"
#include "claims/ClaimsLayout.h"
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

/// The fields of a line as its bytes stand, double quotes included.
std::vector<std::string> RawFields(const std::string& line)
{
    std::vector<std::string> fields(1);
    for (const char c : line) {
        if (c == ',')
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
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
    const std::vector<std::string> kept = fuzz::ReferenceLines(bytes);
    const claims::ClaimsIdentity identity = claims::IdentifyClaims(
        bytes.empty() || bytes[0] == '\x1a' ? std::nullopt : std::optional<std::string_view>(kept.at(0)));
    // The run reads the first line up to its first CR and in its first 64 KiB: where that is the whole line, a file of
    // no kind is refused (after a blank position, which is looked at before the file).
    if (!identity.layout && fuzz::LoneCrLine(bytes) == 0 && (kept.empty() || kept[0].size() < 60000) && o.result
        && o.result->status != RunStatus::BlankRange && o.result->status != RunStatus::InvalidRange) {
        FUZZ_CHECK(o.result->status == RunStatus::NotClaimsFile && o.result->message == identity.refusal);
        return 0;
    }
    fuzz::CheckLoneCrRefusal(bytes, o.result);
    if (!o.result || !o.result->Done() || !identity.layout)
        return 0;

    // Medical and DPC files keep their chart numbers in the same fields.
    const claims::ClaimsLayout& layout = *identity.layout;
    const bool endMark = bytes.find('\x1a') != std::string_view::npos;
    FUZZ_CHECK(o.fileBytes.ends_with('\x1a') == endMark);
    const std::vector<std::string> lines
        = fuzz::CrLfLines(std::string_view(o.fileBytes).substr(0, o.fileBytes.size() - (endMark ? 1 : 0)));
    FUZZ_CHECK(lines.size() == kept.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string id = fuzz::ReferenceRecordId(kept[i]);
        const auto chart = std::find_if(layout.chartNumbers.begin(), layout.chartNumbers.end(),
            [&](const claims::ChartField& c) { return c.record == id; });
        std::vector<std::string> want = RawFields(kept[i]);
        const std::vector<std::string> got = RawFields(lines[i]);
        if (mode == claims::RemovalMode::None || chart == layout.chartNumbers.end() || chart->field >= want.size()) {
            FUZZ_CHECK(lines[i] == kept[i]);
            continue;
        }
        FUZZ_CHECK(got.size() == want.size());
        std::string numberBytes = want[chart->field];
        std::erase(numberBytes, '"');
        const std::u16string number = cp932::Decode(numberBytes);
        const std::u16string cut = mode == claims::RemovalMode::Symbol ? claims::GetKnjBng(number)
                                                                       : claims::GetKnjBng2(number, startText, endText);
        if (mode == claims::RemovalMode::Symbol)
            FUZZ_CHECK(got[chart->field] == SymbolCut(numberBytes));
        // Taking the blanks out of bytes that are no valid code page 932 can pair a lone lead byte with the byte
        // after the blank, where the text keeps the lead an escape; cutting at positions keeps a run of whole units,
        // so there the text rule holds for any bytes.
        if (mode == claims::RemovalMode::Position || !HasEscape(number))
            FUZZ_CHECK(cp932::Decode(got[chart->field]) == AsWritten(cut));
        want[chart->field] = got[chart->field];
        FUZZ_CHECK(got == want);
    }
    return 0;
}
