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
    const std::string bytes = ReadBytes(output);
    EXPECT_TRUE(bytes.ends_with("\r\n"));
    EXPECT_EQ(bytes.find('\x1a'), std::string::npos);
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

} // namespace
