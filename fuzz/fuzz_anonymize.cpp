// The anonymisation run on a claims file of any kind. Beyond what every run promises: a file whose first line names no
// kind plok reads is refused with the words IdentifyClaims has for it; in a copy, the records its kind's layout drops
// vanish, every other line keeps its place and its record, and a line differs from its source only in the fields its
// layout names (the dummies, and in the strong run the pseudonyms, months and emptied fields), the double quotes the
// field splitter drops aside; no copy gains a double quote, and it ends with 0x1A where its source had one.
#include "FuzzSupport.h"
#include "claims/Anonymize.h"
#include "claims/ClaimsFile.h"
#include "claims/ClaimsLayout.h"
#include "claims/StrongAnonymize.h"
#include "core/Cp932.h"
#include "core/Text.h"

using namespace plok;

namespace {

/// The layout a file that was anonymised was read by: a file of IR records is a DPC one when a receipt record of 30
/// fields or a record only DPC files have shows it.
const claims::ClaimsLayout& LayoutOf(const claims::ClaimsLayout& first, const std::vector<std::string>& lines)
{
    if (first.kind != claims::ClaimsKind::Medical)
        return first;
    for (const std::string& line : lines) {
        const std::string id = fuzz::ReferenceRecordId(line);
        const auto& dpc = claims::kDpcLayout.evidence;
        if ((id == "RE" && fuzz::ByteFields(line).size() == claims::kDpcLayout.receiptFields)
            || std::find(dpc.begin(), dpc.end(), id) != dpc.end())
            return claims::kDpcLayout;
    }
    return first;
}

bool Digits(std::string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bit 0 of the first byte puts the output into the source's folder (fuzz::LayOut), bit 1 makes the run strong.
    const std::string_view input = fuzz::AsBytes(data, size);
    const std::string_view bytes = input.empty() ? input : input.substr(1);
    const bool strong = !input.empty() && (input[0] & 2);
    // In the source's folder, the source has the name of the copy, which replaces it.
    const fuzz::RunFiles f = fuzz::LayOut(input, "RECEIPTC.UKE", strong ? "50605_1_strong.UKE" : "50605_1.UKE");
    static claims::ChartPseudonyms pseudonyms(crypto::Key {7});

    const fuzz::Outcome o
        = fuzz::CheckRun(f.out, [&] { return claims::Conv(f.source, f.out, strong ? &pseudonyms : nullptr); });
    const std::vector<std::string> source = fuzz::ReferenceLines(bytes);
    const claims::ClaimsIdentity identity = claims::IdentifyClaims(
        bytes.empty() || bytes[0] == '\x1a' ? std::nullopt : std::optional<std::string_view>(source.at(0)));
    // The run reads the first line up to its first CR and in its first 64 KiB: where that is the whole line, a file of
    // no kind is refused before anything else.
    if (!identity.layout && fuzz::LoneCrLine(bytes) == 0 && (source.empty() || source[0].size() < 60000)) {
        FUZZ_CHECK(o.result && o.result->status == RunStatus::NotClaimsFile && o.result->message == identity.refusal);
        return 0;
    }
    fuzz::CheckLoneCrRefusal(bytes, o.result);
    if (!o.result || !o.result->Done() || !identity.layout)
        return 0;

    const claims::ClaimsLayout& layout = LayoutOf(*identity.layout, source);
    FUZZ_CHECK(o.result->fileName.ends_with(layout.copyExtension));
    const bool endMark = bytes.find('\x1a') != std::string_view::npos;
    FUZZ_CHECK(o.fileBytes.ends_with('\x1a') == endMark);
    const std::string_view written = std::string_view(o.fileBytes).substr(0, o.fileBytes.size() - (endMark ? 1 : 0));

    std::vector<std::string> kept;
    for (const std::string& line : source) {
        const std::string id = fuzz::ReferenceRecordId(line);
        if (std::none_of(layout.dropped.begin(), layout.dropped.end(),
                [&](const claims::DroppedRecord& r) { return r.record == id; }))
            kept.push_back(line);
    }
    const std::vector<std::string> lines = fuzz::CrLfLines(written);
    FUZZ_CHECK(lines.size() == kept.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string id = fuzz::ReferenceRecordId(kept[i]);
        FUZZ_CHECK(fuzz::ReferenceRecordId(lines[i]) == id);
        // Each written field is the read field without its quotes, or what the layout puts there.
        const std::vector<std::string> read = fuzz::ByteFields(kept[i]);
        std::vector<std::string> want = read;
        const std::vector<std::string> got = fuzz::ByteFields(lines[i]);
        FUZZ_CHECK(got.size() == want.size());
        for (const claims::ReplacedField& r : layout.replaced) {
            if (r.record != id || r.field >= want.size()
                || (r.need == claims::Need::IfFilled && TrimView(std::string_view(want[r.field])).empty()))
                continue;
            if (r.how == claims::Dummy::PatientName) {
                // The strong run's dummy names go without the receipt number.
                FUZZ_CHECK(got[r.field].starts_with(cp932::Encode(r.dummy)));
                FUZZ_CHECK(!strong || got[r.field] == cp932::Encode(std::u16string(r.dummy) + u"社")
                    || got[r.field] == cp932::Encode(std::u16string(r.dummy) + u"国"));
                want[r.field] = got[r.field];
            } else {
                want[r.field] = cp932::Encode(r.dummy);
            }
        }
        if (strong) {
            for (const claims::StrongField& s : layout.strong) {
                if (s.record != id || s.field >= want.size())
                    continue;
                const std::string_view was = TrimView(std::string_view(read[s.field]));
                switch (s.fill) {
                case claims::StrongFill::Fixed:
                    if (s.whenCode.empty()
                        || (s.whenField < read.size() && TrimView(std::string_view(read[s.whenField])) == s.whenCode))
                        want[s.field] = cp932::Encode(s.dummy);
                    break;
                case claims::StrongFill::MonthOfDate:
                    // Nothing, or the date's month and a day of 01 (or its era's first day).
                    FUZZ_CHECK(got[s.field].empty()
                        || (got[s.field].size() == was.size()
                            && got[s.field].starts_with(was.substr(0, was.size() - 2))));
                    want[s.field] = got[s.field];
                    break;
                case claims::StrongFill::FreeText:
                    if (!was.empty())
                        want[s.field] = cp932::Encode(s.dummy);
                    break;
                case claims::StrongFill::MonthOfBirthDay:
                    // As it was, or, on a day of birth, kept to its month.
                    FUZZ_CHECK(got[s.field] == read[s.field]
                        || (got[s.field].size() == was.size()
                            && got[s.field].starts_with(was.substr(0, was.size() - 2))));
                    want[s.field] = got[s.field];
                    break;
                case claims::StrongFill::Pseudonym: {
                    // A number: digits, six at least, and another number; anything else: X and 19 digits.
                    const std::string_view pseudonym = got[s.field];
                    const auto value
                        = [](std::string_view t) { return t.substr(std::min(t.find_first_not_of('0'), t.size())); };
                    const bool text = pseudonym.size() == 20 && pseudonym[0] == 'X' && Digits(pseudonym.substr(1));
                    FUZZ_CHECK(was.empty() == pseudonym.empty());
                    if (!was.empty() && Digits(was) && was.size() <= 38) {
                        FUZZ_CHECK(Digits(pseudonym) && pseudonym.size() == std::max<std::size_t>(was.size(), 6));
                        FUZZ_CHECK(value(pseudonym) != value(was));
                    } else if (std::any_of(was.begin(), was.end(), [](char c) {
                                   return static_cast<unsigned char>(c) < 0x80 && (c < '0' || c > '9');
                               })) {
                        FUZZ_CHECK(text);
                    } else if (!was.empty()) {
                        FUZZ_CHECK(text || (Digits(pseudonym) && pseudonym.size() >= 6));
                    }
                    want[s.field] = got[s.field];
                    break;
                }
                }
            }
        }
        // A line none of whose values changed keeps its bytes; a rewritten one has lost every double quote.
        if (lines[i] == kept[i])
            FUZZ_CHECK(want == read);
        else
            FUZZ_CHECK(got == want && lines[i].find('"') == std::string::npos);
    }
    return 0;
}
