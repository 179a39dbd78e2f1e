#include "claims/Anonymize.h"
#include "claims/Audit.h"
#include "cli/Command.h"
#include "core/AtomicFile.h"
#include "core/FileNames.h"

#include <CLI/CLI.hpp>
#include <memory>

namespace plok::cli {

namespace {

struct AnonymizeArgs
{
    FileArgs files;
    bool audit = false;
};

/// The target of an audited run: before the copy gets its name, it is audited against `original`; a copy with findings
/// is refused, and the findings are reported.
OutputTarget Audited(const OutputTarget& target, const std::filesystem::path& original, Reporter& reporter)
{
    return OutputTarget(target.folder,
        [&target, original, &reporter](AtomicFile& out, const std::u16string& name) -> std::optional<std::u16string> {
            if (target.check)
                if (auto refusal = target.check(out, name))
                    return refusal;
            const claims::AuditReport report
                = claims::AuditAnonymised(original, out.ContentPath(), [&](const claims::AuditFinding& finding) {
                      reporter.Failed(PathUtf8(original), ToUtf8(claims::FindingText(finding)));
                  });
            if (report.Clean())
                return std::nullopt;
            return u"匿名化ファイル「" + name + u"」に元の識別情報が残っているため、作成しませんでした。"
                + claims::SummaryText(report);
        });
}

} // namespace

const Command& AnonymizeCommand()
{
    static const Command command = {
        "anonymize",
        "レセ電データ（RECEIPTC.UKE）の匿名化コピーを作成します。\n"
        "医療機関コード・名称・電話番号、患者氏名、保険者番号・公費番号を固定のダミー値に置き換え、\n"
        "症状詳記（SJ）とコメント（CO）のレコードを除きます。出力ファイル名は請求年月に\n"
        "社保は \"_1\"、国保は \"_2\" を付けたものです（例: 50605_1.UKE）。\n"
        "1行目の4文字目が 1（社保）か 2（国保）でないファイルはレセ電データではないため処理しません。\n"
        "同じ実行で先に作ったファイルと同じ名前になる入力も処理しません。\n"
        "\n"
        "Writes an anonymised copy of each claims file: institution code, name and telephone number,\n"
        "patient names and insurer / public-expense numbers get fixed dummy values, and symptom-note (SJ)\n"
        "and comment (CO) records are left out. The output is named after the billing month with \"_1\"\n"
        "(social insurance) or \"_2\" (national insurance), e.g. 50605_1.UKE. A file whose first line does\n"
        "not have 1 or 2 as its fourth character is no claims file and is refused, and so is an input whose\n"
        "output would replace one written earlier in the same call.\n",
        [](CLI::App& app) -> Runner {
            auto args = std::make_shared<AnonymizeArgs>();
            AddFileArgs(app, args->files, 1, -1);
            app.add_flag("--audit", args->audit)
                ->disable_flag_override()
                ->description("作成前に元のファイルと照合し、元の識別情報が残るコピーは作成しません（plok-cli audit）\n"
                              "audit each copy against its original first; a copy that still holds an identifier\n"
                              "is not written, and its findings go to stderr (see plok-cli audit)");
            return [args](Reporter& reporter) {
                return RunOnFile(
                    args->files, reporter, [&](const std::filesystem::path& file, const OutputTarget& target) {
                        return claims::Conv(file, args->audit ? Audited(target, file, reporter) : target,
                            claims::InputCheck::ClaimsFile);
                    });
            };
        },
    };
    return command;
}

} // namespace plok::cli
