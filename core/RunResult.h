#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

/// What every run returns, and the texts the runs share. A run reports what it refused as a value (the window shows
/// the message as a warning, plok-cli prints it); only failures that end a job are thrown.
namespace plok {

class AtomicFile;

enum class RunStatus
{
    Done, // the run finished; `fileName` names what it wrote, `message` is its completion message (may be empty)
    MissingFile, // the input does not exist (a folder does not count); nothing was read or written
    NotClaimsFile, // the input is no claims file of a kind plok reads, or does not fit its kind; nothing was written
    LoneCr, // the input holds a CR that no LF follows, so where its lines end is unclear; nothing was written
    NoLines, // the input gives nothing to write; nothing was written
    UnsafeName, // the output name would be no plain file name; nothing was written
    SameAsSource, // the output would replace the input; nothing was written
    BlankRange, // a position field is blank; nothing was read or written
    InvalidRange, // a position field is no usable number; nothing was read or written
    UnsafeSubfolder, // the delivery subfolder would leave the save folder; nothing was moved
    OutputRefused, // the output's check refused it; nothing was written
};

/// Which of the result dialog's two file names an output takes.
enum class ResultSlot
{
    First,
    Second,
};

struct RunResult
{
    RunStatus status = RunStatus::MissingFile;
    /// With Done the completion message, otherwise the warning to show.
    std::u16string message;
    /// The bare name of the file written into the output folder; only with Done.
    std::u16string fileName;
    ResultSlot slot = ResultSlot::First;

    bool Done() const { return status == RunStatus::Done; }
    static RunResult Refused(RunStatus status, std::u16string message) { return {status, std::move(message), {}, {}}; }
};

/// Warning for an input file that does not exist.
inline constexpr char16_t kMissingFileText[] = u"ファイルがありません。";
/// Warning for an FF file (or any source the option tools read) that gives nothing to work on.
inline constexpr char16_t kNotFfFileText[] = u"正しいFFファイルではありません。";

/// The completion message naming the file a run wrote: "NAME" + "が作成されました".
std::u16string CreatedText(std::u16string_view name);

/// The warning a window shows for a refused run of the file in its field labelled `label` ("変換前ファイル："): when
/// the refusal is about that file (missing, no claims file, or no name for its output), the label and the field's
/// path (or "（空欄）") follow on a line of their own, so that with two fields the user knows which one.
std::u16string RefusalText(const RunResult& refused, std::u16string_view label, std::u16string_view path);

/// Where a run writes its output, and a last say before the finished output gets its name.
struct OutputTarget
{
    /// Sees the finished output (readable through out.ContentPath()) and the name it is about to get; a message
    /// refuses it.
    using Check = std::function<std::optional<std::u16string>(AtomicFile& out, const std::u16string& name)>;

    OutputTarget(std::filesystem::path folder, Check check = {})
        : folder(std::move(folder))
        , check(std::move(check))
    { }

    std::filesystem::path folder;
    Check check;
};

/// A run's output name and what it is made of, for the warning when it is no plain file name.
struct OutputName
{
    std::u16string name; // the bare file name
    std::u16string_view part; // what the name is built from ("請求年月", "年月"...)
    std::u16string partText; // that part's text
    std::u16string_view product; // what the file is ("匿名化ファイル"...)
};

/// The ending every run shares: an output name that is no plain file name (IsPlainFileName) discards `out` and gives
/// UnsafeName with a warning naming the part and the product; an output the target's check refuses is discarded and
/// gives OutputRefused with the check's message; otherwise `out` is committed as target.folder/name and the result is
/// Done with `message`. Throws IoError when the commit fails (nothing is left behind then).
RunResult CommitOutput(AtomicFile& out, const OutputTarget& target, const OutputName& output, std::u16string message,
    ResultSlot slot = ResultSlot::First);

} // namespace plok
