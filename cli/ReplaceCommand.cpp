#include "cli/Command.h"
#include "core/FileNames.h"
#include "tools/ChangeTable.h"
#include "tools/Replace.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace plok::cli {

namespace {

struct ReplaceArgs
{
    FileArgs files;
    std::string definitions;
};

} // namespace

const Command& ReplaceCommand()
{
    static const Command command = {
        "replace",
        "変更定義ファイルに従って、ファイルの各行の項目2のコードを置き換えたコピーを作成します。\n"
        "変更定義ファイルは1行に「変更前,変更後」の2項目です（2行目以降は10桁に満たない値の前に0を補います）。\n"
        "項目2が変更前の値と一致する行（大文字・小文字は区別しません）では、行の中の同じ文字列をすべて\n"
        "変更後の値に置き換えます。同じ変更前の値が複数あるときは最初の行が使われます。\n"
        "出力ファイル名は元のファイル名の \".txt\" を \"R.txt\" にしたものです（例: data.txt → dataR.txt）。\n"
        "\n"
        "Writes a copy of FILE in which the code in field 2 of each line is replaced as the change-definition\n"
        "file says. DEFFILE holds one \"old,new\" pair per line (from the second line on, values shorter than 10\n"
        "characters get leading zeros). On a line whose field 2 equals an old value, ignoring letter case, every\n"
        "occurrence of that text in the line is replaced by the new value; the first pair of an old value wins.\n"
        "The output is named after FILE with \".txt\" turned into \"R.txt\" (data.txt gives dataR.txt).\n",
        [](CLI::App& app) -> Runner {
            auto args = std::make_shared<ReplaceArgs>();
            AddFileArgs(app, args->files, 1, 1);
            app.add_option("--definitions", args->definitions)
                ->type_name("DEFFILE")
                ->required()
                ->description("変更定義ファイル（必須） / change-definition file (required)");
            return [args](Reporter& reporter) {
                tools::ChangeTable table;
                const auto loadTable = [&](Reporter& r) {
                    try {
                        const RunResult loaded = tools::CsvSet(PathFromUtf8(args->definitions), table);
                        if (loaded.Done())
                            return true;
                        r.Failed(args->definitions, ToUtf8(loaded.message));
                    } catch (const std::exception& e) {
                        r.Failed(args->definitions, e.what());
                    }
                    return false;
                };
                return RunOnFile(
                    args->files, reporter,
                    [&](const std::filesystem::path& file, const OutputTarget& target) {
                        return tools::Cnv(file, table, target);
                    },
                    loadTable);
            };
        },
    };
    return command;
}

} // namespace plok::cli
