#include "claims/Anonymize.h"
#include "claims/Audit.h"
#include "claims/AuditedRun.h"
#include "claims/StrongAnonymize.h"
#include "cli/Command.h"
#include "core/AtomicFile.h"
#include "core/FileNames.h"
#include "core/UserFolders.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <memory>
#include <optional>

namespace plok::cli {

namespace {

struct AnonymizeArgs
{
    FileArgs files;
    bool audit = false;
    bool strong = false;
    std::optional<std::string> key;
};

/// The clinic key of a strong run: its file and the pseudonyms under it.
struct StrongKey
{
    std::filesystem::path file;
    crypto::Key key;
    claims::ChartPseudonyms pseudonyms;
};

/// The key file given with --key, or else the desktop program's key in its settings folder, which is made on first
/// use; a key others may reach is warned of. Nothing when the key cannot be used: that is reported.
std::optional<StrongKey> ReadStrongKey(const std::optional<std::string>& keyOption, Reporter& reporter)
{
    const bool chosen = keyOption.has_value();
    try {
        std::filesystem::path file;
        crypto::Key key {};
        if (chosen) {
            file = PathFromUtf8(*keyOption);
            key = crypto::ReadKeyFile(file);
        } else {
            const SettingsPlace settings = FindSettings(ExecutableFolder(), UserDirs::FromEnvironment());
            if (!settings.portable)
                CreatePrivateFolder("設定フォルダ", settings.settingsFile.parent_path());
            file = claims::ClinicKeyFile(settings.settingsFile);
            key = crypto::ReadOrCreateKeyFile(file);
        }
        for (const std::u16string& warning : claims::KeyExposureTexts(crypto::ExposureOf(file), file))
            reporter.Note(PathUtf8(file), ToUtf8(warning));
        return StrongKey {file, key, claims::ChartPseudonyms(key)};
    } catch (const FileError& e) {
        reporter.Failed(PathUtf8(e.file()), ToUtf8(claims::KeyRefusalText(e, chosen)));
    } catch (const Error& e) {
        reporter.Failed(std::string(kProgram), e.what());
    }
    return std::nullopt;
}

} // namespace

const Command& AnonymizeCommand()
{
    static const Command command = {
        "anonymize",
        "レセ電データ（医科・DPC・歯科の .UKE、調剤の .CYO）の匿名化コピーを作成します。ファイルの種類は\n"
        "先頭のレコード（医科・DPC は IR、歯科は UK、調剤は YK）で見分け、種類ごとの様式に従って、医療機関\n"
        "（調剤では処方元の医療機関と保険医も）のコード・名称・所在地・電話番号、患者氏名とカナ氏名、\n"
        "保険者番号・記号・番号、公費番号、資格確認の番号と枝番を固定のダミー値に置き換え、症状詳記（SJ）と\n"
        "コメント（CO、調剤では TK も）のレコードを除きます。ほかの行はそのまま写します。出力ファイル名は\n"
        "請求年月に社保は \"_1\"、国保は \"_2\" を付けたものです（例: 50605_1.UKE、調剤は 50605_1.CYO）。\n"
        "元のファイルが終わりに 0x1A を持つときは、コピーも同じです。\n"
        "--strong（強い匿名化）では、さらにカルテ番号を医院の鍵による仮番号（数字のカルテ番号は6桁以上の\n"
        "数字、ほかは X と19桁の数字）に、生年月日と入院年月日、生年月日と同じ日の診療開始日をその月の1日に\n"
        "置き換え、検索番号・請求情報・傷病名の補足コメントを空にし、未コード化傷病名、コメントの文字データと\n"
        "特定器材の商品名を固定の文にし、患者氏名のダミー値にレセプト番号を入れません。出力ファイル名には\n"
        "\"_strong\" が付きます（例: 50605_1_strong.UKE）。ふつうの匿名化のファイルとは置き換え合いません。\n"
        "同じ鍵なら同じカルテ番号は毎月、社保でも国保でも同じ仮番号になり、\n"
        "ちがうカルテ番号が同じ仮番号になることはありません。鍵は --key のファイル、なければデスクトップ版と\n"
        "同じ設定フォルダの plok.key（初回に作成）です。実行の後、鍵ID を標準エラー出力に書きます（同じ鍵ID\n"
        "なら同じ仮番号）。ほかの利用者も読める鍵には警告を出します。鍵を失くしても、以後の仮番号が\n"
        "変わるだけです。\n"
        "先頭のレコードが IR・UK・YK でないファイル（空のファイル、返戻ファイル、CSV など）、審査支払機関が\n"
        "1（社保）でも 2（国保）でもないファイル、様式より項目の多いレセプトや別のファイルの先頭のレコードの\n"
        "あるファイルは、理由を表示して処理しません。\n"
        "同じ実行で先に作ったファイルと同じ名前になる入力も処理しません。\n"
        "\n"
        "Writes an anonymised copy of each claims file (medical, DPC and dental .UKE, pharmacy .CYO). The\n"
        "kind is told by the first record (IR medical or DPC, UK dental, YK pharmacy), and by its layout\n"
        "the institution's (for a pharmacy also the prescribing institution's and doctors') code, name,\n"
        "address and telephone number, patient names and kana names, insurer, insurance and public-expense\n"
        "numbers and the eligibility record's numbers get fixed dummy values, and symptom-note (SJ) and\n"
        "comment (CO; for a pharmacy also TK) records are left out; every other line is copied as it is. The\n"
        "output is named after the billing month with \"_1\" (social insurance) or \"_2\" (national\n"
        "insurance), e.g. 50605_1.UKE (a pharmacy's 50605_1.CYO), and ends with 0x1A where its source does.\n"
        "With --strong (the strong anonymisation), chart numbers also become pseudonyms under the clinic\n"
        "key (at least six digits for a number, X and 19 digits for anything else), birth and admission\n"
        "dates, and a disease's start on the day of birth, the first day of their month, the search number,\n"
        "the billing information and the disease lines' supplementary comments are emptied, uncoded disease\n"
        "names, comment texts and material product names become fixed texts, and the dummy patient names\n"
        "go without the receipt number. The copy's name gets \"_strong\" (50605_1_strong.UKE), so that it\n"
        "and a default copy never replace each other. Under the same key a chart number gets the\n"
        "same pseudonym in every month and in both payers' files, and no two chart numbers share one. The\n"
        "key is the file given with --key, else plok.key in the desktop program's settings folder (made on\n"
        "first use); its ID goes to stderr after the run (the same ID, the same pseudonyms), and a key\n"
        "others may read is warned of. A lost key only means new pseudonyms from then on. A file whose\n"
        "first record is no IR, UK or YK (an empty file, a returned-claims file, a CSV...), whose payer is\n"
        "neither 1 nor 2, or that holds a receipt longer than its layout or the first record of another\n"
        "file is refused, saying why, and so is an input whose output would replace one written earlier in\n"
        "the same call.\n",
        [](CLI::App& app) -> Runner {
            auto args = std::make_shared<AnonymizeArgs>();
            AddFileArgs(app, args->files, 1, -1);
            app.add_flag("--audit", args->audit)
                ->disable_flag_override()
                ->description("作成前に元のファイルと照合し、元の識別情報が残るコピーは作成しません（plok-cli audit）\n"
                              "audit each copy against its original first; a copy that still holds an identifier\n"
                              "is not written, and its findings go to stderr (see plok-cli audit)");
            app.add_flag("--strong", args->strong)
                ->disable_flag_override()
                ->description("強い匿名化（カルテ番号を仮番号に、生年月日と入院年月日をその月の1日に）\n"
                              "the strong anonymisation (chart numbers as pseudonyms, dates kept to their month)");
            app.add_option("--key", args->key)
                ->type_name("FILE")
                ->description("強い匿名化の鍵ファイル（32バイト）。使えない鍵と空のファイル名は終了コード 2 で\n"
                              "拒否します\n"
                              "the key file (32 bytes) of the strong anonymisation; a key that cannot be used, or\n"
                              "an empty name, is refused with exit status 2");
            return [args](Reporter& reporter) -> int {
                if (args->key && !args->strong)
                    throw UsageError("--key は --strong と一緒に指定してください / --key goes with --strong");
                // An unset variable in a batch script: another key than the one meant would give other pseudonyms.
                if (args->key && args->key->empty())
                    throw UsageError("--key のファイル名が空です（値の入っていない変数かもしれません） / "
                                     "--key names no file (an unset variable?)");
                std::optional<StrongKey> strong;
                if (args->strong) {
                    strong = ReadStrongKey(args->key, reporter);
                    if (!strong)
                        return kExitUsage;
                }
                claims::ChartPseudonyms* const pseudonyms = strong ? &strong->pseudonyms : nullptr;
                std::vector<std::filesystem::path> originals;
                for (const std::string& file : args->files.files)
                    originals.push_back(PathFromUtf8(file));
                // Each copy is audited against every file of the run: a patient of one can be named in the other.
                const claims::AuditedRun run(originals, pseudonyms);
                const int status = RunOnFile(
                    args->files, reporter, [&](const std::filesystem::path& file, const OutputTarget& target) {
                        if (!args->audit)
                            return claims::Conv(file, target, pseudonyms);
                        const auto index = static_cast<std::size_t>(
                            std::find(originals.begin(), originals.end(), file) - originals.begin());
                        return run.Anonymize(
                            index, target,
                            [](const claims::AuditReport& report, const std::u16string& name) {
                                return u"匿名化ファイル「" + name
                                    + u"」に元の識別情報が残っているため、作成しませんでした。"
                                    + claims::SummaryText(report);
                            },
                            [&](const claims::AuditFinding& finding) {
                                reporter.Failed(PathUtf8(file), ToUtf8(claims::FindingText(finding)));
                            });
                    });
                // On stderr: stdout lists the files written, one per line, for scripts to read.
                if (strong)
                    reporter.Note(PathUtf8(strong->file), ToUtf8(claims::KeyIdText(strong->key)));
                return status;
            };
        },
    };
    return command;
}

} // namespace plok::cli
