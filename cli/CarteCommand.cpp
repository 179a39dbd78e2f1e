#include "cli/Command.h"
#include "tools/ChartLink.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace plok::cli {

namespace {

Runner OneFileJob(CLI::App& app, RunResult (*run)(const std::filesystem::path&, const OutputTarget&))
{
    auto args = std::make_shared<FileArgs>();
    AddFileArgs(app, *args, 1, 1);
    return [args, run](Reporter& reporter) { return RunOnFile(*args, reporter, run); };
}

} // namespace

const Command& CarteCommand()
{
    static const Command command = {
        "carte",
        "FFファイル（タブ区切りの健診結果）から電カル連携ファイルを作成します。\n"
        "2行目以降のレコードをカルテ番号ごとに1行にまとめ（大文字小文字を区別せず最初の行を採用）、\n"
        "カルテ番号・氏名・診療年月日・郵便番号と7つの検査値を書き出します。出力ファイル名は\n"
        "データの年月に \"_carte.csv\" を付けたものです（例: 202406_carte.csv）。\n"
        "\n"
        "Converts an FF file (tab-separated health-check results) into the chart-linkage file: one line\n"
        "per chart number (the first record wins, letter case ignored; line 1 is never converted) with\n"
        "the chart number, name, date, postal code and seven measurements. The output is named after the\n"
        "year and month of the data with \"_carte.csv\", e.g. 202406_carte.csv.\n",
        [](CLI::App& app) { return OneFileJob(app, tools::ConvertToCarte); },
    };
    return command;
}

const Command& ExportCsvCommand()
{
    static const Command command = {
        "export-csv",
        "FFファイルをそのままカンマ区切りに書き直します（値は変えず、見出し行も付けません）。\n"
        "空白・タブもカンマと同じく区切りとなり、引用符で囲んだ値はそのまま1項目になります。\n"
        "先頭項目が空の行は除きます。出力ファイル名は電カル連携ファイルと同じく\n"
        "データの年月に \"_carte.csv\" を付けたものです。\n"
        "\n"
        "Writes a plain comma-separated copy of an FF file: blanks and tabs separate fields as commas do,\n"
        "quoted values stay one field, lines with an empty first field are left out, and no value is\n"
        "changed. The output has the chart-linkage file's name: the year and month with \"_carte.csv\".\n",
        [](CLI::App& app) { return OneFileJob(app, tools::ExportCsv); },
    };
    return command;
}

} // namespace plok::cli
