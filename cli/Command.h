#pragma once

#include "cli/Cli.h"
#include "core/RunResult.h"
#include "core/Text.h"

#include <filesystem>
#include <functional>
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

/// One run of a per-file command: the input file and the output folder in, the run's result out.
using FileJob = std::function<RunResult(const std::filesystem::path& file, const std::filesystem::path& outFolder)>;
/// Work a command does once before its files, after the output folder is checked: false when it has reported a
/// failure and the command must stop.
using Prepare = std::function<bool(Reporter&)>;

/// The loop every per-file command shares: checks the output folder (--out, default the current folder) once, runs
/// `prepare`, then `job` for every FILE in order. A produced file is printed; a refused run or a failure is reported
/// on stderr under the file's name and never stops the next file. Returns kExitOk when every file produced its
/// output, else kExitFailed.
int RunOnFile(const ParsedArgs& args, Reporter& reporter, const FileJob& job, const Prepare& prepare = {});

const Command& AnonymizeCommand();
const Command& StripBranchCommand();
const Command& CarteCommand();
const Command& ExportCsvCommand();
const Command& ReplaceCommand();

} // namespace plok::cli
