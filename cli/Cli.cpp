#include "cli/Cli.h"

#include "claims/Anonymize.h"
#include "core/Errors.h"
#include "core/Text.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <ostream>
#include <span>
#include <string_view>

namespace plok::cli {

namespace {

constexpr std::string_view kProgram = "plok-cli";

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
    std::string_view usage;
    std::string_view help;
    std::vector<OptionSpec> options;
    std::size_t minFiles;
    int (*run)(const ParsedArgs&, Reporter&);
};

/// Checks the output folder once for all files, so that a mistyped --out is reported once.
bool OutputFolderReady(const std::filesystem::path& folder, Reporter& reporter)
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

int RunAnonymize(const ParsedArgs& args, Reporter& reporter)
{
    const std::filesystem::path outFolder = args.Option("out", ".");
    if (!OutputFolderReady(outFolder, reporter))
        return kExitFailed;
    ForEachFile(args, reporter, [&](const std::string& file) {
        const claims::ConvResult r = claims::Conv(file, outFolder);
        if (r.status == claims::ConvResult::Status::Done)
            reporter.Produced(r.fileName);
        else
            reporter.Failed(file, ToUtf8(r.message));
    });
    return reporter.failed() ? kExitFailed : kExitOk;
}

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
        {
            "anonymize",
            "plok-cli anonymize [--out DIR] FILE...",
            "レセ電データ（RECEIPTC.UKE）の匿名化コピーを作成します。\n"
            "医療機関コード・名称・電話番号、患者氏名、保険者番号・公費番号を固定のダミー値に置き換え、\n"
            "症状詳記（SJ）とコメント（CO）のレコードを除きます。出力ファイル名は請求年月に\n"
            "社保は \"_1\"、国保は \"_2\" を付けたものです（例: 50605_1.UKE）。\n"
            "\n"
            "Writes an anonymised copy of each claims file: institution code, name and telephone number,\n"
            "patient names and insurer / public-expense numbers get fixed dummy values, and symptom-note (SJ)\n"
            "and comment (CO) records are left out. The output is named after the billing month with \"_1\"\n"
            "(social insurance) or \"_2\" (national insurance), e.g. 50605_1.UKE.\n"
            "\n"
            "  --out DIR   出力先フォルダ（既定: カレントフォルダ） / output folder (default: current folder)\n",
            {{"out", "DIR"}},
            1,
            RunAnonymize,
        },
    };
    return commands;
}

void PrintMainHelp(std::ostream& os)
{
    os << "使い方 / Usage: plok-cli COMMAND [OPTION...] FILE...\n"
          "\n"
          "レセ電データなどを、デスクトップ版と同じ処理でまとめて変換します。\n"
          "Runs the desktop program's jobs on files from the command line.\n"
          "\n"
          "コマンド / Commands:\n";
    for (const Command& c : Commands())
        os << "  " << c.usage << '\n';
    os << "\n"
          "各コマンドの説明 / Help on a command: plok-cli COMMAND --help\n"
          "\n"
          "作成したファイル名を1行ずつ標準出力に、警告とエラーを \"plok-cli: FILE: MESSAGE\" の形で\n"
          "標準エラー出力に書きます。終了コード: 0 = すべて作成、1 = 作成できなかったファイルがある、\n"
          "2 = 引数の誤り。\n"
          "Each produced file name goes to stdout on a line of its own; warnings and failures go to stderr as\n"
          "\"plok-cli: FILE: MESSAGE\". Exit status: 0 = every file produced, 1 = some file was not,\n"
          "2 = usage error.\n";
}

int UsageError(std::ostream& err, std::string_view message, const Command* command)
{
    err << kProgram << ": " << message << '\n';
    if (command) {
        err << "使い方 / Usage: " << command->usage << '\n'
            << "詳しくは / See: plok-cli " << command->name << " --help\n";
    } else {
        err << "使い方 / Usage: plok-cli COMMAND [OPTION...] FILE...\n"
               "詳しくは / See: plok-cli --help\n";
    }
    return kExitUsage;
}

int RunCommand(const Command& command, std::span<const std::string> args, std::ostream& out, std::ostream& err)
{
    ParsedArgs parsed;
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsDone || arg == "-" || !arg.starts_with('-')) {
            parsed.files.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsDone = true;
            continue;
        }
        if (arg == "--help" || arg == "-h") {
            out << "使い方 / Usage: " << command.usage << "\n\n" << command.help;
            return kExitOk;
        }
        if (!arg.starts_with("--"))
            return UsageError(err, "不明なオプションです / unknown option: " + arg, &command);
        const std::size_t eq = arg.find('=');
        const std::string_view name = std::string_view(arg).substr(2, eq == arg.npos ? arg.npos : eq - 2);
        const auto spec = std::find_if(
            command.options.begin(), command.options.end(), [&](const OptionSpec& o) { return o.name == name; });
        if (spec == command.options.end())
            return UsageError(err, "不明なオプションです / unknown option: " + arg, &command);
        std::string value;
        if (eq != arg.npos) {
            value = arg.substr(eq + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return UsageError(err,
                "--" + std::string(name) + " には " + std::string(spec->valueName) + " が必要です / needs a value",
                &command);
        }
        parsed.options[std::string(name)] = value;
    }
    if (parsed.files.size() < command.minFiles)
        return UsageError(err, "ファイルを指定してください / no FILE given", &command);
    Reporter reporter(out, err);
    return command.run(parsed, reporter);
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    try {
        if (args.empty())
            return UsageError(err, "コマンドを指定してください / no COMMAND given", nullptr);
        const std::string& name = args.front();
        if (name == "--help" || name == "-h" || name == "help") {
            PrintMainHelp(out);
            return kExitOk;
        }
        for (const Command& c : Commands())
            if (c.name == name)
                return RunCommand(c, std::span(args).subspan(1), out, err);
        return UsageError(err, "不明なコマンドです / unknown command: " + name, nullptr);
    } catch (const std::exception& e) {
        err << kProgram << ": " << e.what() << '\n';
        return kExitFailed;
    }
}

} // namespace plok::cli
