#include "claims/StripBranch.h"
#include "cli/Command.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>

namespace plok::cli {

namespace {

struct StripArgs
{
    FileArgs files;
    std::string mode = "symbol";
    std::optional<std::string> start;
    std::optional<std::string> end;
};

claims::RemovalMode ModeOf(std::string_view text)
{
    if (text == "position")
        return claims::RemovalMode::Position;
    if (text == "none")
        return claims::RemovalMode::None;
    return claims::RemovalMode::Symbol;
}

} // namespace

const Command& StripBranchCommand()
{
    static const Command command = {
        "strip-branch",
        "レセ電データ（RECEIPTC.UKE）の各レセプト（RE）レコードの患者番号から枝番を除いたコピーを作成します。\n"
        "RE レコードは引用符を外して書き直し、空白を含む項目だけを引用符で囲みます。ほかの行はそのまま\n"
        "写します。出力ファイル名は \"(\" + 請求年月 + \"提出_社保\" または \"提出_国保\" + \")RECEIPTC.uke\" です\n"
        "（例: (50605提出_国保)RECEIPTC.uke）。\n"
        "\n"
        "Writes a copy of each claims file in which the branch number is removed from the patient number of\n"
        "every receipt (RE) record. RE records are written again without their double quotes, quoting only\n"
        "fields that hold blanks; every other line is copied unchanged. The output is named \"(\" + billing\n"
        "month + \"提出_社保\" (social) or \"提出_国保\" (national) + \")RECEIPTC.uke\".\n",
        [](CLI::App& app) -> Runner {
            auto args = std::make_shared<StripArgs>();
            AddFileArgs(app, args->files, 1, -1);
            app.add_option("--mode", args->mode)
                ->type_name("symbol|position|none")
                // The value name lists the modes already: the check adds no list of its own to it.
                ->check(CLI::IsMember({"symbol", "position", "none"}).description(""))
                ->description(
                    "除去の方法（既定: symbol） / how to remove it (default: symbol):\n"
                    "  symbol   最初の \"-\" の前まで、空白を除き、\"/\"・\"*\" の前まで\n"
                    "           the part before the first \"-\", without blanks, then before \"/\" and \"*\"\n"
                    "  position --start 桁目から --end 桁目まで（1から数えます）\n"
                    "           the characters from position --start to --end, counted from 1\n"
                    "  none     患者番号はそのまま / the number is kept");
            app.add_option("--start", args->start)
                ->type_name("N")
                ->description("position の開始桁（整数） / first position (a whole number)");
            app.add_option("--end", args->end)
                ->type_name("N")
                ->description("position の終了桁（整数） / last position (a whole number)\n"
                              "position では両方が必要で、空欄や0・数字でない値はファイルごとに警告になります。\n"
                              "With position both are needed; a blank, 0 or non-number is a warning for each file.");
            return [args](Reporter& reporter) {
                const claims::RemovalMode mode = ModeOf(args->mode);
                // A position given to another mode would be ignored without a word: the user meant something else.
                if (mode != claims::RemovalMode::Position && (args->start || args->end))
                    throw UsageError("--start と --end は --mode position でだけ使えます / --start and --end need "
                                     "--mode position");
                const std::u16string start = FromUtf8(args->start.value_or(""));
                const std::u16string end = FromUtf8(args->end.value_or(""));
                return RunOnFile(
                    args->files, reporter, [&](const std::filesystem::path& file, const OutputTarget& target) {
                        return claims::Conv2(file, mode, start, end, target);
                    });
            };
        },
    };
    return command;
}

} // namespace plok::cli
