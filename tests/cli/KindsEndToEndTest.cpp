// Every kind of claims file through every job of the real plok-cli, and the files no job may take for one.
#include "core/Cp932.h"
#include "core/FileNames.h"
#include "core/Text.h"
#include "support/ClaimsFixtures.h"
#include "support/CutAtCommas.h"
#include "support/Process.h"
#include "support/TempDir.h"

#include <algorithm>

#include <gtest/gtest.h>

using plok::test::FileCount;
using plok::test::KindFixture;
using plok::test::Process;
using plok::test::ReadBytes;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

const std::string kCli = PLOK_CLI_PATH;

std::vector<std::string> Lines(std::string_view bytes)
{
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = bytes.find("\r\n", at);
        if (end == std::string_view::npos)
            break;
        lines.emplace_back(bytes.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

class CliKinds : public testing::TestWithParam<KindFixture>
{
protected:
    CliKinds()
    {
        std::filesystem::create_directory(dir / "out");
        WriteBytes(Source(), GetParam().Bytes());
        WriteBytes(dir / "clinic.key", std::string(32, '\x5a'));
    }
    std::filesystem::path Source() const { return dir / "in.dat"; }
    std::string Out() const { return (dir / "out").string(); }
    std::filesystem::path Output(const std::u16string& name) const { return dir / "out" / plok::ToPath(name); }
    Process::Result Run(std::vector<std::string> args)
    {
        std::filesystem::remove_all(dir / "out");
        std::filesystem::create_directory(dir / "out");
        args.insert(args.end(), {"-o", Out(), Source().string()});
        return Process(kCli, args).Wait();
    }
    /// The copy ends as its source ended, and holds no double quote, as its source holds none.
    void ExpectFormat(const std::string& copy) const
    {
        EXPECT_EQ(copy.ends_with("\r\n\x1a"), GetParam().endMark);
        EXPECT_TRUE(copy.ends_with(GetParam().endMark ? "\r\n\x1a" : "\r\n"));
        EXPECT_EQ(copy.find('"'), std::string::npos);
    }
    void ExpectNone(const std::string& copy, const std::vector<std::u16string>& values) const
    {
        for (const std::u16string& value : values)
            EXPECT_EQ(copy.find(plok::cp932::Encode(value)), std::string::npos) << plok::ToUtf8(value);
    }

    TempDir dir;
};

TEST_P(CliKinds, AnonymisedCopiesHoldNoneOfTheIdentifiersAndPassTheAudit)
{
    const KindFixture& f = GetParam();
    for (const bool strong : {false, true}) {
        SCOPED_TRACE(strong ? "strong" : "default");
        std::vector<std::string> args = {"anonymize", "--audit"};
        if (strong)
            args.insert(args.end(), {"--strong", "--key", (dir / "clinic.key").string()});
        const Process::Result r = Run(args);
        ASSERT_EQ(r.status, 0) << r.err;
        const std::u16string name = strong ? f.strongName : f.copyName;
        EXPECT_EQ(r.out, plok::ToUtf8(name) + "\n");
        EXPECT_EQ(FileCount(dir / "out"), 1u);
        const std::string copy = ReadBytes(Output(name));
        ExpectFormat(copy);
        ExpectNone(copy, f.identifiers);
        if (strong)
            ExpectNone(copy, f.strongIdentifiers);
        // The audit on its own says the same of the copy.
        std::vector<std::string> audit = {"audit", Source().string(), Output(name).string()};
        if (strong)
            audit.insert(audit.begin() + 1, "--strong");
        const Process::Result checked = Process(kCli, audit).Wait();
        EXPECT_EQ(checked.status, 0) << checked.out << checked.err;
    }
}

TEST_P(CliKinds, BranchRemovalCutsTheKindsOwnChartNumbersAndNothingElse)
{
    const KindFixture& f = GetParam();
    const Process::Result r = Run({"strip-branch"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, plok::ToUtf8(f.strippedName) + "\n");
    const std::string copy = ReadBytes(Output(f.strippedName));
    ExpectFormat(copy);
    const std::vector<std::string> in = Lines(f.Bytes());
    const std::vector<std::string> out = Lines(copy);
    ASSERT_EQ(out.size(), in.size());
    std::size_t chart = 0;
    for (std::size_t i = 0; i < in.size(); ++i) {
        SCOPED_TRACE("line " + std::to_string(i + 1));
        std::vector<std::string> want = plok::test::CutAtCommas<char>(in[i]);
        const std::vector<std::string> got = plok::test::CutAtCommas<char>(out[i]);
        ASSERT_EQ(got.size(), want.size());
        // The chart number is the one field where the line's value is one of the chart numbers.
        for (std::string& field : want) {
            if (chart < f.charts.size() && field == plok::cp932::Encode(f.charts[chart].first)) {
                field = plok::cp932::Encode(f.charts[chart++].second);
                break;
            }
        }
        EXPECT_EQ(got, want);
    }
    EXPECT_EQ(chart, f.charts.size());
}

INSTANTIATE_TEST_SUITE_P(Kinds, CliKinds, testing::ValuesIn(plok::test::KindFixtures()),
    [](const testing::TestParamInfo<KindFixture>& info) { return std::string(info.param.kind); });

TEST(CliRefusedKinds, EveryJobRefusesWhatIsNoClaimsFileSaysWhatItIsAndGoesOnWithTheNextFile)
{
    TempDir dir;
    const KindFixture medical = plok::test::MedicalFixture();
    WriteBytes(dir / "RECEIPTC.UKE", medical.Bytes());
    for (const plok::test::RefusedFixture& refused : plok::test::RefusedFixtures()) {
        SCOPED_TRACE(refused.name);
        WriteBytes(dir / refused.name, refused.bytes);
        const std::string path = (dir / refused.name).string();
        for (const std::vector<std::string>& command : {std::vector<std::string> {"anonymize"},
                 std::vector<std::string> {"anonymize", "--audit"}, std::vector<std::string> {"strip-branch"}}) {
            SCOPED_TRACE(command.back());
            std::filesystem::remove_all(dir / "out");
            std::filesystem::create_directory(dir / "out");
            std::vector<std::string> args = command;
            args.insert(args.end(), {"-o", (dir / "out").string(), path, (dir / "RECEIPTC.UKE").string()});
            const Process::Result r = Process(kCli, args).Wait();
            EXPECT_EQ(r.status, 1);
            const std::string says = "plok-cli: " + path + ": ";
            ASSERT_NE(r.err.find(says), std::string::npos) << r.err;
            EXPECT_NE(r.err.find(plok::ToUtf8(refused.says), r.err.find(says)), std::string::npos) << r.err;
            // Only the claims file after it gave a copy.
            EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1);
            EXPECT_EQ(FileCount(dir / "out"), 1u);
        }
        // What the audit cannot read as a claims file proves nothing either way.
        const Process::Result audit = Process(kCli, {"audit", path, (dir / "RECEIPTC.UKE").string()}).Wait();
        EXPECT_EQ(audit.status, 2);
        EXPECT_NE(audit.err.find(plok::ToUtf8(refused.says)), std::string::npos) << audit.err;
    }
}

} // namespace
