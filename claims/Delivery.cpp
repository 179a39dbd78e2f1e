#include "claims/Delivery.h"

#include "core/AtomicFile.h"
#include "core/CommaText.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/IniFile.h"
#include "core/Text.h"
#include "core/TextFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace plok::claims {

namespace {

constexpr std::u16string_view kSection = u"PARAM";

const std::u16string& At(const FieldList& fields, int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= fields.size())
        throw ListIndexError(i);
    return fields[static_cast<std::size_t>(i)];
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

/// Copies `source` over `target` so that `target` is either its old self or the complete copy.
bool CopyReplacing(const std::filesystem::path& source, const std::filesystem::path& target)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(source, ec))
        return false;
    try {
        const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            return false;
        AtomicFile out(target.parent_path());
        char buf[1 << 16];
        bool ok = true;
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                ok = n == 0;
                break;
            }
            out.Write(std::string_view(buf, static_cast<std::size_t>(n)));
        }
        ::close(fd);
        if (!ok)
            return false;
        out.Commit(target);
        return true;
    } catch (const Error&) {
        return false;
    }
}

} // namespace

std::u16string ReadSaveFolder(const std::filesystem::path& settingsFile)
{
    return IFReadIniStr(settingsFile, kSection, u"SAVEFDR", u"");
}

bool HasSaveFolder(std::u16string_view saveFolder)
{
    return !IsBlank(saveFolder);
}

DeliveryResult DeliverFiles(
    const Environment& env, std::u16string_view saveFolder, std::u16string_view file1, std::u16string_view file2)
{
    DeliveryResult result;
    result.destination = env.downloads;
    if (HasSaveFolder(saveFolder)) {
        result.destination = ToPath(saveFolder);
        if (Trim(IFReadIniStr(env.settingsFile, kSection, u"SVCHG", u"")) == u"1") {
            const std::vector<Line> lines = LoadLines(env.programFolder / ToPath(file1));
            if (lines.empty())
                throw ListIndexError(0);
            FieldList fields;
            GetCommaTxt(lines.front(), fields);
            const std::u16string code = At(fields, 4);
            const std::u16string subfolder = code + u"_" + At(fields, 6);
            // The name comes from the file's contents: it must not lead out of the save folder.
            if (!IsPlainFileName(subfolder)) {
                result.status = DeliveryResult::Status::UnsafeSubfolder;
                result.message = u"保存先のフォルダ名「" + subfolder
                    + u"」にはフォルダ名に使えない文字が含まれているため、ファイルを移動できません。"
                      u"ファイルはプログラムのフォルダに残っています。";
                for (auto name : {file1, file2})
                    if (!name.empty())
                        result.failed.emplace_back(name);
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
        if (target.empty() || !CopyReplacing(source, target)) {
            result.failed.emplace_back(name);
            continue;
        }
        std::error_code ec;
        std::filesystem::remove(source, ec);
        result.delivered.emplace_back(name);
    }
    return result;
}

} // namespace plok::claims
