#include "cli/Cli.h"

#include "cli/Command.h"
#include "core/Version.h"

#include <CLI/CLI.hpp>
#include <algorithm>

namespace plok::cli {

namespace {

const std::vector<const Command*>& Commands()
{
    static const std::vector<const Command*> commands = {
        &AnonymizeCommand(),
        &AuditCommand(),
        &StripBranchCommand(),
        &ReplaceCommand(),
        &CarteCommand(),
        &ExportCsvCommand(),
    };
    return commands;
}

const Command* FindCommand(std::string_view name)
{
    for (const Command* c : Commands())
        if (c->name == name)
            return c;
    return nullptr;
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
    os << "  plok-cli help [COMMAND]\n"
          "\n"
          "  -h, --help      この説明 / this help\n"
          "  -V, --version   バージョン / the version\n"
          "\n"
          "各コマンドの説明 / Help on a command: plok-cli help COMMAND, plok-cli COMMAND --help\n"
          "\n"
          "作成したファイル名を1行ずつ標準出力に、警告とエラーを \"plok-cli: FILE: MESSAGE\" の形で\n"
          "標準エラー出力に書きます。終了コード: 0 = すべて作成、1 = 作成できなかったファイルがある\n"
          "（audit では元の識別情報が見つかった）、2 = 引数の誤り（audit では読めないファイルも）。\n"
          "Each produced file name goes to stdout on a line of its own; warnings and failures go to stderr as\n"
          "\"plok-cli: FILE: MESSAGE\". Exit status: 0 = every file produced, 1 = some file was not (for audit:\n"
          "identifiers were found), 2 = usage error (for audit also: a file it cannot read).\n";
}

void PrintCommandHelp(std::ostream& os, const Command& command)
{
    os << "使い方 / Usage: " << command.usage << "\n\n" << command.help;
}

int ReportUsageError(std::ostream& err, std::string_view message, const Command* command)
{
    err << kProgram << ": " << message << '\n';
    if (command) {
        err << "使い方 / Usage: " << command->usage << '\n'
            << "詳しくは / See: plok-cli help " << command->name << '\n';
    } else {
        err << "使い方 / Usage: plok-cli COMMAND [OPTION...] FILE...\n"
               "詳しくは / See: plok-cli --help\n";
    }
    return kExitUsage;
}

/// The parser's complaint in both languages; a complaint about one option starts with that option.
std::string UsageText(const CLI::ParseError& e)
{
    const std::string what = e.what();
    if (dynamic_cast<const CLI::ValidationError*>(&e) && what.starts_with("--")) {
        const std::size_t colon = what.find(": ");
        if (colon != std::string::npos)
            return what.substr(0, colon) + ": 値が正しくありません / invalid value: " + what.substr(colon + 2);
    }
    if (dynamic_cast<const CLI::ExtrasError*>(&e))
        return "不明なオプションか余分な引数です / " + what;
    if (dynamic_cast<const CLI::ArgumentMismatch*>(&e))
        return "オプションの値か引数の数が正しくありません / " + what;
    if (dynamic_cast<const CLI::RequiredError*>(&e))
        return "必要な引数がありません / " + what;
    if (dynamic_cast<const CLI::ValidationError*>(&e) || dynamic_cast<const CLI::ConversionError*>(&e))
        return "値が正しくありません / " + what;
    return "引数が正しくありません / " + what;
}

} // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    // What the user typed decides the help and usage texts even when the parser gives up early.
    const Command* command = nullptr;
    for (const std::string& arg : args) {
        if (arg == "--")
            break;
        if (!arg.starts_with('-')) {
            command = FindCommand(arg);
            break;
        }
    }

    CLI::App app("", std::string(kProgram));
    app.set_help_flag("-h,--help");
    app.set_version_flag("-V,--version", std::string(kProgram) + " " + std::string(kVersion));
    app.require_subcommand(0, 1);
    std::vector<std::pair<CLI::App*, Runner>> runners;
    for (const Command* c : Commands()) {
        CLI::App* sub = app.add_subcommand(std::string(c->name));
        sub->set_help_flag("-h,--help");
        runners.emplace_back(sub, c->define(*sub));
    }
    std::string helpTopic;
    CLI::App* help = app.add_subcommand("help");
    help->add_option("COMMAND", helpTopic);

    try {
        try {
            std::vector<std::string> reversed(args.rbegin(), args.rend());
            app.parse(reversed);
        } catch (const CLI::CallForHelp&) {
            if (command)
                PrintCommandHelp(out, *command);
            else
                PrintMainHelp(out);
            return kExitOk;
        } catch (const CLI::CallForVersion& e) {
            out << e.what() << '\n';
            return kExitOk;
        } catch (const CLI::ParseError& e) {
            return ReportUsageError(err, UsageText(e), command);
        }

        if (help->parsed()) {
            if (helpTopic.empty()) {
                PrintMainHelp(out);
                return kExitOk;
            }
            const Command* topic = FindCommand(helpTopic);
            if (!topic)
                return ReportUsageError(err, "不明なコマンドです / unknown command: " + helpTopic, nullptr);
            PrintCommandHelp(out, *topic);
            return kExitOk;
        }
        for (auto& [sub, runner] : runners) {
            if (!sub->parsed())
                continue;
            Reporter reporter(out, err);
            try {
                return runner(reporter);
            } catch (const UsageError& e) {
                return ReportUsageError(err, e.what(), command);
            }
        }
        if (args.empty())
            return ReportUsageError(err, "コマンドを指定してください / no COMMAND given", nullptr);
        return ReportUsageError(err, "不明なコマンドです / unknown command: " + args.front(), nullptr);
    } catch (const std::exception& e) {
        err << kProgram << ": " << e.what() << '\n';
        return kExitFailed;
    }
}

} // namespace plok::cli
