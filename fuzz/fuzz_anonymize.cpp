// The anonymisation run on a claims file. Beyond what every run promises: lines other than IR, RE, HO, KO, SJ and CO
// come out byte for byte, SJ and CO lines vanish, and the identifying fields of the other records are replaced. The
// strong run besides changes the fields of kStrongFields, and the lines of the other records come out byte for byte
// but for the disease lines it changes.
#include "FuzzSupport.h"
#include "claims/Anonymize.h"
#include "claims/AnonymizeRules.h"
#include "claims/StrongAnonymize.h"
#include "core/Cp932.h"
#include "core/Text.h"

using namespace plok;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bit 0 of the first byte puts the output into the source's folder (fuzz::LayOut), bit 1 makes the run strong.
    const std::string_view input = fuzz::AsBytes(data, size);
    const std::string_view bytes = input.empty() ? input : input.substr(1);
    const fuzz::RunFiles f = fuzz::LayOut(input, "RECEIPTC.UKE", "50605_1.UKE");
    const bool strong = !input.empty() && (input[0] & 2);
    static claims::ChartPseudonyms pseudonyms(crypto::Key {7});

    const fuzz::Outcome o = fuzz::CheckRun(
        f.out, [&] { return claims::Conv(f.source, f.out, claims::InputCheck::None, strong ? &pseudonyms : nullptr); });
    fuzz::CheckLoneCrRefusal(bytes, o.result);
    if (!o.result || !o.result->Done())
        return 0;

    static const std::string kName = cp932::Encode(u"ORVAクリニック");
    static const std::string kSocial = cp932::Encode(u"テスト社");
    static const std::string kNational = cp932::Encode(u"テスト国");
    static const std::string kInsurer = cp932::Encode(u"１２３４５");
    static const std::string kUncoded = cp932::Encode(u"匿名化した傷病名");

    std::vector<std::string> kept;
    for (std::string& line : fuzz::ReferenceLines(bytes)) {
        const std::string id = fuzz::ReferenceRecordId(line);
        if (id != "SJ" && id != "CO")
            kept.push_back(std::move(line));
    }
    const std::vector<std::string> lines = fuzz::CrLfLines(o.fileBytes);
    FUZZ_CHECK(lines.size() == kept.size());
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string id = fuzz::ReferenceRecordId(kept[i]);
        FUZZ_CHECK(fuzz::ReferenceRecordId(lines[i]) == id);
        if (strong && id == "SY" && lines[i] != kept[i]) {
            // Changed only where the name of an uncoded disease or a supplementary comment stood.
            std::vector<std::string> want = fuzz::ByteFields(kept[i]);
            const std::vector<std::string> got = fuzz::ByteFields(lines[i]);
            FUZZ_CHECK(got.size() == want.size());
            if (want.size() > 5 && TrimView(std::string_view(want[1])) == claims::kUncodedDisease)
                want[5] = kUncoded;
            if (want.size() > 7)
                want[7].clear();
            FUZZ_CHECK(got == want);
            continue;
        }
        if (id != "IR" && id != "RE" && id != "HO" && id != "KO") {
            FUZZ_CHECK(lines[i] == kept[i]);
            continue;
        }
        // Each written field is the read field without its quotes, or its replacement.
        std::vector<std::string> want = fuzz::ByteFields(kept[i]);
        const std::vector<std::string> got = fuzz::ByteFields(lines[i]);
        FUZZ_CHECK(got.size() == want.size());
        if (id == "IR") {
            want[4] = "0123456";
            want[6] = kName;
            want[9] = "012-345-6789";
        } else if (id == "RE") {
            FUZZ_CHECK(got[4].starts_with(kSocial) || got[4].starts_with(kNational));
            want[4] = got[4];
            if (want.size() > 36)
                want[36].clear();
            if (strong) {
                FUZZ_CHECK(got[4] == kSocial || got[4] == kNational);
                for (const std::size_t date : {6, 8})
                    if (want.size() > date) {
                        // Nothing, or the date's month and a day of 01 (or its era's first day).
                        const std::string_view was = TrimView(std::string_view(want[date]));
                        FUZZ_CHECK(got[date].empty()
                            || (got[date].size() == was.size()
                                && got[date].starts_with(was.substr(0, was.size() - 2))));
                        want[date] = got[date];
                    }
                if (want.size() > 13) {
                    // A number: digits, six at least, and another number; anything else: X and 19 digits.
                    const std::string_view chart = TrimView(std::string_view(want[13]));
                    const std::string_view pseudonym = got[13];
                    const auto digits = [](std::string_view t) {
                        return std::all_of(t.begin(), t.end(), [](char c) { return c >= '0' && c <= '9'; });
                    };
                    const auto value
                        = [](std::string_view t) { return t.substr(std::min(t.find_first_not_of('0'), t.size())); };
                    const bool text = pseudonym.size() == 20 && pseudonym[0] == 'X' && digits(pseudonym.substr(1));
                    FUZZ_CHECK(chart.empty() == pseudonym.empty());
                    if (!chart.empty() && digits(chart) && chart.size() <= 38) {
                        FUZZ_CHECK(digits(pseudonym) && pseudonym.size() == std::max<std::size_t>(chart.size(), 6));
                        FUZZ_CHECK(value(pseudonym) != value(chart));
                    } else if (std::any_of(chart.begin(), chart.end(), [](char c) {
                                   return static_cast<unsigned char>(c) < 0x80 && (c < '0' || c > '9');
                               })) {
                        FUZZ_CHECK(text);
                    } else if (!chart.empty()) {
                        FUZZ_CHECK(text || (digits(pseudonym) && pseudonym.size() >= 6));
                    }
                    want[13] = got[13];
                }
                for (const std::size_t emptied : {18, 20})
                    if (want.size() > emptied)
                        want[emptied].clear();
            }
        } else if (id == "HO") {
            want[1] = "12345678";
            want[2].clear();
            want[3] = kInsurer;
        } else {
            want[1] = "12345678";
            want[2] = "1234567";
        }
        FUZZ_CHECK(got == want);
    }
    return 0;
}
