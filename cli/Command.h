#pragma once

#include "cli/Cli.h"
#include "core/RunResult.h"
#include "core/Text.h"

#include <filesystem>
#include <functional>
#include <ostream>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace CLI {
class App;
}

/// The pieces every plok-cli command is made of. A command is one entry of the table in Cli.cpp: its name, its help
/// text, and a function that declares its options on the parser and returns what runs it.
namespace plok::cli {

inline constexpr std::string_view kProgram = "plok-cli";

/// What a command reports.
class Reporter
{
public:
    Reporter(std::ostream& out, std::ostream& err)
        : m_out(out)
        , m_err(err)
    { }
    /// A file the command wrote, on stdout.
    void Produced(std::u16string_view name) { m_out << ToUtf8(name) << '\n' << std::flush; }
    /// A line of a report, on stdout.
    void Print(std::u16string_view line) { m_out << ToUtf8(line) << '\n' << std::flush; }
    /// A problem with `subject` (a file, an option), on stderr; the command will end with a failure status.
    void Failed(std::string_view subject, std::string_view message)
    {
        m_err << kProgram << ": " << subject << ": " << message << '\n' << std::flush;
        m_failed = true;
    }
    /// Something the user should know about `subject` that fails nothing (a warning, the key's ID), on stderr.
    void Note(std::string_view subject, std::string_view message)
    {
        m_err << kProgram << ": " << subject << ": " << message << '\n' << std::flush;
    }
    bool failed() const { return m_failed; }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_failed = false;
};

/// Runs a parsed command; returns its exit status.
using Runner = std::function<int(Reporter&)>;

/// A command: its name, what it does, and its options and arguments as its parser declares them. The declaration is
/// the one table of the command's options: the usage line and the option list of the help are made from it, and a
/// test holds the man pages, the bash completion and the manual to it.
struct Command
{
    std::string_view name;
    std::string_view help; // what the command does: Japanese, then English
    /// Declares the command's options and arguments on `app`, each with its value name and description, bound to
    /// storage the returned runner owns.
    std::function<Runner(CLI::App& app)> define;
};

/// One option or argument of a command, as its parser declares it.
struct OptionDoc
{
    std::vector<std::string> names; // "-o", "--out"; for an argument its one name ("FILE")
    std::string value; // the name of the option's value ("DIR"); empty for a flag and for an argument
    std::string description; // Japanese / English, one or more lines
    bool required = false;
    bool argument = false; // a positional argument
    bool repeats = false; // an argument that takes more than one value
};

/// Every command of plok-cli, in the order the help lists them.
const std::vector<const Command*>& Commands();
/// The options (without -h/--help) and then the arguments of `command`, in the order it declares them.
std::vector<OptionDoc> DeclaredOptions(const Command& command);
/// The command's usage line: "plok-cli NAME [--out DIR] FILE...".
std::string Usage(const Command& command);

/// A command line that parses but asks for something the command cannot do (an option its mode ignores): reported
/// like any other usage error, with the command's usage.
class UsageError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// The arguments of a per-file command: the output folder and the files.
struct FileArgs
{
    std::string out = "."; // as typed (UTF-8): PathFromUtf8 makes the path
    std::vector<std::string> files;
};

/// Declares -o/--out DIR and the FILE arguments (at least `minFiles`, at most `maxFiles`; -1 for no limit).
void AddFileArgs(CLI::App& app, FileArgs& args, int minFiles, int maxFiles);

/// One run of a per-file command: the input file and where the output goes in, the run's result out.
using FileJob = std::function<RunResult(const std::filesystem::path& file, const OutputTarget& target)>;
/// Work a command does once before its files, after the output folder is checked: false when it has reported a
/// failure and the command must stop.
using Prepare = std::function<bool(Reporter&)>;

/// The loop every per-file command shares: checks the output folder once, runs `prepare`, then `job` for every file
/// in order. A produced file is printed; a refused run or a failure is reported on stderr under the file's name and
/// never stops the next file. An output whose name an earlier file of the same call produced is refused before it
/// replaces that file. Returns kExitOk when every file produced its output, else kExitFailed.
int RunOnFile(const FileArgs& args, Reporter& reporter, const FileJob& job, const Prepare& prepare = {});

const Command& AnonymizeCommand();
const Command& AuditCommand();
const Command& StripBranchCommand();
const Command& CarteCommand();
const Command& ExportCsvCommand();
const Command& ReplaceCommand();

} // namespace plok::cli
