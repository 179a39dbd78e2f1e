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
        "レセ電データの各レセプトのカルテ番号（医科・DPC は RE の項目13 と臓器提供者の TR の項目13、歯科は RE の\n"
        "項目15、調剤は調剤録番号の RE の項目35）から枝番を除いたコピーを作成します。カルテ番号のほかは\n"
        "1バイトも変えません。出力ファイル名は \"(\" + 請求年月 + \"提出_社保\" または \"提出_国保\" + \")\" +\n"
        "種類ごとの名前（医科 RECEIPTC.uke、DPC RECEIPTD.uke、歯科 RECEIPTS.uke、調剤 RECEIPTY.cyo）です\n"
        "（例: (50605提出_国保)RECEIPTC.uke）。レセ電データでないファイルは anonymize と同じく処理しません。\n"
        "\n"
        "Writes a copy of each claims file in which the branch number is removed from the chart numbers of\n"
        "its kind (medical and DPC: RE field 13 and the organ donor's TR field 13; dental: RE field 15;\n"
        "pharmacy: the dispensing record number, RE field 35). Nothing but the chart numbers' bytes changes.\n"
        "The output is named \"(\" + billing month + \"提出_社保\" (social) or \"提出_国保\" (national) + \")\" +\n"
        "the kind's name (medical RECEIPTC.uke, DPC RECEIPTD.uke, dental RECEIPTS.uke, pharmacy\n"
        "RECEIPTY.cyo). What is no claims file is refused as by anonymize.\n",
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
