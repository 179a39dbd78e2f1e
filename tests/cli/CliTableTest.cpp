// The commands' own declarations are the one table of plok-cli's options: the man pages, the bash completion and the
// manual must say what the parser takes.
#include "cli/Command.h"
#include "support/TempDir.h"

#include <map>
#include <regex>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

using plok::cli::Commands;
using plok::cli::DeclaredOptions;
using plok::cli::Usage;

namespace {

const std::filesystem::path kSource = PLOK_SOURCE_DIR;

std::vector<std::string> Lines(const std::filesystem::path& file)
{
    std::istringstream in(plok::test::ReadBytes(file));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Replace(std::string s, const std::string& from, const std::string& to)
{
    for (std::size_t at = 0; (at = s.find(from, at)) != std::string::npos; at += to.size())
        s.replace(at, from.size(), to);
    return s;
}

/// A command's synopsis in a man page as plain text: "strip-branch [--out DIR] ...". The Japanese page names the
/// values in Japanese.
std::map<std::string, std::string> ManSynopses(const std::filesystem::path& page)
{
    static const std::vector<std::pair<std::string, std::string>> kJapaneseValues = {
        {"変更定義ファイル", "DEFFILE"},
        {"元ファイル", "ORIGINAL"},
        {"コピー", "COPY"},
        {"フォルダ", "DIR"},
        {"ファイル", "FILE"},
    };
    std::map<std::string, std::string> synopses;
    const std::vector<std::string> lines = Lines(page);
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] != ".TP")
            continue;
        std::string s = std::regex_replace(lines[i + 1], std::regex(R"(\\f[BIRP])"), "");
        s = Replace(s, "\\-", "-");
        if (s.starts_with(".B "))
            s.erase(0, 3);
        for (const auto& [ja, en] : kJapaneseValues)
            s = Replace(s, ja, en);
        synopses.emplace(s.substr(0, s.find(' ')), s);
    }
    return synopses;
}

TEST(CliTable, ManPagesShowEachCommandAsItsParserTakesIt)
{
    for (const char* page : {"packaging/man/plok-cli.1.in", "packaging/man/ja/plok-cli.1.in"}) {
        SCOPED_TRACE(page);
        const std::map<std::string, std::string> synopses = ManSynopses(kSource / page);
        for (const plok::cli::Command* command : Commands()) {
            const std::string name(command->name);
            ASSERT_TRUE(synopses.contains(name)) << name;
            EXPECT_EQ("plok-cli " + synopses.at(name), Usage(*command));
        }
    }
}

TEST(CliTable, ManualListsEachCommandAsItsParserTakesIt)
{
    const std::string page = plok::test::ReadBytes(kSource / "docs/manual/cli.html");
    for (const plok::cli::Command* command : Commands())
        EXPECT_NE(page.find("<code>" + Usage(*command) + "</code>"), std::string::npos) << Usage(*command);
}

TEST(CliTable, BashCompletionOffersEachCommandsOptions)
{
    const std::vector<std::string> script = Lines(kSource / "packaging/plok-cli.bash");
    std::set<std::string> commands;
    std::map<std::string, std::set<std::string>> offered; // per command
    std::set<std::string> takingValues; // the options after which a value is completed
    const std::regex commandList(R"(local commands='([^']*)')");
    const std::regex optionList(R"(^\s*([a-z| -]+)\) options='([^']*)' ;;)");
    const std::regex valueCase(R"(^\s*(-[-a-z]*(?: \| -[-a-z]*)*)\)$)");
    for (const std::string& line : script) {
        std::smatch m;
        if (std::regex_search(line, m, commandList)) {
            std::istringstream words(m[1].str());
            for (std::string w; words >> w;)
                commands.insert(w);
        } else if (std::regex_search(line, m, optionList)) {
            std::istringstream names(m[1].str());
            std::istringstream options(m[2].str());
            std::set<std::string> set;
            for (std::string o; options >> o;)
                set.insert(o);
            for (std::string n; names >> n;)
                if (n != "|")
                    offered[n] = set;
        } else if (std::regex_match(line, m, valueCase)) {
            std::istringstream names(m[1].str());
            for (std::string n; names >> n;)
                if (n != "|")
                    takingValues.insert(n);
        }
    }

    std::set<std::string> expectedCommands = {"help"};
    for (const plok::cli::Command* command : Commands()) {
        const std::string name(command->name);
        SCOPED_TRACE(name);
        expectedCommands.insert(name);
        std::set<std::string> options = {"--help", "-h"};
        for (const plok::cli::OptionDoc& o : DeclaredOptions(*command)) {
            if (o.argument)
                continue;
            options.insert(o.names.begin(), o.names.end());
            if (!o.value.empty()) {
                for (const std::string& n : o.names)
                    EXPECT_TRUE(takingValues.contains(n)) << n << " takes a value";
            }
        }
        EXPECT_EQ(offered[name], options);
    }
    EXPECT_EQ(commands, expectedCommands);
}

TEST(CliTable, HelpListsEveryOptionWithItsValueAndDescription)
{
    for (const plok::cli::Command* command : Commands()) {
        SCOPED_TRACE(command->name);
        std::ostringstream out;
        std::ostringstream err;
        EXPECT_EQ(plok::cli::Run({"help", std::string(command->name)}, out, err), 0);
        const std::string help = out.str();
        EXPECT_EQ(help.rfind("使い方 / Usage: " + Usage(*command) + "\n", 0), 0u);
        for (const plok::cli::OptionDoc& o : DeclaredOptions(*command)) {
            EXPECT_FALSE(o.description.empty() && !o.argument) << o.names.back() << " has no description";
            if (o.argument)
                continue;
            const std::string label = "  " + o.names.front();
            EXPECT_NE(help.find(label), std::string::npos) << label;
            EXPECT_NE(help.find(o.description.substr(0, o.description.find('\n'))), std::string::npos);
        }
    }
}

} // namespace
