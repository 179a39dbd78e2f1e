#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/LineReader.h"
#include "core/TextFile.h"
#include "support/RawLines.h"
#include "support/TempDir.h"

#include <cstdint>

#include <gtest/gtest.h>

using plok::test::RawLines;
using plok::test::ReadBytes;
using plok::test::TempDir;
using plok::test::WriteBytes;

namespace {

TEST(LineReader, LineEndRules)
{
    struct Case
    {
        std::string name;
        std::string bytes;
        std::vector<std::string> lines;
    };
    const std::vector<Case> cases = {
        {"empty file", "", {}},
        {"lf", "a\nb\n", {"a", "b"}},
        {"crlf", "a\r\nb\r\n", {"a", "b"}},
        {"last line without end", "a\r\nb", {"a", "b"}},
        {"lone cr dropped", "a\rb\r\nc", {"ab", "c"}},
        {"cr at the very end", "a\r", {"a"}},
        {"empty lines kept", "\r\n\r\na\r\n", {"", "", "a"}},
        {"eof byte ends the file", "a\r\nb\r\n\x1a", {"a", "b"}},
        {"nothing after eof byte is read",
            "a\r\n\x1a"
            "b\r\nc\r\n",
            {"a"}},
        {"eof byte inside a line",
            "ab\x1a"
            "cd\r\n",
            {"ab"}},
        {"eof byte first",
            "\x1a"
            "a",
            {}},
        {"sjis trail bytes are not line ends", "\x83\x5c\r\n\x82\xa0", {"\x83\x5c", "\x82\xa0"}},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir / "in.txt", c.bytes);
        EXPECT_EQ(RawLines(dir / "in.txt"), c.lines);
    }
}

TEST(LineReader, ALoneCrIsRefusedWithItsLineWhenAsked)
{
    const std::string full(65535, 'x'); // its CR ends the first fill of the buffer
    struct Case
    {
        std::string name;
        std::string bytes;
        std::uint64_t line; // 0: read like the dropping reader
    };
    const std::vector<Case> cases = {
        {"inside a line", "a\r\nb\rc\r\nd\r\n", 2},
        {"before another cr", "a\r\r\nb", 1},
        {"at the end of the file", "a\r\nb\r", 2},
        {"before the eof byte", "a\r\nb\r\x1a\r\n", 2},
        {"cr line ends", "IR,1\rRE,1\rHO,1\r", 1},
        {"at the end of a fill, then more of the line", full + "\rz\r\n", 1},
        {"crlf split by the end of a fill", full + "\r\nz\r\n", 0},
        {"lf and crlf", "a\nb\r\n\r\nc", 0},
        {"a cr after the eof byte is never read", "a\r\n\x1a\rb", 0},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir / "in.txt", c.bytes);
        plok::LineReader reader(dir / "in.txt", plok::LoneCr::Refuse);
        std::vector<std::string> lines;
        std::string line;
        try {
            while (reader.Next(line))
                lines.push_back(line);
            EXPECT_EQ(c.line, 0u);
            EXPECT_EQ(lines, RawLines(dir / "in.txt"));
        } catch (const plok::LoneCrError& e) {
            EXPECT_EQ(e.line(), c.line);
            EXPECT_EQ(std::string(e.what()).find(std::to_string(c.line) + "行目"), 0u);
        }
    }
}

TEST(LineReader, TheLineOfALoneCrCountsTheLinesTakenInRuns)
{
    std::string bytes;
    for (int i = 0; i < 5000; ++i)
        bytes += (i % 7 == 0 ? "RE," : "SI,") + std::to_string(i) + "\r\n";
    bytes += "SI,\rx\r\n";
    TempDir dir;
    WriteBytes(dir / "in.txt", bytes);
    plok::LineReader reader(dir / "in.txt", plok::LoneCr::Refuse);
    const auto take = [](std::string_view line) { return !line.starts_with("RE"); };
    std::string_view run;
    std::string_view line;
    try {
        while (reader.TakeWhile(take, run, line) || reader.Next(line)) { }
        ADD_FAILURE() << "no LoneCrError";
    } catch (const plok::LoneCrError& e) {
        EXPECT_EQ(e.line(), 5001u);
    }
}

TEST(LineReader, LinesLongerThanTheBufferAndManyLines)
{
    TempDir dir;
    std::string bytes;
    std::vector<std::string> expected;
    for (int i = 0; i < 3; ++i) {
        expected.push_back(std::string(700000 + i, static_cast<char>('a' + i)));
        bytes += expected.back() + (i == 1 ? "\n" : "\r\n");
    }
    for (int i = 0; i < 100000; ++i) {
        expected.push_back("RE," + std::to_string(i));
        bytes += expected.back() + "\r\n";
    }
    WriteBytes(dir / "big.txt", bytes + "\x1a");
    EXPECT_EQ(RawLines(dir / "big.txt"), expected);
}

