#include "claims/Uniqueness.h"

#include "claims/ClaimsFile.h"
#include "claims/ClaimsLayout.h"
#include "claims/ClaimsRecord.h"
#include "core/Errors.h"
#include "core/FileNames.h"
#include "core/LineReader.h"
#include "core/Text.h"

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

namespace plok::claims {

namespace {

struct DiagnosisField
{
    std::string_view record;
    std::size_t field;
};

/// Where each kind keeps its diagnosis codes.
std::vector<DiagnosisField> DiagnosesOf(ClaimsKind kind)
{
    switch (kind) {
    case ClaimsKind::Medical:
        return {{"SY", 1}};
    case ClaimsKind::Dpc:
        return {{"SY", 1}, {"SB", 1}};
    case ClaimsKind::Dental:
        return {{"HS", 4}};
    case ClaimsKind::Pharmacy:
        break;
    }
    return {};
}

constexpr std::size_t kSexField = 5;
constexpr std::size_t kBirthDateField = 6;

std::uint64_t Mix(std::uint64_t h, std::string_view bytes)
{
    // FNV-1a, then a separator so that ("ab", "c") and ("a", "bc") differ.
    for (const char c : bytes)
        h = (h ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    return (h ^ 0xFF) * 0x100000001b3ULL;
}

/// How many of `keys` occur once.
std::size_t Singles(std::vector<std::uint64_t>& keys)
{
    std::sort(keys.begin(), keys.end());
    std::size_t singles = 0;
    for (std::size_t i = 0; i < keys.size();) {
        std::size_t j = i + 1;
        while (j < keys.size() && keys[j] == keys[i])
            ++j;
        singles += j - i == 1 ? 1 : 0;
        i = j;
    }
    return singles;
}

std::u16string Count(std::size_t n)
{
    return FromUtf8(std::to_string(n));
}

std::u16string Share(std::size_t n, std::size_t of)
{
    return of == 0 ? u"0" : FromUtf8(std::to_string((n * 100 + of / 2) / of));
}

} // namespace

Uniqueness MeasureUniqueness(const std::filesystem::path& copy)
{
    if (!FileExists(copy))
        throw FileError(copy, ToUtf8(kMissingFileText));
    Uniqueness u;
    std::vector<std::uint64_t> person; // per receipt: birth month and sex
    std::vector<std::uint64_t> withDiagnoses; // and its diagnosis codes
    try {
        LineReader in(copy, LoneCr::Refuse);
        const ClaimsIdentity identity = IdentifyClaims(in.FirstLine());
        if (!identity.layout)
            throw FileError(copy, ToUtf8(identity.refusal));
        const std::vector<DiagnosisField> diagnoses = DiagnosesOf(identity.layout->kind);
        u.hasDiagnoses = !diagnoses.empty();
        std::vector<std::string> codes; // of the current receipt
        const auto endReceipt = [&] {
            if (person.size() == withDiagnoses.size())
                return;
            std::sort(codes.begin(), codes.end());
            codes.erase(std::unique(codes.begin(), codes.end()), codes.end());
            std::uint64_t h = person.back();
            for (const std::string& c : codes)
                h = Mix(h, c);
            withDiagnoses.push_back(h);
            codes.clear();
        };
        std::string idScratch;
        std::string scratch;
        std::string_view line;
        std::string_view skipped;
        // Lines of other records are passed over in runs, without a look at each one's fields.
        std::vector<bool> wanted(65536, false);
        wanted[detail::RecordCode(identity.layout->receipt)] = true;
        for (const DiagnosisField& d : diagnoses)
            wanted[detail::RecordCode(d.record)] = true;
        const auto passOver = [&](std::string_view l) {
            return detail::HasPlainRecordId(l) && !wanted[detail::RecordCode(l.substr(0, 2))];
        };
        for (;;) {
            if (!in.TakeWhile(passOver, skipped, line) && !in.Next(line))
                break;
            const std::string_view id = detail::RecordId(line, idScratch);
            if (id == identity.layout->receipt) {
                endReceipt();
                const detail::FieldCuts fields(detail::Dequoted(line, scratch), kBirthDateField + 1);
                const std::string_view birth
                    = fields.Has(kBirthDateField) ? TrimView(fields.Field(kBirthDateField)) : "";
                const std::string_view sex = fields.Has(kSexField) ? TrimView(fields.Field(kSexField)) : "";
                // The month: the date without its day.
                std::uint64_t h = Mix(0xcbf29ce484222325ULL, birth.substr(0, birth.size() >= 2 ? birth.size() - 2 : 0));
                person.push_back(Mix(h, sex));
                continue;
            }
            if (person.size() == withDiagnoses.size())
                continue;
            for (const DiagnosisField& d : diagnoses) {
                if (id != d.record)
                    continue;
                const detail::FieldCuts fields(detail::Dequoted(line, scratch), d.field + 1);
                if (fields.Has(d.field))
                    codes.emplace_back(TrimView(fields.Field(d.field)));
            }
        }
        endReceipt();
    } catch (const LoneCrError& e) {
        throw FileError(copy, ToUtf8(LoneCrText(e)));
    } catch (const FileError&) {
        throw;
    } catch (const Error& e) {
        throw FileError(copy, e.what());
    }
    u.receipts = person.size();
    u.byBirthMonthAndSex = Singles(person);
    u.withDiagnoses = Singles(withDiagnoses);
    return u;
}

std::u16string UniquenessText(const Uniqueness& u)
{
    std::u16string text = u"レセプト " + Count(u.receipts) + u"件のうち、生まれ年月と性別が同じ人がほかにいないもの: "
        + Count(u.byBirthMonthAndSex) + u"件（" + Share(u.byBirthMonthAndSex, u.receipts) + u"%）";
    if (u.hasDiagnoses)
        text += u"、生まれ年月・性別・傷病名の組み合わせがほかにないもの: " + Count(u.withDiagnoses) + u"件（"
            + Share(u.withDiagnoses, u.receipts) + u"%）";
    return text + u"。患者を知る人には、これらのレセプトが誰のものか分かることがあります。";
}

} // namespace plok::claims
