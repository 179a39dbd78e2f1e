#include "cli/Cli.h"

#include "cli/Command.h"
#include "core/Version.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <utility>

namespace plok::cli {

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

std::vector<OptionDoc> DeclaredOptions(const Command& command)
{
    CLI::App app;
    command.define(app);
    std::vector<OptionDoc> options;
    std::vector<OptionDoc> arguments;
    for (const CLI::Option* o : app.get_options()) {
        if (o == app.get_help_ptr())
            continue;
        OptionDoc doc;
        doc.description = o->get_description();
        doc.required = o->get_required();
        if (o->get_positional() && !o->nonpositional()) {
            doc.argument = true;
            doc.names = {o->get_name()};
            doc.repeats = o->get_items_expected_max() > 1;
            arguments.push_back(std::move(doc));
            continue;
        }
        for (const std::string& n : o->get_snames())
            doc.names.push_back("-" + n);
        for (const std::string& n : o->get_lnames())
            doc.names.push_back("--" + n);
        if (o->get_type_size_max() > 0)
            doc.value = o->get_type_name();
        options.push_back(std::move(doc));
    }
    options.insert(options.end(), arguments.begin(), arguments.end());
    return options;
}

std::string Usage(const Command& command)
{
    std::string usage = std::string(kProgram) + " " + std::string(command.name);
    for (const OptionDoc& o : DeclaredOptions(command)) {
        std::string word = o.names.back() + (o.value.empty() ? "" : " " + o.value) + (o.repeats ? "..." : "");
        usage += " " + (o.required || o.argument ? word : "[" + word + "]");
    }
    return usage;
}

namespace {

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
        os << "  " << Usage(*c) << '\n';
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
    os << "使い方 / Usage: " << Usage(command) << "\n\n" << command.help;
    // Descriptions start in one column; an option too long for the space before it has its description below it.
    constexpr std::size_t kColumn = 18;
    bool first = true;
    for (const OptionDoc& o : DeclaredOptions(command)) {
        if (o.argument)
            continue;
        if (std::exchange(first, false))
            os << '\n';
        std::string label = "  ";
        for (const std::string& name : o.names)
            label += (label.size() > 2 ? ", " : "") + name;
        if (!o.value.empty())
            label += " " + o.value;
        os << label;
        std::size_t at = label.size();
        std::string_view text = o.description;
        if (at + 2 > kColumn) {
            os << '\n';
            at = 0;
        }
        while (!text.empty()) {
            const std::size_t end = text.find('\n');
            os << std::string(kColumn - at, ' ') << text.substr(0, end) << '\n';
            at = 0;
            text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        }
    }
}

int ReportUsageError(std::ostream& err, std::string_view message, const Command* command)
{
    err << kProgram << ": " << message << '\n';
    if (command) {
        err << "使い方 / Usage: " << Usage(*command) << '\n'
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
    // GNU forms only, on Windows too: CLI11 would take a file named from the drive's root ("/data/x.UKE") for an
    // option.
    app.allow_windows_style_options(false);
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
