#include "claims/Anonymize.h"
#include "cli/Command.h"

namespace plok::cli {

namespace {

int RunAnonymize(const ParsedArgs& args, Reporter& reporter)
{
    return RunOnFile(args, reporter, claims::Conv);
}

} // namespace

const Command& AnonymizeCommand()
{
    static const Command command = {
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
        SIZE_MAX,
        {},
        RunAnonymize,
    };
    return command;
}

} // namespace plok::cli
