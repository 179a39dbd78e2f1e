#include "tools/Replace.h"

#include "core/CommaText.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/TextFile.h"

namespace plok::tools {

namespace {

/// Replaces every occurrence of `from` (not empty) in `s` by `to`, left to right, without looking into the
/// inserted text again.
void ReplaceAll(std::u16string& s, std::u16string_view from, std::u16string_view to)
{
    std::size_t pos = s.find(from);
    if (pos == s.npos)
        return;
    std::u16string out;
    out.reserve(s.size() + to.size());
    std::size_t start = 0;
    for (; pos != s.npos; pos = s.find(from, start)) {
        out.append(s, start, pos - start);
        out.append(to);
        start = pos + from.size();
    }
    out.append(s, start);
    s = std::move(out);
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

} // namespace

std::u16string ReplacedFileName(std::u16string_view pstFile)
{
    const std::size_t sep = pstFile.find_last_of(u"\\/:");
    std::u16string name(sep == pstFile.npos ? pstFile : pstFile.substr(sep + 1));
    ReplaceAll(name, u".txt", u"R.txt");
    return name;
}

ReplaceResult Cnv(
    const std::filesystem::path& pstFile, const ChangeTable& table, const std::filesystem::path& outFolder)
{
    ReplaceResult result;
    if (!FileExists(pstFile)) {
        result.status = ReplaceResult::Status::MissingFile;
        result.message = kReplaceMissingFileText;
        return result;
    }

    std::vector<Line> lines = LoadLines(pstFile);
    const std::vector<Line>& newValues = table.mlsList2();
    for (Line& line : lines) {
        const FieldList fields = SplitCommaText(line);
        if (fields.size() < 2)
            throw ListIndexError(1);
        if (fields[1].empty())
            continue;
        const std::u16string_view key = TrimView<char16_t>(fields[1]);
        // An empty key would match everywhere; a blank field 1 changes nothing.
        if (key.empty())
            continue;
        if (const int iR = table.Find(key); iR >= 0)
            ReplaceAll(line, key, newValues[static_cast<std::size_t>(iR)]);
    }
    if (lines.empty()) {
        result.status = ReplaceResult::Status::NoLines;
        result.message = kNoLinesText;
        return result;
    }

    const std::u16string name = ReplacedFileName(FromUtf8(pstFile.string()));
    if (!IsPlainFileName(name)) {
        result.status = ReplaceResult::Status::UnsafeName;
        result.message
            = u"出力ファイル名「" + name + u"」はファイル名に使えない文字を含むため、変換後ファイルを作成できません。";
        return result;
    }
    const std::filesystem::path target = outFolder / ToPath(name);
    if (SameFile(pstFile, target)) {
        result.status = ReplaceResult::Status::SameAsSource;
        result.message = u"出力ファイル「" + name
            + u"」が変換前ファイルと同じになるため、変換前ファイルを上書きせずに中止しました。";
        return result;
    }
    WrtSet(target, lines);
    result.status = ReplaceResult::Status::Done;
    result.fileName = name;
    result.message = name + u"が作成されました";
    return result;
}

} // namespace plok::tools
