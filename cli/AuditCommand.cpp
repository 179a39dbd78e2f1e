#include "claims/Audit.h"
#include "claims/Uniqueness.h"
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
    bool strong = false;
};

} // namespace

const Command& AuditCommand()
{
    static const Command command = {
        "audit",
        "匿名化ファイル COPY に、元のレセ電データ ORIGINAL の識別情報（医療機関コード・名称・電話番号、\n"
        "患者氏名とその姓・名、保険者番号・記号・番号、公費の番号）が残っていないかを調べます。\n"
        "全角と半角、カタカナとひらがな、英字の大文字と小文字、小さい仮名と大きい仮名、長音の書き方（タロウ・\n"
        "タロー）、「々」、空白や「・」の有無の違いは同じものとして比べます。\n"
        "氏名は姓名続けても、姓・名それぞれでも、医療機関名称は「医療法人」「クリニック」などを除いた\n"
        "部分でも、電話番号は数字だけでも検出します。5桁以上の数字だけの値は項目全体が一致したとき\n"
        "（8桁未満は同じレセプトと前後のレセプトの中で）検出します。症状詳記（SJ）とコメント（CO）の\n"
        "行も検出します。--strong は強い匿名化のコピーを調べ、元のカルテ番号・生年月日・入院年月日も\n"
        "検出します（それぞれの項目ではそのレセプト自身の値を、ほかでは数字の値として）。\n"
        "検出ごとに行番号（ORIGINAL の行）・レコード・項目番号・種類を1行ずつ書き（値そのものは書きません）、\n"
        "最後に種類ごとの件数を書きます。--strong ではそのあとに、生まれ年月と性別（と傷病名の組み合わせ）が\n"
        "ほかのレセプトと重ならないレセプトの件数と割合を書きます。\n"
        "ORIGINAL はその種類（医科・DPC・歯科・調剤）の様式で読みます。\n"
        "終了コード: 0 = 検出なし、1 = 検出あり、2 = 引数の誤りか、読めないファイル（理由とファイル名を表示。\n"
        "プロクが読まない種類のファイルや様式に合わない ORIGINAL を含む）。\n"
        "\n"
        "Checks the anonymised copy COPY for identifiers of its original claims file ORIGINAL (institution\n"
        "code, name and telephone number, patient names and each of their parts, insurer numbers, symbols\n"
        "and numbers, public-expense numbers), compared as a reader sees them: full and half width, katakana\n"
        "and hiragana, upper and lower case, small and large kana, long vowels (タロウ, タロー), 々, and blanks\n"
        "or \"・\" between the parts make no difference. A name counts whole or by its parts, the institution\n"
        "name also without its legal and facility words, a telephone number by its digits. A value of five or\n"
        "more digits counts where a whole field equals it (below eight digits in its own receipt and the ones\n"
        "next to it); SJ and CO lines count too. --strong audits a copy of the strong anonymisation, which must\n"
        "also hold none of the original chart numbers, birth and admission dates (in their own fields, the\n"
        "receipt's own value; elsewhere, as numbers). Prints one line per finding (the line number of ORIGINAL,\n"
        "record, field index and kind, never the value), then the counts per kind; with --strong, then how many\n"
        "receipts are alone on their birth month and sex (and set of diagnosis codes), and their share.\n"
        "ORIGINAL is read by its kind's layout (medical, DPC, dental, pharmacy).\n"
        "Exit status: 0 = nothing found, 1 = findings, 2 = usage error or a file that cannot be read (named,\n"
        "with the reason; an ORIGINAL of no kind plok reads, or that does not fit its layout, included).\n",
        [](CLI::App& app) -> Runner {
            auto args = std::make_shared<AuditArgs>();
            app.add_flag("--strong", args->strong)
                ->disable_flag_override()
                ->description("強い匿名化のコピーとして調べます（元のカルテ番号・生年月日・入院年月日も）\n"
                              "audit a copy of the strong anonymisation (the original chart numbers, birth and\n"
                              "admission dates too)");
            app.add_option("ORIGINAL", args->original)->required();
            app.add_option("COPY", args->copy)->required();
            return [args](Reporter& reporter) -> int {
                try {
                    const claims::AuditReport report = claims::AuditAnonymised(
                        PathFromUtf8(args->original), PathFromUtf8(args->copy),
                        [&](const claims::AuditFinding& f) { reporter.Print(claims::FindingText(f)); },
                        args->strong ? claims::AnonymizeMode::Strong : claims::AnonymizeMode::Default);
                    reporter.Print(claims::SummaryText(report));
                    // What a strong copy still tells: how many receipts one can single out.
                    if (args->strong)
                        reporter.Print(claims::UniquenessText(claims::MeasureUniqueness(PathFromUtf8(args->copy))));
                    return report.Clean() ? kExitOk : kExitFailed;
                } catch (const FileError& e) {
                    // A file that cannot be read is no finding: the audit has proved nothing.
                    reporter.Failed(PathUtf8(e.file()), e.what());
                    return kExitUsage;
                }
            };
        },
    };
    return command;
}

} // namespace plok::cli
