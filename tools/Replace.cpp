#include "tools/Replace.h"

#include "core/AtomicFile.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/TextFile.h"

namespace plok::tools {

namespace {

/// Replaces every occurrence of `from` (not empty) in `s` by `to`, left to right, without looking into the
/// inserted text again; false when there was none.
bool ReplaceAll(std::u16string& s, std::u16string_view from, std::u16string_view to)
{
    std::size_t pos = s.find(from);
    if (pos == s.npos)
        return false;
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
    return true;
}

} // namespace

std::u16string ReplacedFileName(std::u16string_view pstFile)
{
    const std::size_t sep = pstFile.find_last_of(u"\\/:");
    std::u16string name(sep == pstFile.npos ? pstFile : pstFile.substr(sep + 1));
    ReplaceAll(name, u".txt", u"R.txt");
    return name;
}

RunResult Cnv(const std::filesystem::path& pstFile, const ChangeTable& table, const OutputTarget& target)
{
    if (!FileExists(pstFile))
        return RunResult::Refused(RunStatus::MissingFile, kMissingFileText);

    TextLines lines(pstFile);
    // A line the run leaves alone keeps its bytes; only a changed line, or one from a file in another encoding,
    // goes through the code page.
    const bool keepBytes = lines.encoding() == TextEncoding::Cp932;
    const std::vector<Line>& newValues = table.mlsList2();
    AtomicFile out(target.folder);
    std::string bytes;
    Line line;
    std::size_t count = 0;
    while (lines.Next(line)) {
        ++count;
        const FieldList fields = SplitCommaText(line);
        if (fields.size() < 2)
            throw ListIndexError(1);
        bool changed = false;
        // An empty key would match everywhere; a blank field 1 changes nothing.
        if (const std::u16string_view key = TrimView<char16_t>(fields[1]); !key.empty()) {
            if (const int iR = table.Find(key); iR >= 0)
                changed = ReplaceAll(line, key, newValues[static_cast<std::size_t>(iR)]);
        }
        bytes.clear();
        if (changed || !keepBytes)
            cp932::EncodeAppend(line, bytes);
        else
            bytes.assign(lines.raw());
        bytes += "\r\n";
        out.Write(bytes);
    }
    if (count == 0)
        return RunResult::Refused(RunStatus::NoLines, kNotFfFileText);

    const std::u16string name = ReplacedFileName(PathText(pstFile));
    if (IsPlainFileName(name) && SameFile(pstFile, target.folder / ToPath(name))) {
        return RunResult::Refused(RunStatus::SameAsSource,
            u"出力ファイル「" + name
                + u"」が変換前ファイルと同じになるため、変換前ファイルを上書きせずに中止しました。");
    }
    return CommitOutput(out, target, {name, u"出力ファイル名", name, u"変換後ファイル"}, CreatedText(name));
}

} // namespace plok::tools
