// The anonymisation run on a claims file. Beyond what every run promises: lines other than IR, RE, HO, KO, SJ and CO
// come out byte for byte, SJ and CO lines vanish, and the identifying fields of the other records are replaced.
#include "FuzzSupport.h"
#include "claims/Anonymize.h"
#include "core/Cp932.h"

using namespace plok;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Bit 0 of the first byte puts the output into the source's folder (fuzz::LayOut).
    const std::string_view input = fuzz::AsBytes(data, size);
    const std::string_view bytes = input.empty() ? input : input.substr(1);
    const fuzz::RunFiles f = fuzz::LayOut(input, "RECEIPTC.UKE", "50605_1.UKE");

    const fuzz::Outcome o = fuzz::CheckRun(f.out, [&] { return claims::Conv(f.source, f.out); });
    fuzz::CheckLoneCrRefusal(bytes, o.result);
    if (!o.result || !o.result->Done())
        return 0;

    static const std::string kName = cp932::Encode(u"ORVAクリニック");
    static const std::string kSocial = cp932::Encode(u"テスト社");
    static const std::string kNational = cp932::Encode(u"テスト国");
    static const std::string kInsurer = cp932::Encode(u"１２３４５");

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
