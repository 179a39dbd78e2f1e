#include "claims/Delivery.h"

#include "core/AtomicFile.h"
#include "core/CommaText.h"
#include "core/Errors.h"
#include "core/File.h"
#include "core/FileNames.h"
#include "core/Settings.h"
#include "core/Text.h"
#include "core/TextFile.h"

#include <optional>

namespace plok::claims {

namespace {

const std::u16string& At(const FieldList& fields, int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= fields.size())
        throw ListIndexError(i);
    return fields[static_cast<std::size_t>(i)];
}

/// Copies `source` over `target` so that `target` is either its old self or the complete copy. Returns why it could
/// not, or nothing when it did.
std::optional<std::u16string> CopyReplacing(const std::filesystem::path& source, const std::filesystem::path& target)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(source, ec))
        return kMissingFileText;
    try {
        FileHandle in = FileHandle::OpenForReading(source);
        AtomicFile out(target.parent_path());
        in.ReadChunks([&](std::string_view chunk) { out.Write(chunk); });
        out.Commit(target);
        return std::nullopt;
    } catch (const Error& e) {
        return FromUtf8(e.what());
    }
}

} // namespace

std::u16string ReadSaveFolder(const std::filesystem::path& settingsFile)
{
    return settings::Read(settingsFile, settings::kSaveFolder, u"");
}

bool HasSaveFolder(std::u16string_view saveFolder)
{
    return !IsBlank(saveFolder);
}

DeliveryResult DeliverFiles(
    const Environment& env, std::u16string_view saveFolder, std::u16string_view file1, std::u16string_view file2)
{
    DeliveryResult result;
    result.status = RunStatus::Done;
    result.destination = env.downloads;
    if (HasSaveFolder(saveFolder)) {
        result.destination = ToPath(saveFolder);
        if (Trim(settings::Read(env.settingsFile, settings::kInstitutionSubfolder, u"")) == u"1") {
            // Named after the first file; a job that wrote only the second (a national file alone) names it after that.
            const std::optional<Line> first = ReadFirstLine(env.programFolder / ToPath(file1.empty() ? file2 : file1));
            if (!first)
                throw ListIndexError(0);
            FieldList fields;
            GetCommaTxt(*first, fields);
            const std::u16string code = At(fields, 4);
            const std::u16string subfolder = code + u"_" + At(fields, 6);
            // The name comes from the file's contents: it must not lead out of the save folder.
            if (!IsPlainFileName(subfolder)) {
                result.status = RunStatus::UnsafeSubfolder;
                result.message = u"保存先のフォルダ名「" + subfolder
                    + u"」にはフォルダ名に使えない文字が含まれているため、ファイルを移動できません。";
                for (auto name : {file1, file2}) {
                    if (!name.empty()) {
                        result.failed.emplace_back(name);
                        result.reasons.push_back(result.message);
                    }
                }
                return result;
            }
            result.destination /= ToPath(subfolder);
            std::error_code ec;
            std::filesystem::create_directory(result.destination, ec);
        }
    }

    for (std::u16string_view name : {file1, file2}) {
        if (name.empty())
            continue;
        const std::filesystem::path source = env.programFolder / ToPath(name);
        // An empty destination must not become the root folder.
        const std::filesystem::path target
            = result.destination.empty() ? std::filesystem::path() : result.destination / ToPath(name);
        if (!target.empty() && SameFile(source, target)) {
            result.delivered.emplace_back(name);
            continue;
        }
        const std::optional<std::u16string> problem
            = target.empty() ? u"保存先のフォルダ（ダウンロード）が見つかりません。" : CopyReplacing(source, target);
        if (problem) {
            result.failed.emplace_back(name);
            result.reasons.push_back(*problem);
            continue;
        }
        std::error_code ec;
        std::filesystem::remove(source, ec);
        result.delivered.emplace_back(name);
    }
    return result;
}

std::u16string UndeliveredText(const Environment& env, const DeliveryResult& result)
{
    std::u16string text;
    for (std::size_t i = 0; i < result.failed.size(); ++i) {
        // A name whose file is gone is nothing the user can lose.
        if (!FileExists(env.programFolder / ToPath(result.failed[i])))
            continue;
        text += u"\n" + result.failed[i] + u"\n  理由: " + result.reasons[i];
    }
    if (text.empty())
        return text;
    // The Downloads folder lies on the computer's own drive; a save folder is often a stick that may be gone or full.
    const bool downloads = result.destination == env.downloads;
    const std::u16string place = downloads ? u"ダウンロードフォルダ" : u"保存先";
    std::u16string where;
    if (!result.destination.empty())
        where = u"\n\n" + place + u":\n" + PathText(result.destination);
    const std::u16string advice = downloads
        ? u"ダウンロードフォルダのあるドライブの空きを確かめてから、作業フォルダのファイルをダウンロードフォルダへ移す"
          u"か、"
          u"もう一度やり直してください。"
        : u"保存先（USBメモリなど）がつながっていて空きがあるかを確かめてから、作業フォルダのファイルを保存先へ移すか、"
          u"もう一度やり直してください。";
    return u"次のファイルは" + place + u"へ移せなかったため、作業フォルダに残っています。\n" + text + where
        + u"\n\n作業フォルダ:\n" + PathText(env.programFolder) + u"\n\n" + advice;
}

} // namespace plok::claims
