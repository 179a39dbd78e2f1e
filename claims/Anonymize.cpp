#include "claims/Anonymize.h"

#include "core/AtomicFile.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "core/StrConv.h"
#include "core/Text.h"

#include <string_view>

namespace plok::claims {

namespace {

using Fields = std::vector<std::string_view>;

/// Field `i`, or the list-index failure naming `i`: the order of these calls fixes which index a short record
/// reports, so each record's fields are touched in the order the dummy values are assigned.
std::string_view& At(Fields& fields, int i)
{
    if (i < 0 || static_cast<std::size_t>(i) >= fields.size())
        throw ListIndexError(i);
    return fields[static_cast<std::size_t>(i)];
}

/// Field 0 as the splitter would give it: the bytes before the first comma without their double quotes.
std::string_view RecordId(std::string_view line, std::string& scratch)
{
    // Nearly every record starts with a two-letter identifier and a comma.
    if (line.size() >= 3 && line[2] == ',' && line[0] != '"' && line[1] != '"')
        return line.substr(0, 2);
    const std::string_view id = line.substr(0, line.find(','));
    if (id.find('"') == id.npos)
        return id;
    scratch.clear();
    for (char c : id)
        if (c != '"')
            scratch += c;
    return scratch;
}

void AppendPlain(std::string& out, const Fields& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        out += fields[i];
    }
}

std::filesystem::path ExistingFile(const std::filesystem::path& p)
{
    std::error_code ec;
    const auto st = std::filesystem::status(p, ec);
    return (!ec && std::filesystem::exists(st) && !std::filesystem::is_directory(st)) ? p : std::filesystem::path();
}

} // namespace

ConvResult Conv(const std::filesystem::path& pstFile, const std::filesystem::path& outFolder)
{
    ConvResult result;
    if (pstFile.empty() || ExistingFile(pstFile).empty()) {
        result.status = ConvResult::Status::MissingFile;
        result.message = kMissingFileText;
        return result;
    }

    static const std::string kInstitutionName = cp932::Encode(u"ORVAクリニック");
    static const std::string kInsurerDigits = cp932::Encode(u"１２３４５");

    std::u16string billingMonth;
    std::u16string mstKbn = u"_1";
    std::u16string mstKbn2 = u"社";
    std::string namePrefix = cp932::Encode(u"テスト社");

    LineReader in(pstFile);
    AtomicFile out(outFolder);
    std::string_view line;
    std::string idScratch;
    std::string dummyName;
    std::string joined;
    ByteFieldSplitter splitter;
    while (in.Next(line)) {
        const std::string_view id = RecordId(line, idScratch);
        if (id == "SJ" || id == "CO")
            continue;
        if (id != "IR" && id != "RE" && id != "HO" && id != "KO") {
            if (const std::string_view raw = in.LastLineWithCrLf(line); !raw.empty()) {
                out.Write(raw);
            } else {
                out.Write(line);
                out.Write("\r\n");
            }
            continue;
        }
        Fields& csvData = splitter.Split(line);
        joined.clear();
        if (id == "IR") {
            if (TrimView(At(csvData, 1)) == "2") {
                mstKbn = u"_2";
                mstKbn2 = u"国";
                namePrefix = cp932::Encode(u"テスト国");
            }
            billingMonth = cp932::Decode(TrimView(At(csvData, 7)));
            At(csvData, 4) = "0123456";
            At(csvData, 6) = kInstitutionName;
            At(csvData, 9) = "012-345-6789";
            AppendCommaText(joined, csvData);
        } else if (id == "RE") {
            const std::u16string number = cp932::Decode(At(csvData, 1));
            dummyName = namePrefix;
            cp932::EncodeAppend(StrConv(number, {TConversion::Wide}), dummyName);
            At(csvData, 4) = dummyName;
            if (csvData.size() > 36)
                csvData[36] = {};
            // Receipt lines are written unquoted even where a field holds a blank: the splitter has already
            // dropped every quote, so the quoting join with its quotes removed is a plain join.
            AppendPlain(joined, csvData);
        } else if (id == "HO") {
            At(csvData, 1) = "12345678";
            At(csvData, 2) = {};
            At(csvData, 3) = kInsurerDigits;
            AppendCommaText(joined, csvData);
        } else {
            At(csvData, 1) = "12345678";
            At(csvData, 2) = "1234567";
            AppendCommaText(joined, csvData);
        }
        joined += "\r\n";
        out.Write(joined);
    }
    in.Close();

    result.payer = mstKbn2 == u"国" ? PayerKind::National : PayerKind::Social;
    const std::u16string name = billingMonth + mstKbn + u".UKE";
    if (!IsPlainFileName(name)) {
        out.Discard();
        result.status = ConvResult::Status::UnsafeName;
        result.message = u"請求年月「" + billingMonth
            + u"」はファイル名に使えない文字を含むため、匿名化ファイルを作成できません。";
        return result;
    }
    out.Commit(outFolder / ToPath(name));
    result.status = ConvResult::Status::Done;
    result.fileName = name;
    result.message = kAnonymizedText;
    return result;
}

} // namespace plok::claims