TEST(LineReader, TakeWhileGivesTheLinesNextGivesAsRunsOfTheirBytes)
{
    // Lines of every length around the 64-byte blocks and the buffer size, most with CR LF, some with a lone LF, a CR
    // inside or a CR LF split by the end of a buffer; the lines starting with 'x' are refused.
    std::string bytes;
    std::uint64_t seed = 7;
    const auto next = [&] {
        seed = seed * 6364136223846793005u + 1442695040888963407u;
        return static_cast<unsigned>(seed >> 33);
    };
    while (bytes.size() < 400000) {
        const unsigned kind = next() % 400;
        std::string line(kind == 0 ? 70000 + next() % 70000 : next() % 150, 'a');
        for (char& c : line)
            c = static_cast<char>('a' + next() % 26);
        if (!line.empty() && next() % 4 == 0)
            line[0] = 'x';
        if (kind >= 1 && kind < 10 && !line.empty())
            line[next() % line.size()] = '\r';
        bytes += line + (kind >= 10 && kind < 20 ? "\n" : "\r\n");
    }
    bytes += "last";
    TempDir dir;
    WriteBytes(dir / "mixed.txt", bytes);

    const std::vector<std::string> expected = RawLines(dir / "mixed.txt");
    std::vector<std::string> got;
    std::size_t refusedLines = 0;
    std::size_t takenLines = 0;
    plok::LineReader reader(dir / "mixed.txt");
    const auto take = [](std::string_view line) { return line.empty() || line[0] != 'x'; };
    for (;;) {
        std::string_view run;
        std::string_view line;
        const bool refused = reader.TakeWhile(take, run, line);
        for (std::size_t end = run.find("\r\n"); !run.empty(); end = run.find("\r\n")) {
            ASSERT_NE(end, run.npos);
            got.emplace_back(run.substr(0, end));
            ASSERT_TRUE(take(got.back()));
            ++takenLines;
            run.remove_prefix(end + 2);
        }
        if (refused) {
            EXPECT_FALSE(take(line));
            EXPECT_EQ(reader.LastLineWithCrLf(line), std::string(line) + "\r\n");
            ++refusedLines;
        } else if (!reader.Next(line)) {
            break;
        }
        got.emplace_back(line);
    }
    EXPECT_EQ(got, expected);
    EXPECT_GT(takenLines, 300u);
    EXPECT_GT(refusedLines, 300u);
}

TEST(LineReader, MissingFileIsAnIoError)
{
    TempDir dir;
    EXPECT_THROW(plok::LineReader(dir / "none.txt"), plok::IoError);
}

TEST(LoadLines, CutsAtEveryKindOfBreak)
{
    TempDir dir;
    WriteBytes(dir / "a.txt", "a\r\nb\nc\rd\r\n\r\ne\r");
    EXPECT_EQ(plok::LoadLines(dir / "a.txt"), (std::vector<plok::Line> {u"a", u"b", u"c", u"d", u"", u"e"}));
    WriteBytes(dir / "b.txt", "x\n\n");
    EXPECT_EQ(plok::LoadLines(dir / "b.txt"), (std::vector<plok::Line> {u"x", u""}));
    WriteBytes(dir / "c.txt", "");
    EXPECT_TRUE(plok::LoadLines(dir / "c.txt").empty());
}

TEST(LoadLines, ByteOrderMarkSelectsTheEncoding)
{
    struct Case
    {
        std::string name;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"cp932", "\x83\x65\x83X\x83g,1\r\n\x82\xa0"},
        {"utf-8", "\xEF\xBB\xBF\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88,1\r\n\xE3\x81\x82"},
        {"utf-16le",
            std::string("\xFF\xFE\xC6\x30\xB9\x30\xC8\x30,\0"
                        "1\0\r\0\n\0\x42\x30",
                18)},
        {"utf-16be",
            std::string("\xFE\xFF\x30\xC6\x30\xB9\x30\xC8\0,\0"
                        "1\0\r\0\n\x30\x42",
                18)},
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteBytes(dir / "f.txt", c.bytes);
        EXPECT_EQ(plok::LoadLines(dir / "f.txt"), (std::vector<plok::Line> {u"テスト,1", u"あ"}));
    }
}

TEST(WrtSet, WritesCp932WithCrLfAndNothingElse)
{
    TempDir dir;
    plok::WrtSet(dir / "out.UKE", {u"IR,テスト", u"", u"a\u301Cb", u"\U0001F600"});
    EXPECT_EQ(ReadBytes(dir / "out.UKE"), "IR,\x83\x65\x83X\x83g\r\n\r\na?b\r\n?\r\n");
    plok::WrtSet(dir / "empty.UKE", {});
    EXPECT_EQ(ReadBytes(dir / "empty.UKE"), "");
}

