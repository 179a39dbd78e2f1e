#include "tools/ChartLink.h"

#include "core/CommaText.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/Numbers.h"
#include "core/Text.h"
#include "core/TextFile.h"

#include <algorithm>
#include <unordered_set>

#include <unicode/stringoptions.h>
#include <unicode/ustring.h>
#include <unicode/utypes.h>

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
        m_folded.assign(key);
        if (std::all_of(key.begin(), key.end(), [](char16_t c) { return c < 0x80; })) {
            for (char16_t& c : m_folded)
                if (c >= u'A' && c <= u'Z')
                    c = static_cast<char16_t>(c - u'A' + u'a');
            return m_folded;
        }
        // Full folding can grow the text ("ß" folds to "ss"): retry once with the size ICU asks for.
        for (int attempt = 0; attempt < 2; ++attempt) {
            UErrorCode status = U_ZERO_ERROR;
            const int32_t length = u_strFoldCase(m_folded.data(), static_cast<int32_t>(m_folded.size()), key.data(),
                static_cast<int32_t>(key.size()), U_FOLD_CASE_DEFAULT, &status);
            if (status == U_BUFFER_OVERFLOW_ERROR) {
                m_folded.resize(static_cast<std::size_t>(length));
                continue;
            }
            if (U_FAILURE(status))
                break;
            m_folded.resize(static_cast<std::size_t>(length));
            return m_folded;
        }
        m_folded.assign(key);
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

std::u16string UnsafeNameText(std::u16string_view yearMonth, std::u16string_view what)
{
    return u"年月「" + std::u16string(yearMonth) + u"」はファイル名に使えない文字を含むため、" + std::u16string(what)
        + u"を作成できません。";
}

} // namespace

std::u16string GetCarte(std::u16string_view pstPtnum)
{
    const std::optional<std::int64_t> number = TryReadInt64(pstPtnum);
    if (!number || *number == 0)
        return std::u16string(pstPtnum);
    return FormatInteger(*number);
}

CarteResult ConvertToCarte(const std::filesystem::path& source, const std::filesystem::path& outFolder)
{
    CarteResult result;
    if (!FileExists(source)) {
        result.status = CarteResult::Status::MissingFile;
        result.message = kCarteMissingFileText;
        return result;
    }
    const std::vector<Line> lines = LoadLines(source);
    if (lines.empty()) {
        // Nothing to write: a completion message would name a file that does not exist.
        result.status = CarteResult::Status::NoLines;
        result.message = kNotFfFileText;
        return result;
    }

    const NumberFormat fmt;
    std::vector<Line> wList;
    wList.reserve(lines.size() + 1);
    wList.emplace_back(kCarteHeader);
    FoldedKeys cList;
    cList.Reserve(lines.size());
    std::u16string mstNgt;
    std::u16string record;
    FieldList csvData;
    for (std::size_t j = 1; j <= lines.size(); ++j) {
        record = lines[j - 1];
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
        Line out = GetCarte(csvData[0]);
        AppendColumn(out, csvData[1]);
        AppendColumn(out, mstNgt + u"01");
        AppendColumn(out, t(5).size() == 7 ? t(5) : std::u16string_view());
        AppendColumn(out, LimitedMeasure(t(6), fmt, [](double v) { return FormatInteger(IntegerPart(v)); }));
        AppendColumn(out, LimitedMeasure(t(7), fmt, [&](double v) { return FormatOneDecimal(v, fmt); }));
        AppendColumn(out, UnlessSentinel(t(31)));
        AppendColumn(out, UnlessSentinel(t(32)));
        AppendColumn(out, DecimalMeasure(t(22), fmt));
        AppendColumn(out, WholeMeasure(t(37), fmt));
        AppendColumn(out, DecimalMeasure(t(52), fmt));
        wList.push_back(std::move(out));
        cList.Add(key);
    }

    const std::u16string name = mstNgt + u"_carte.csv";
    if (!IsPlainFileName(name)) {
        result.status = CarteResult::Status::UnsafeName;
        result.message = UnsafeNameText(mstNgt, u"電カル連携ファイル");
        return result;
    }
    WrtSet(outFolder / ToPath(name), wList);
    result.status = CarteResult::Status::Done;
    result.fileName = name;
    result.message = name + u"が作成されました";
    return result;
}

ExportResult ExportCsv(const std::filesystem::path& source, const std::filesystem::path& outFolder)
{
    const std::vector<Line> lines = LoadLines(source);
    std::vector<Line> wList;
    wList.reserve(lines.size());
    std::u16string mstNgt;
    for (std::size_t j = 1; j <= lines.size(); ++j) {
        const FieldList csvData = SplitCommaText(lines[j - 1]);
        if (csvData.empty())
            throw ListIndexError(0);
        if (csvData[0].empty())
            continue;
        if (mstNgt.empty() && j >= 2) {
            if (csvData.size() < 4)
                throw ListIndexError(3);
            mstNgt = csvData[3];
        }
        Line out;
        for (std::size_t i = 0; i < csvData.size(); ++i) {
            if (i > 0)
                out += u',';
            out += csvData[i];
        }
        wList.push_back(std::move(out));
    }

    ExportResult result;
    if (wList.empty()) {
        result.status = ExportResult::Status::NoLines;
        result.message = kNotFfFileText;
        return result;
    }
    const std::u16string name = mstNgt + u"_carte.csv";
    if (!IsPlainFileName(name)) {
        result.status = ExportResult::Status::UnsafeName;
        result.message = UnsafeNameText(mstNgt, u"CSVファイル");
        return result;
    }
    WrtSet(outFolder / ToPath(name), wList);
    result.status = ExportResult::Status::Done;
    result.fileName = name;
    return result;
}

} // namespace plok::tools
