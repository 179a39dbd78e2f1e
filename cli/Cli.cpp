#include "cli/Cli.h"

#include "cli/Command.h"
#include "core/Version.h"

#include <algorithm>
#include <span>

namespace plok::cli {

namespace {

const std::vector<const Command*>& Commands()
{
    static const std::vector<const Command*> commands = {
        &AnonymizeCommand(),
        &StripBranchCommand(),
        &ReplaceCommand(),
        &CarteCommand(),
        &ExportCsvCommand(),
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
    for (const Command* c : Commands())
        os << "  " << c->usage << '\n';
    os << "\n"
          "各コマンドの説明 / Help on a command: plok-cli COMMAND --help\n"
          "バージョン / Version: plok-cli --version\n"
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
    for (std::string_view option : command.required)
        if (!parsed.options.contains(option))
            return UsageError(err,
                "--" + std::string(option) + " を指定してください / --" + std::string(option) + " is required",
                &command);
    if (parsed.files.size() < command.minFiles)
        return UsageError(err, "ファイルを指定してください / no FILE given", &command);
    if (parsed.files.size() > command.maxFiles)
        return UsageError(err, "ファイルが多すぎます / too many FILEs", &command);
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
        if (name == "--version" || name == "-V") {
            out << kProgram << ' ' << kVersion << '\n';
            return kExitOk;
        }
        for (const Command* c : Commands())
            if (c->name == name)
                return RunCommand(*c, std::span(args).subspan(1), out, err);
        return UsageError(err, "不明なコマンドです / unknown command: " + name, nullptr);
    } catch (const std::exception& e) {
        err << kProgram << ": " << e.what() << '\n';
        return kExitFailed;
    }
}

} // namespace plok::cli
