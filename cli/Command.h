#pragma once

#include "cli/Cli.h"
#include "core/Errors.h"
#include "core/Text.h"

#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

/// The pieces every plok-cli command is made of. A command is one entry of the table in Cli.cpp: its name, its
/// help text, the options it takes, and a function that runs it over the parsed arguments.
namespace plok::cli {

inline constexpr std::string_view kProgram = "plok-cli";

struct OptionSpec
{
    std::string_view name; // without the leading "--"
    std::string_view valueName;
};

struct ParsedArgs
{
    std::map<std::string, std::string, std::less<>> options;
    std::vector<std::string> files;

    std::string Option(std::string_view name, std::string_view def) const
    {
        const auto it = options.find(name);
        return it == options.end() ? std::string(def) : it->second;
    }
};

/// What a command reports about one input file.
class Reporter
{
public:
    Reporter(std::ostream& out, std::ostream& err)
        : m_out(out)
        , m_err(err)
    { }
    void Produced(std::u16string_view name) { m_out << ToUtf8(name) << '\n' << std::flush; }
    void Failed(std::string_view file, std::string_view message)
    {
        m_err << kProgram << ": " << file << ": " << message << '\n' << std::flush;
        m_failed = true;
    }
    bool failed() const { return m_failed; }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_failed = false;
};

struct Command
{
    std::string_view name;
    std::string_view usage; // one line: "plok-cli NAME [OPTION...] FILE..."
    std::string_view help; // Japanese, then English
    std::vector<OptionSpec> options;
    std::size_t minFiles;
    std::size_t maxFiles; // SIZE_MAX for no limit
    std::vector<std::string_view> required; // options that must be given
    int (*run)(const ParsedArgs&, Reporter&);
};

/// Checks the output folder once for all files, so that a mistyped --out is reported once.
inline bool OutputFolderReady(const std::filesystem::path& folder, Reporter& reporter)
{
    std::error_code ec;
    if (std::filesystem::is_directory(folder, ec))
        return true;
    reporter.Failed(folder.string(), "出力フォルダがありません。");
    return false;
}

/// Runs `body` for one file, turning the job's failures into one stderr line; a failure never stops the next file.
template<class Body>
void ForEachFile(const ParsedArgs& args, Reporter& reporter, Body body)
{
    for (const std::string& file : args.files) {
        try {
            body(file);
        } catch (const Error& e) {
            reporter.Failed(file, e.what());
        } catch (const std::exception& e) {
            reporter.Failed(file, e.what());
        }
    }
}

const Command& AnonymizeCommand();
const Command& StripBranchCommand();
const Command& CarteCommand();
const Command& ExportCsvCommand();
const Command& ReplaceCommand();

} // namespace plok::cli
