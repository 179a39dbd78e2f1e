// The anonymisation audit on an original and a copy. It fails on no bytes but with FileError for a lone CR;
// every finding names a line of the copy and a field that line has; the counts add up; a copy audited against an
// original without values reports exactly its SJ and CO lines; and the real anonymised copy of the original is
// audited without trouble. Beyond that, the input makes a patient, an insured number, a telephone number and an
// institution, and a value of theirs planted in the anonymised copy in one of the forms a reader takes for the same
// is found where it stands.
#include "FuzzSupport.h"
#include "claims/Anonymize.h"
#include "claims/Audit.h"
#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/StrConv.h"

#include <algorithm>
#include <fuzzer/FuzzedDataProvider.h>
#include <numeric>

using namespace plok;
namespace fs = std::filesystem;

namespace {

/// Audits and checks what holds for any pair; returns the number of findings, or nothing for a pair the audit
/// refuses: a file with a lone CR, or an original the anonymisation makes no copy of either (no claims file of a kind
/// plok reads, or records that do not fit its kind).
std::optional<std::size_t> Audit(
    const fs::path& original, const fs::path& copy, const std::vector<std::string>& copyLines, bool loneCr)
{
    std::vector<claims::AuditFinding> findings;
    claims::AuditReport report;
    try {
        report = claims::AuditAnonymised(original, copy, [&](const claims::AuditFinding& f) { findings.push_back(f); });
    } catch (const FileError& e) {
        if (std::string(e.what()).find("CR") != std::string::npos) {
            FUZZ_CHECK(loneCr);
        } else {
            FUZZ_CHECK(e.file() == original);
            try {
                FUZZ_CHECK(!claims::Conv(original, fuzz::Scratch::Fresh("refused-out")).Done());
            } catch (const Error&) { }
        }
        return std::nullopt;
    }
    FUZZ_CHECK(!loneCr);
    FUZZ_CHECK(report.total == findings.size());
    FUZZ_CHECK(std::accumulate(report.counts.begin(), report.counts.end(), std::size_t(0)) == report.total);
    FUZZ_CHECK(report.Clean() == findings.empty());
    std::uint64_t previous = 0;
    for (const claims::AuditFinding& f : findings) {
        FUZZ_CHECK(f.copyLine >= 1 && f.copyLine <= copyLines.size() && f.copyLine >= previous);
        previous = f.copyLine;
        const std::string& line = copyLines[f.copyLine - 1];
        FUZZ_CHECK(f.field <= static_cast<std::size_t>(std::count(line.begin(), line.end(), ',')));
        FUZZ_CHECK(f.record == fuzz::ReferenceRecordId(line));
        FUZZ_CHECK(!claims::FindingText(f).empty());
    }
    FUZZ_CHECK(report.first.size() == std::min(findings.size(), claims::kKeptFindings));
    return findings.size();
}

std::u16string Pick(FuzzedDataProvider& p, std::u16string_view pool, std::size_t min, std::size_t max)
{
    std::u16string s;
    const std::size_t n = p.ConsumeIntegralInRange(min, max);
    for (std::size_t i = 0; i < n; ++i)
        s += pool[p.ConsumeIntegralInRange<std::size_t>(0, pool.size() - 1)];
    return s;
}

std::u16string Digits(FuzzedDataProvider& p, std::size_t min, std::size_t max)
{
    return Pick(p, u"0123456789", min, max);
}

std::u16string Convert(std::u16string_view s, TConversions to)
{
    return StrConv(s, to);
}

/// The everyday forms of a value: the form the input picks, as code page 932 bytes.
struct Plant
{
    claims::AuditKind kind;
    std::string line; // the planted line
    std::size_t field;
};

/// A patient (name with a kanji of two codes, kana name), an insured number, a telephone number and an institution,
/// as the original holds them, and one of their values in a form the audit must see through.
void CheckPlanted(FuzzedDataProvider& p)
{
    // Characters that are no piece of the anonymisation's dummies (テスト社, ORVAクリニック...).
    constexpr std::u16string_view kKanji = u"山田中林森高橋佐藤鈴木健太郎花子一誠美髙﨑";
    constexpr std::u16string_view kKana
        = u"アイウエオカキコサシセタチナノハヒフホマミムメモヤユヨラルレロワンガギゴザジダバビ";
    const std::u16string family = Pick(p, kKanji, 1, 3);
    const std::u16string given = Pick(p, kKanji, 1, 3);
    const std::u16string kanaFamily = Pick(p, kKana, 2, 4);
    const std::u16string kanaGiven = Pick(p, kKana, 2, 4);
    const std::u16string insured = Digits(p, 5, 12);
    // A telephone number of ten digits: area code, exchange, subscriber.
    const std::u16string area = u"0" + Digits(p, 1, 3);
    const std::u16string exchange = Digits(p, 6 - area.size(), 6 - area.size());
    const std::u16string subscriber = Digits(p, 4, 4);
    const std::u16string telephone = area + u"-" + exchange + u"-" + subscriber;
    const std::u16string core = Pick(p, kKanji, 2, 3);
    const std::u16string institution = u"医療法人社団　" + core + u"内科クリニック";
    const auto narrow = [](std::u16string_view s) { return Convert(s, {TConversion::Narrow}); };
    const auto wide = [](std::u16string_view s) { return Convert(s, {TConversion::Wide}); };
    const auto hiragana = [](std::u16string_view s) { return Convert(s, {TConversion::Hiragana}); };
    const auto digitsOf = [](std::u16string_view s) {
        std::u16string d;
        for (char16_t c : s)
            if (c >= u'0' && c <= u'9')
                d += c;
        return d;
    };
    // The anonymisation's dummies prove nothing, and a number of the same digits is one of them.
    for (const std::u16string_view dummy : {u"12345", u"1234567", u"12345678", u"0123456", u"0123456789"})
        if (insured == dummy || digitsOf(telephone) == dummy)
            return;

    std::u16string re = u"RE,1,1112,50605," + family + u"　" + given;
    for (int f = 5; f <= 35; ++f)
        re += u",";
    re += u"," + narrow(kanaFamily + u" " + kanaGiven) + u",";
    const std::string original = cp932::Encode(u"IR,1,13,1,1310001,," + institution + u",50605,00," + telephone
        + u"\r\n" + re + u"\r\nHO,06139999,,\"" + insured + u"\",1,100\r\n");

    const auto sy = [](const std::string& text) { return "SY,0000999,5060501,1,," + text + ",,"; };
    const auto sjis = [](std::u16string_view s) { return cp932::Encode(s); };
    std::vector<Plant> plants = {
        {claims::AuditKind::PatientName, sy(sjis(family + given + u"様")), 5},
        {claims::AuditKind::PatientName, sy(sjis(family + u" " + given)), 5},
        {claims::AuditKind::PatientName, sy(sjis(family + u"・" + given)), 5},
        {claims::AuditKind::PatientKanaName, sy(sjis(kanaFamily + kanaGiven + u"様")), 5},
        {claims::AuditKind::PatientKanaName, sy(sjis(hiragana(kanaFamily + u"　" + kanaGiven))), 5},
        {claims::AuditKind::PatientKanaName, sy(sjis(hiragana(kanaGiven) + u"さん")), 5},
        {claims::AuditKind::PatientKanaName, sy(sjis(narrow(kanaFamily)) + ","), 5},
        {claims::AuditKind::InsuranceNumber, "TO,1, " + sjis(insured) + " ", 2},
        {claims::AuditKind::InsuranceNumber, "TO,1," + sjis(wide(insured)), 2},
        {claims::AuditKind::Telephone, sy(sjis(u"TEL" + digitsOf(telephone))), 5},
        {claims::AuditKind::Telephone, sy(sjis(u"(" + wide(telephone) + u")")), 5},
        {claims::AuditKind::Telephone, sy(sjis(area + u"(" + exchange + u")" + subscriber)), 5},
        {claims::AuditKind::InstitutionName, sy(sjis(core + u"内科クリニックへ")), 5},
        {claims::AuditKind::InstitutionName, sy(sjis(core + u"内科より")), 5},
    };
    // A kanji of two codes written with the one the encoder does not choose.
    if (std::string name = sjis(family + given + u"様"); name.find("\xFB\xFC") != name.npos) {
        name.replace(name.find("\xFB\xFC"), 2, "\xEE\xE0");
        plants.push_back({claims::AuditKind::PatientName, sy(name), 5});
    }
    const Plant& plant = plants[p.ConsumeIntegralInRange<std::size_t>(0, plants.size() - 1)];

    const fs::path folder = fuzz::Scratch::Fresh("planted");
    fuzz::WriteFile(folder / "RECEIPTC.UKE", original);
    const RunResult r = claims::Conv(folder / "RECEIPTC.UKE", folder);
    FUZZ_CHECK(r.Done());
    const std::string copy = fuzz::ReadFile(folder / ToPath(r.fileName)) + plant.line + "\r\n";
    fuzz::WriteFile(folder / "copy.UKE", copy);
    const std::uint64_t line = static_cast<std::uint64_t>(std::count(copy.begin(), copy.end(), '\n'));
    bool found = false;
    claims::AuditAnonymised(folder / "RECEIPTC.UKE", folder / "copy.UKE", [&](const claims::AuditFinding& f) {
        FUZZ_CHECK(f.copyLine == line);
        found = found || (f.kind == plant.kind && f.field == plant.field);
    });
    if (!found)
        std::fprintf(stderr, "not found: %s\n", plant.line.c_str());
    FUZZ_CHECK(found);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first byte tells where the original ends and the copy begins.
    const std::string_view input = fuzz::AsBytes(data, size);
    if (input.empty())
        return 0;
    const std::string_view rest = input.substr(1);
    const std::size_t split = rest.empty() ? 0 : static_cast<unsigned char>(input[0]) * rest.size() / 256;
    const std::string_view originalBytes = rest.substr(0, split);
    const std::string_view copyBytes = rest.substr(split);

    const fs::path folder = fuzz::Scratch::Fresh("audit");
    const fs::path original = folder / "RECEIPTC.UKE";
    const fs::path copy = folder / "copy.UKE";
    const fs::path none = folder / "none.UKE";
    fuzz::WriteFile(original, originalBytes);
    fuzz::WriteFile(copy, copyBytes);
    // A claims file with no value in it.
    fuzz::WriteFile(none, "IR,1,13,1,,,,50605,00,\r\n");
    const std::vector<std::string> copyLines = fuzz::ReferenceLines(copyBytes);

    const bool loneCr = fuzz::LoneCrLine(originalBytes) != 0 || fuzz::LoneCrLine(copyBytes) != 0;
    Audit(original, copy, copyLines, loneCr);

    const std::size_t notes
        = static_cast<std::size_t>(std::count_if(copyLines.begin(), copyLines.end(), [](const std::string& line) {
              return fuzz::ReferenceRecordId(line) == "SJ" || fuzz::ReferenceRecordId(line) == "CO";
          }));
    const std::optional<std::size_t> found = Audit(none, copy, copyLines, fuzz::LoneCrLine(copyBytes) != 0);
    FUZZ_CHECK(found.has_value() == (fuzz::LoneCrLine(copyBytes) == 0));
    FUZZ_CHECK(!found || *found == notes);

    try {
        const fs::path out = fuzz::Scratch::Fresh("audit-out");
        const RunResult r = claims::Conv(original, out);
        if (r.Done())
            Audit(original, out / ToPath(r.fileName), fuzz::ReferenceLines(fuzz::ReadFile(out / ToPath(r.fileName))),
                false);
    } catch (const Error&) { }

    FuzzedDataProvider provider(data, size);
    CheckPlanted(provider);
    return 0;
}
