// Runs the real plok-cli on generated claims files of both payers and checks every output line against its
// input line, field by field.
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "support/Process.h"
#include "support/RawLines.h"
#include "support/TempDir.h"
#include "testsupport/ClaimGenerator.h"

#include <fstream>
#include <map>
#include <set>

#include <gtest/gtest.h>

using plok::FieldList;
using plok::test::RawLines;
using plok::test::ReadBytes;
using plok::test::TempDir;

namespace {

FieldList Fields(const std::string& raw)
{
    FieldList f;
    plok::GetCommaTxt(plok::cp932::Decode(raw), f);
    return f;
}

std::u16string FullWidthDigits(std::u16string_view ascii)
{
    std::u16string out;
    for (char16_t c : ascii)
        out += c == u' ' ? u'\u3000' : static_cast<char16_t>(c + 0xFEE0);
    return out;
}

/// Checks `out` against `in` for one record: the listed fields must hold the given values, all others are kept.
void ExpectFields(const FieldList& in, const FieldList& out, const std::map<std::size_t, std::u16string>& changed)
{
    ASSERT_EQ(out.size(), in.size());
    for (std::size_t i = 0; i < in.size(); ++i) {
        const auto it = changed.find(i);
        EXPECT_EQ(out[i], it == changed.end() ? in[i] : it->second) << "field " << i;
    }
}

void CheckAnonymised(const std::filesystem::path& input, const std::filesystem::path& output, char16_t kind)
{
    const std::vector<std::string> in = RawLines(input);
    const std::vector<std::string> out = RawLines(output);
    std::size_t o = 0;
    std::size_t receipts = 0;
    for (const std::string& line : in) {
        const FieldList f = Fields(line);
        if (f[0] == u"SJ" || f[0] == u"CO")
            continue;
        ASSERT_LT(o, out.size());
        const std::string& result = out[o++];
        SCOPED_TRACE("output line " + std::to_string(o));
        if (f[0] == u"IR") {
            ExpectFields(f, plok::SplitCommaText(plok::cp932::Decode(result)),
                {{4, u"0123456"}, {6, u"ORVAクリニック"}, {9, u"012-345-6789"}});
        } else if (f[0] == u"RE") {
            ++receipts;
            EXPECT_EQ(result.find('"'), std::string::npos);
            std::map<std::size_t, std::u16string> changed
                = {{4, u"テスト" + std::u16string(1, kind) + FullWidthDigits(f[1])}};
            if (f.size() > 36)
                changed[36] = u"";
            ExpectFields(f, Fields(result), changed);
        } else if (f[0] == u"HO") {
            ExpectFields(
                f, plok::SplitCommaText(plok::cp932::Decode(result)), {{1, u"12345678"}, {2, u""}, {3, u"１２３４５"}});
        } else if (f[0] == u"KO") {
            ExpectFields(f, plok::SplitCommaText(plok::cp932::Decode(result)), {{1, u"12345678"}, {2, u"1234567"}});
        } else {
            EXPECT_EQ(result, line);
        }
    }
    EXPECT_EQ(o, out.size());
    EXPECT_GT(receipts, 100u);
    // The source ends with 0x1A after its last CR LF, as the format wants it: so does the copy, and only there.
    const std::string bytes = ReadBytes(output);
    EXPECT_TRUE(bytes.ends_with("\r\n\x1a"));
    EXPECT_EQ(bytes.find('\x1a'), bytes.size() - 1);
}

TEST(AnonymizeEndToEnd, GeneratedSocialAndNationalFilesInJapaneseFolders)
{
    TempDir dir;
    const std::filesystem::path social = dir / u8"社保" / "RECEIPTC.UKE";
    const std::filesystem::path national = dir / u8"国保" / "RECEIPTC.UKE";
    const std::filesystem::path out = dir / u8"出力";
    const auto generate = [&](const std::filesystem::path& file, plok::testsupport::Payer payer, std::uint64_t seed) {
        std::filesystem::create_directory(file.parent_path());
        std::ofstream f(file, std::ios::binary);
        plok::testsupport::ClaimOptions options;
        options.payer = payer;
        options.receipts = 300;
        options.seed = seed;
        options.eof = true;
        plok::testsupport::GenerateClaims(
            options, [&](std::string_view chunk) { f.write(chunk.data(), chunk.size()); });
    };
    generate(social, plok::testsupport::Payer::Social, 11);
    generate(national, plok::testsupport::Payer::National, 12);
    std::filesystem::create_directory(out);

    const plok::test::Process::Result r = plok::test::Process(
        PLOK_CLI_PATH, {"anonymize", "--out", plok::PathUtf8(out), plok::PathUtf8(social), plok::PathUtf8(national)})
                                              .Wait();
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "50605_1.UKE\n50605_2.UKE\n");
    EXPECT_EQ(r.err, "");
    {
        SCOPED_TRACE("social");
        CheckAnonymised(social, out / "50605_1.UKE", u'社');
    }
    {
        SCOPED_TRACE("national");
        CheckAnonymised(national, out / "50605_2.UKE", u'国');
    }
}

