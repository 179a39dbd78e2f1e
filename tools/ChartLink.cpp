#include "tools/ChartLink.h"

#include "core/AtomicFile.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/FoldCase.h"
#include "core/Numbers.h"
#include "core/Text.h"
#include "core/TextFile.h"

#include <algorithm>
#include <unordered_set>

namespace plok::tools {

namespace {

constexpr std::size_t kCarteFields = 53;

/// The chart numbers converted so far, kept case-folded so that each look-up is one hash probe.
class FoldedKeys
{
public:
    /// The folded form of `key`, valid until the next call.
    const std::u16string& Fold(std::u16string_view key)
    {
        FoldCase(key, m_folded);
        return m_folded;
    }
    void Reserve(std::size_t count) { m_keys.reserve(count); }
    bool Contains(const std::u16string& folded) const { return m_keys.contains(folded); }
    void Add(const std::u16string& folded) { m_keys.insert(folded); }

private:
    std::unordered_set<std::u16string> m_keys;
    std::u16string m_folded;
};

/// Columns E and F: no number counts as 0, and 0 leaves the column empty.
template<class Format>
std::u16string LimitedMeasure(std::u16string_view t, const NumberFormat& fmt, Format format)
{
    const double value = TryReadFloat(t, fmt).value_or(0.0);
    if (value == 0 || StrToIntDef(t, 0) > 300)
        return {};
    return format(value);
}

/// Columns I and K: a text with a separator stays as it is, a whole number gets one decimal.
std::u16string DecimalMeasure(std::u16string_view t, const NumberFormat& fmt)
{
    if (t == u"99.9" || t.empty())
        return {};
    if (t.find(fmt.decimalSeparator) != t.npos)
        return std::u16string(t);
    const std::optional<double> value = TryReadFloat(t, fmt);
    if (!value)
        throw NumberFormatError(ToUtf8(t));
    return FormatOneDecimal(*value, fmt);
}

/// Column J: a text with a separator is cut down to its integer part.
std::u16string WholeMeasure(std::u16string_view t, const NumberFormat& fmt)
{
    if (t == u"999")
        return {};
    if (t.find(fmt.decimalSeparator) == t.npos)
        return std::u16string(t);
    return FormatInteger(IntegerPart(TryReadFloat(t, fmt).value_or(0.0)));
}

std::u16string_view UnlessSentinel(std::u16string_view t)
{
    return t == u"999" ? std::u16string_view() : t;
}

void AppendColumn(std::u16string& line, std::u16string_view value)
{
    line += u',';
    line += value;
}

/// Appends `line` in code page 932 with CR LF.
void WriteLine(AtomicFile& out, std::u16string_view line, std::string& bytes)
{
    bytes.clear();
    cp932::EncodeAppend(line, bytes);
    bytes += "\r\n";
    out.Write(bytes);
}

} // namespace

std::u16string GetCarte(std::u16string_view pstPtnum)
{
    const std::optional<std::int64_t> number = TryReadInt64(pstPtnum);
    if (!number || *number == 0)
        return std::u16string(pstPtnum);
    return FormatInteger(*number);
}

RunResult ConvertToCarte(const std::filesystem::path& source, const OutputTarget& target)
{
    if (!FileExists(source))
        return RunResult::Refused(RunStatus::MissingFile, kMissingFileText);
    TextLines lines(source);

    const NumberFormat fmt;
    AtomicFile out(target.folder);
    std::string bytes;
    FoldedKeys cList;
    std::u16string mstNgt;
    std::u16string record;
    Line row;
    FieldList csvData;
    std::size_t j = 0;
    while (lines.Next(record)) {
        if (++j == 1)
            WriteLine(out, kCarteHeader, bytes);
        std::replace(record.begin(), record.end(), u'\t', u',');
        csvData.clear();
        GetCommaTxt(record, csvData);
        if (csvData[0].empty() || csvData.size() < kCarteFields)
            continue;
        if (mstNgt.empty() && j >= 2)
            mstNgt = csvData[3];
        const std::u16string& key = cList.Fold(TrimView<char16_t>(csvData[0]));
        if (cList.Contains(key) || j == 1)
            continue;

        auto t = [&](std::size_t i) { return TrimView<char16_t>(csvData[i]); };
        row = GetCarte(csvData[0]);
        AppendColumn(row, csvData[1]);
        AppendColumn(row, mstNgt + u"01");
        AppendColumn(row, t(5).size() == 7 ? t(5) : std::u16string_view());
        AppendColumn(row, LimitedMeasure(t(6), fmt, [](double v) { return FormatInteger(IntegerPart(v)); }));
        AppendColumn(row, LimitedMeasure(t(7), fmt, [&](double v) { return FormatOneDecimal(v, fmt); }));
        AppendColumn(row, UnlessSentinel(t(31)));
        AppendColumn(row, UnlessSentinel(t(32)));
        AppendColumn(row, DecimalMeasure(t(22), fmt));
        AppendColumn(row, WholeMeasure(t(37), fmt));
        AppendColumn(row, DecimalMeasure(t(52), fmt));
        WriteLine(out, row, bytes);
        cList.Add(key);
    }
    // Nothing to write: a completion message would name a file that does not exist.
    if (j == 0)
        return RunResult::Refused(RunStatus::NoLines, kNotFfFileText);

    const std::u16string name = mstNgt + u"_carte.csv";
    return CommitOutput(out, target, {name, u"年月", mstNgt, u"電カル連携ファイル"}, CreatedText(name));
}

RunResult ExportCsv(const std::filesystem::path& source, const OutputTarget& target)
{
    TextLines lines(source);
    AtomicFile out(target.folder);
    std::string bytes;
    std::u16string mstNgt;
    Line line;
    Line row;
    std::size_t kept = 0;
    for (std::size_t j = 1; lines.Next(line); ++j) {
        const FieldList csvData = SplitCommaText(line);
        if (csvData.empty())
            throw ListIndexError(0);
        if (csvData[0].empty())
            continue;
        if (mstNgt.empty() && j >= 2) {
            if (csvData.size() < 4)
                throw ListIndexError(3);
            mstNgt = csvData[3];
        }
        row.clear();
        for (std::size_t i = 0; i < csvData.size(); ++i) {
            if (i > 0)
                row += u',';
            row += csvData[i];
        }
        WriteLine(out, row, bytes);
        ++kept;
    }
    if (kept == 0)
        return RunResult::Refused(RunStatus::NoLines, kNotFfFileText);
    return CommitOutput(out, target, {mstNgt + u"_carte.csv", u"年月", mstNgt, u"CSVファイル"}, u"");
}

} // namespace plok::tools
