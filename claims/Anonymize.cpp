#include "claims/Anonymize.h"

#include "claims/ClaimsRecord.h"
#include "core/AtomicFile.h"
#include "core/Cp932.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "core/RunResult.h"
#include "core/StrConv.h"
#include "core/Text.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

namespace plok::claims {

namespace {

using detail::FieldCuts;
using detail::Join;
using detail::LineAction;
using detail::RecordCode;
using detail::RecordId;

/// Appends the code page 932 bytes of the receipt number turned into full-width characters.
void AppendWideNumber(std::string_view number, std::string& out)
{
    // Receipt numbers are a few ASCII digits, whose full-width forms have the codes 0x82 0x4F .. 0x82 0x58; anything
    // else takes the general way.
    constexpr std::size_t kShortNumber = 16;
    const bool digits = number.size() <= kShortNumber
        && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) {
        cp932::EncodeAppend(StrConv(cp932::Decode(number), {TConversion::Wide}), out);
        return;
    }
    for (const char c : number) {
        out += '\x82';
        out += static_cast<char>(0x4F + (c - '0'));
    }
}

/// Every record but these is copied byte for byte.
constexpr bool IsCopied(std::uint16_t code)
{
    switch (code) {
    case RecordCode("SJ"):
    case RecordCode("CO"):
    case RecordCode("RE"):
    case RecordCode("HO"):
    case RecordCode("KO"):
    case RecordCode("IR"):
        return false;
    default:
        return true;
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

    LineReader in(pstFile, LoneCr::Refuse);
    AtomicFile out(target.folder);
    std::string idScratch;
    std::string dequoted;
    std::string dummyName;
    const std::optional<RunResult> refusal = detail::StreamClaims(
        check, in, out, [](std::uint16_t code) { return IsCopied(code); },
        [&](std::string_view line, std::string& joined) {
            switch (RecordCode(RecordId(line, idScratch))) {
            case RecordCode("SJ"):
            case RecordCode("CO"):
                return LineAction::Drop;
            case RecordCode("RE"): {
                const FieldCuts fields(detail::Dequoted(line, dequoted), 37);
                fields.Require({1, 4});
                dummyName = namePrefix;
                AppendWideNumber(fields.Field(1), dummyName);
                // Receipt lines are written unquoted even where a field holds a blank: the splitter has already dropped
                // every quote, so the quoting join with its quotes removed is a plain join.
                detail::AppendEdited(joined, fields, {{4, dummyName}, {36, {}}}, Join::Plain);
                return LineAction::Rewrite;
            }
            case RecordCode("HO"): {
                const FieldCuts fields(detail::Dequoted(line, dequoted), 4);
                fields.Require({1, 2, 3});
                detail::AppendEdited(
                    joined, fields, {{1, "12345678"}, {2, {}}, {3, kInsurerDigits}}, Join::QuotingBlanks);
                return LineAction::Rewrite;
            }
            case RecordCode("KO"): {
                const FieldCuts fields(detail::Dequoted(line, dequoted), 3);
                fields.Require({1, 2});
                detail::AppendEdited(joined, fields, {{1, "12345678"}, {2, "1234567"}}, Join::QuotingBlanks);
                return LineAction::Rewrite;
            }
            case RecordCode("IR"): {
                const FieldCuts fields(detail::Dequoted(line, dequoted), 10);
                fields.Require({1, 7, 4, 6, 9});
                if (TrimView(fields.Field(1)) == "2") {
                    national = true;
                    namePrefix = cp932::Encode(u"テスト国");
                }
                billingMonth = cp932::Decode(TrimView(fields.Field(7)));
                detail::AppendEdited(
                    joined, fields, {{4, "0123456"}, {6, kInstitutionName}, {9, "012-345-6789"}}, Join::QuotingBlanks);
                return LineAction::Rewrite;
            }
            default:
                return LineAction::Copy;
            }
        });
    in.Close();
    if (refusal)
        return *refusal;

    const char16_t* mstKbn = national ? u"_2" : u"_1";
    return CommitOutput(out, target, {billingMonth + mstKbn + u".UKE", u"請求年月", billingMonth, u"匿名化ファイル"},
        kAnonymizedText, national ? ResultSlot::Second : ResultSlot::First);
}

} // namespace plok::claims