TEST(WrtSet, ReadThenWriteDropsTheEofByteAndKeepsEveryOtherByte)
{
    TempDir dir;
    const std::string body = "IR,1,13,\x80\xfd\r\nRE,1,\x87\x54\xfa\x4a\xf0\x40\r\n";
    WriteBytes(dir / "in.UKE", body + "\x1a");
    std::vector<plok::Line> lines;
    for (const auto& raw : RawLines(dir / "in.UKE"))
        lines.push_back(plok::cp932::Decode(raw));
    plok::WrtSet(dir / "out.UKE", lines);
    // Ⅰ written twice as 0x8754: the duplicate IBM code is written the way Windows writes it.
    EXPECT_EQ(ReadBytes(dir / "out.UKE"), "IR,1,13,\x80\xfd\r\nRE,1,\x87\x54\x87\x54\xf0\x40\r\n");
}

TEST(WrtSet, FailureLeavesTheExistingFileAndNoTemporaryFile)
{
    TempDir dir;
    WriteBytes(dir / "keep.UKE", "old\r\n");
    // A folder in place of the target makes the final rename fail after everything was written.
    std::filesystem::create_directory(dir / "folder.UKE");
    EXPECT_THROW(plok::WrtSet(dir / "folder.UKE", {u"new"}), plok::IoError);
    EXPECT_THROW(plok::WrtSet(dir / "missing" / "x.UKE", {u"new"}), plok::IoError);
    EXPECT_EQ(ReadBytes(dir / "keep.UKE"), "old\r\n");
    int entries = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 2); // keep.UKE and folder.UKE, no leftover temporary file
}

TEST(AtomicFile, NothingAppearsUntilCommitAndDiscardRemovesTheTemporaryFile)
{
    for (const auto naming : {plok::AtomicFile::Naming::Anonymous, plok::AtomicFile::Naming::Named}) {
        SCOPED_TRACE(naming == plok::AtomicFile::Naming::Named ? "named" : "anonymous");
        TempDir dir;
        WriteBytes(dir / "out.UKE", "old");
        {
            plok::AtomicFile f(dir.path(), naming);
            f.Write("new content");
            EXPECT_EQ(ReadBytes(dir / "out.UKE"), "old");
            EXPECT_EQ(ReadBytes(f.ContentPath()), "new content");
        }
        EXPECT_EQ(ReadBytes(dir / "out.UKE"), "old");
        EXPECT_EQ(plok::test::FileCount(dir.path()), 1u);

        plok::AtomicFile f(dir.path(), naming);
        const std::string big(1 << 20, 'x');
        f.Write(big);
        f.Write("tail");
        f.Commit(dir / "out.UKE");
        EXPECT_EQ(ReadBytes(dir / "out.UKE"), big + "tail");
        EXPECT_EQ(plok::test::FileCount(dir.path()), 1u);
        const auto perms = std::filesystem::status(dir / "out.UKE").permissions();
        EXPECT_NE(perms & std::filesystem::perms::owner_read, std::filesystem::perms::none);
    }
}

TEST(AtomicFile, PendingTemporaryFilesCanBeRemovedFromASignalHandler)
{
    TempDir dir;
    {
        plok::AtomicFile named(dir.path(), plok::AtomicFile::Naming::Named);
        plok::AtomicFile other(dir.path(), plok::AtomicFile::Naming::Named);
        other.Write("x");
        other.Commit(dir / "done.UKE");
        named.Write("half");
        EXPECT_EQ(plok::test::FileCount(dir.path()), 2u);
        plok::RemovePendingTempFiles();
        // The committed file is no pending one. (That the pending one's name is gone at once is POSIX's: Windows
        // removes it when the file is closed, at the latest when the process ends; PosixFileTest.cpp.)
        EXPECT_EQ(ReadBytes(dir / "done.UKE"), "x");
    }
    // Only the committed file stays.
    EXPECT_EQ(plok::test::FileCount(dir.path()), 1u);
    EXPECT_TRUE(std::filesystem::exists(dir / "done.UKE"));
}

TEST(IoError, TheMessageNamesThePathAsWhatItIsAndTheReason)
{
    TempDir dir;
    try {
        plok::WrtSet(dir / "missing" / "x.UKE", {u"x"});
        ADD_FAILURE() << "no error";
    } catch (const plok::IoError& e) {
        EXPECT_EQ(std::string(e.what()),
            "フォルダ \"" + (dir / "missing").string() + "\" に書き込めません。(ファイルまたはフォルダがありません)");
    }
}

} // namespace
