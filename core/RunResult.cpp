#include "core/RunResult.h"

#include "core/AtomicFile.h"
#include "core/FileNames.h"
#include "core/Text.h"

namespace plok {

std::u16string CreatedText(std::u16string_view name)
{
    return std::u16string(name) + u"が作成されました";
}

std::u16string RefusalText(const RunResult& refused, std::u16string_view label, std::u16string_view path)
{
    if (refused.status != RunStatus::MissingFile && refused.status != RunStatus::UnsafeName
        && refused.status != RunStatus::NotClaimsFile)
        return refused.message;
    return refused.message + u"\n" + std::u16string(label)
        + (IsBlank(path) ? std::u16string(u"（空欄）") : std::u16string(path));
}

RunResult CommitOutput(
    AtomicFile& out, const OutputTarget& target, const OutputName& output, std::u16string message, ResultSlot slot)
{
    if (!IsPlainFileName(output.name)) {
        out.Discard();
        return RunResult::Refused(RunStatus::UnsafeName,
            std::u16string(output.part) + u"「" + output.partText + u"」はファイル名に使えない文字を含むため、"
                + std::u16string(output.product) + u"を作成できません。");
    }
    if (target.check) {
        if (std::optional<std::u16string> refusal = target.check(out, output.name)) {
            out.Discard();
            return RunResult::Refused(RunStatus::OutputRefused, std::move(*refusal));
        }
    }
    out.Commit(target.folder / ToPath(output.name));
    return {RunStatus::Done, std::move(message), output.name, slot};
}

} // namespace plok
