#include "claims/Audit.h"
#include "cli/Command.h"
#include "core/FileNames.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace plok::cli {

namespace {

struct AuditArgs
{
    std::string original;
    std::string copy;
};

} // namespace

const Command& AuditCommand()
{
    static const Command command = {
        "audit",
        "plok-cli audit ORIGINAL COPY",
        "匿名化ファイル COPY に、元のレセ電データ ORIGINAL の識別情報（医療機関コード・名称・電話番号、\n"
        "患者氏名とその姓・名、保険者番号・記号・番号、公費の番号）が残っていないかを調べます。\n"
        "5桁以上の数字だけの値は項目全体が一致したとき、それ以外の2文字以上の値はどこに現れても\n"
        "検出します。症状詳記（SJ）とコメント（CO）の行も検出します。検出ごとに行番号・レコード・\n"
        "項目番号・種類を1行ずつ書き（値そのものは書きません）、最後に種類ごとの件数を書きます。\n"
        "終了コード: 0 = 検出なし、1 = 検出あり、2 = 引数の誤り。\n"
        "\n"
        "Checks the anonymised copy COPY for identifiers of its original claims file ORIGINAL (institution\n"
        "code, name and telephone number, patient names and each of their parts, insurer numbers, symbols\n"
        "and numbers, public-expense numbers). A value of five or more digits counts where a whole field\n"
        "equals it, any other value of two or more characters wherever it stands; SJ and CO lines count\n"
        "too. Prints one line per finding (line number, record, field index and kind, never the value),\n"
        "then the counts per kind. Exit status: 0 = nothing found, 1 = findings, 2 = usage error.\n",
        [](CLI::App& app) -> Runner {
            auto args = std::make_shared<AuditArgs>();
            app.add_option("ORIGINAL", args->original)->required();
            app.add_option("COPY", args->copy)->required();
            return [args](Reporter& reporter) -> int {
                try {
                    const claims::AuditReport report
                        = claims::AuditAnonymised(PathFromUtf8(args->original), PathFromUtf8(args->copy),
                            [&](const claims::AuditFinding& f) { reporter.Print(claims::FindingText(f)); });
                    reporter.Print(claims::SummaryText(report));
                    return report.Clean() ? kExitOk : kExitFailed;
                } catch (const std::exception& e) {
                    reporter.Failed(args->copy, e.what());
                    return kExitFailed;
                }
            };
        },
    };
    return command;
}

} // namespace plok::cli