/// The first day of the month of an era date (GYYMMDD) as the strong anonymisation keeps it: the first, or the era's
/// first day where the era began later in its first month (大正, 昭和, 平成).
std::u16string MonthOf(const std::u16string& date)
{
    const std::u16string month = date.substr(0, 5);
    if (month == u"20107")
        return month + u"30";
    if (month == u"30112")
        return month + u"25";
    if (month == u"40101")
        return month + u"08";
    return month + u"01";
}

bool AllDigits(std::u16string_view s)
{
    return std::all_of(s.begin(), s.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

/// The lines of the strong copy against those of the default copy and of the original: the receipts' and disease
/// lines' changed fields hold what the strong mode writes, every other field and line is the default copy's. Records
/// each original chart number's pseudonym in `pseudonyms`, and which file it was seen in in `seenIn`.
void CheckStrong(const std::filesystem::path& input, const std::filesystem::path& byDefault,
    const std::filesystem::path& strong, char16_t kind, std::map<std::u16string, std::u16string>& pseudonyms,
    std::map<std::u16string, std::set<std::string>>& seenIn)
{
    std::vector<std::string> in;
    for (const std::string& line : RawLines(input))
        if (!line.starts_with("SJ,") && !line.starts_with("CO,"))
            in.push_back(line);
    const std::vector<std::string> plain = RawLines(byDefault);
    const std::vector<std::string> out = RawLines(strong);
    ASSERT_EQ(plain.size(), in.size());
    ASSERT_EQ(out.size(), in.size());
    std::size_t receipts = 0;
    std::size_t uncoded = 0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        const FieldList original = Fields(in[i]);
        if (original[0] == u"RE") {
            ++receipts;
            const FieldList d = Fields(plain[i]);
            const FieldList f = Fields(out[i]);
            ASSERT_EQ(f.size(), d.size());
            std::map<std::size_t, std::u16string> changed
                = {{4, u"テスト" + std::u16string(1, kind)}, {6, MonthOf(original[6])}, {8, u""}, {18, u""}, {20, u""}};
            // A number keeps its width (six digits at least) and never its value; anything else gets the text form.
            const std::u16string& chart = f[13];
            if (AllDigits(original[13])) {
                EXPECT_EQ(chart.size(), std::max<std::size_t>(original[13].size(), 6));
                EXPECT_TRUE(AllDigits(chart)) << plok::ToUtf8(chart);
                EXPECT_NE(std::stoull(plok::ToUtf8(chart)), std::stoull(plok::ToUtf8(original[13])));
            } else {
                EXPECT_EQ(chart.size(), 20u);
                EXPECT_TRUE(chart.starts_with(u'X') && AllDigits(chart.substr(1))) << plok::ToUtf8(chart);
            }
            const auto [at, fresh] = pseudonyms.emplace(original[13], chart);
            EXPECT_EQ(at->second, chart) << "the pseudonym of " << plok::ToUtf8(original[13]) << " changed";
            seenIn[original[13]].insert(strong.filename().string() + strong.parent_path().filename().string());
            changed[13] = chart;
            ExpectFields(d, f, changed);
        } else if (original[0] == u"SY" && (original[1] == u"0000999" || !original[7].empty())) {
            uncoded += original[1] == u"0000999" ? 1 : 0;
            std::map<std::size_t, std::u16string> changed = {{7, u""}};
            if (original[1] == u"0000999")
                changed[5] = u"匿名化した傷病名";
            ExpectFields(Fields(plain[i]), plok::SplitCommaText(plok::cp932::Decode(out[i])), changed);
        } else {
            EXPECT_EQ(out[i], plain[i]);
        }
    }
    EXPECT_GT(receipts, 100u);
    EXPECT_GT(uncoded, 50u);
}

TEST(AnonymizeEndToEnd, StrongMonthsOfBothPayers)
{
    TempDir dir;
    // Two months of both payers, whose patients come from one registry, with identifiers typed into disease lines.
    struct Month
    {
        const char* social;
        const char* national;
        const char* month;
    };
    const std::vector<Month> months = {{"s5.UKE", "n5.UKE", "50605"}, {"s6.UKE", "n6.UKE", "50606"}};
    std::uint64_t seed = 20;
    for (const Month& m : months) {
        for (const auto& [name, payer] : {std::pair {m.social, plok::testsupport::Payer::Social},
                 std::pair {m.national, plok::testsupport::Payer::National}}) {
            std::ofstream f(dir / name, std::ios::binary);
            plok::testsupport::ClaimOptions options;
            options.payer = payer;
            options.receipts = 300;
            options.seed = ++seed;
            options.month = m.month;
            options.patients = 200;
            options.plantEvery = 10;
            plok::testsupport::GenerateClaims(
                options, [&](std::string_view chunk) { f.write(chunk.data(), chunk.size()); });
        }
    }
    std::string key(32, '\0');
    for (std::size_t i = 0; i < key.size(); ++i)
        key[i] = static_cast<char>(i * 37 + 11);
    plok::test::WriteBytes(dir / "clinic.key", key);

    const auto cli = [](std::vector<std::string> args) { return plok::test::Process(PLOK_CLI_PATH, args).Wait(); };
    for (const Month& m : months) {
        SCOPED_TRACE(m.month);
        const std::string social = plok::PathUtf8(dir / m.social);
        const std::string national = plok::PathUtf8(dir / m.national);
        const std::filesystem::path plain = dir / m.month / "default";
        const std::filesystem::path strong = dir / m.month / "strong";
        std::filesystem::create_directories(plain);
        std::filesystem::create_directories(strong);
        const std::string written = std::string(m.month) + "_1.UKE\n" + m.month + "_2.UKE\n";
        plok::test::Process::Result r = cli({"anonymize", "--out", plok::PathUtf8(plain), social, national});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, written);
        // The audit before each copy gets its name: no original chart number or full birth date is left.
        r = cli({"anonymize", "--strong", "--audit", "--key", plok::PathUtf8(dir / "clinic.key"), "--out",
            plok::PathUtf8(strong), social, national});
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, std::string(m.month) + "_1_strong.UKE\n" + m.month + "_2_strong.UKE\n");
        // The same audit on its own; the default copies keep every chart number and birth date.
        for (const auto& [original, copy] : {std::pair {social, "_1"}, std::pair {national, "_2"}}) {
            const std::string name = m.month + std::string(copy);
            r = cli({"audit", "--strong", original, plok::PathUtf8(strong / (name + "_strong.UKE"))});
            EXPECT_EQ(r.status, 0);
            // Then how many receipts stand alone.
            EXPECT_TRUE(r.out.starts_with("元の識別情報は見つかりませんでした。\nレセプト 300件のうち、")) << r.out;
            r = cli({"audit", "--strong", original, plok::PathUtf8(plain / (name + ".UKE"))});
            EXPECT_EQ(r.status, 1);
            EXPECT_NE(r.out.find("カルテ番号 "), std::string::npos) << r.out;
            EXPECT_NE(r.out.find("生年月日 "), std::string::npos) << r.out;
        }
    }

    std::map<std::u16string, std::u16string> pseudonyms;
    std::map<std::u16string, std::set<std::string>> seenIn;
    for (const Month& m : months) {
        for (const auto& [original, copy, kind] :
            {std::tuple {m.social, "_1", u'社'}, std::tuple {m.national, "_2", u'国'}}) {
            SCOPED_TRACE(std::string(m.month) + copy);
            const std::string name = m.month + std::string(copy);
            CheckStrong(dir / original, dir / m.month / "default" / (name + ".UKE"),
                dir / m.month / "strong" / (name + "_strong.UKE"), kind, pseudonyms, seenIn);
        }
    }
    // Many patients were seen in more than one file, each time under one pseudonym; no two patients share one.
    std::size_t shared = 0;
    std::set<std::u16string> distinct;
    for (const auto& [chart, files] : seenIn)
        shared += files.size() >= 2 ? 1 : 0;
    for (const auto& [chart, pseudonym] : pseudonyms)
        distinct.insert(pseudonym);
    EXPECT_GT(shared, 100u);
    EXPECT_EQ(distinct.size(), pseudonyms.size());
}

} // namespace
