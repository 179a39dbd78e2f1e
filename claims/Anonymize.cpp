#include "claims/Anonymize.h"

#include "claims/ClaimsRecord.h"
#include "core/AtomicFile.h"
#include "core/CommaText.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "core/RunResult.h"
#include "core/StrConv.h"
#include "core/Text.h"

#include <string_view>

namespace plok::claims {

namespace {

using detail::At;
using detail::CopyLine;
using detail::Fields;
using detail::RecordId;

void AppendPlain(std::string& out, const Fields& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i > 0)
            out += ',';
        out += fields[i];
    }
}

} // namespace

RunResult Conv(const std::filesystem::path& pstFile, const OutputTarget& target, InputCheck check)
{
    if (!FileExists(pstFile))
        return RunResult::Refused(RunStatus::MissingFile, kMissingFileText);

    static const std::string kInstitutionName = cp932::Encode(u"ORVAクリニック");
    static const std::string kInsurerDigits = cp932::Encode(u"１２３４５");

    std::u16string billingMonth;
    bool national = false;
    std::string namePrefix = cp932::Encode(u"テスト社");

    LineReader in(pstFile);
    AtomicFile out(target.folder);
    std::string_view line;
    std::string idScratch;
    std::string dummyName;
    std::string joined;
    ByteFieldSplitter splitter;
    detail::FirstLineCheck firstLine(check);
    while (in.Next(line)) {
        if (!firstLine.Passes(line))
            return detail::FirstLineCheck::Refusal();
        const std::string_view id = RecordId(line, idScratch);
        if (id == "SJ" || id == "CO")
            continue;
        if (id != "IR" && id != "RE" && id != "HO" && id != "KO") {
            CopyLine(out, in, line);
            continue;
        }
        Fields& csvData = splitter.Split(line);
        joined.clear();
        if (id == "IR") {
            if (TrimView(At(csvData, 1)) == "2") {
                national = true;
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
    if (!firstLine.PassedAtEnd())
        return detail::FirstLineCheck::Refusal();

    const char16_t* mstKbn = national ? u"_2" : u"_1";
    return CommitOutput(out, target, {billingMonth + mstKbn + u".UKE", u"請求年月", billingMonth, u"匿名化ファイル"},
        kAnonymizedText, national ? ResultSlot::Second : ResultSlot::First);
}

} // namespace plok::claims
