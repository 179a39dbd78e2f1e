#include "claims/ClaimsFile.h"

#include "claims/ClaimsRecord.h"
#include "core/Cp932.h"

#include <algorithm>

namespace plok::claims {

namespace {

std::u16string Number(std::uint64_t n)
{
    return FromUtf8(std::to_string(n));
}

std::u16string IdText(std::string_view id)
{
    return cp932::Decode(id);
}

constexpr char16_t kWhatToGive[]
    = u"レセコンから出力したレセ電データ（医科・DPC・歯科は .UKE、調剤は .CYO のファイル）を"
      u"指定してください。";

} // namespace

ClaimsIdentity IdentifyClaims(std::optional<std::string_view> firstLine)
{
    ClaimsIdentity identity;
    if (!firstLine) {
        identity.refusal = std::u16string(u"ファイルが空のため、処理しませんでした。") + kWhatToGive;
        return identity;
    }
    std::string scratch;
    const detail::FieldCuts fields(detail::Dequoted(*firstLine, scratch), 2);
    const std::string_view id = fields.Field(0);
    if (id == "HI") {
        identity.refusal
            = std::u16string(u"このファイルは返戻ファイル（先頭のレコードが HI）のため、処理しませんでした。"
                             u"返戻ファイルは読めません。")
            + kWhatToGive;
        return identity;
    }
    const auto layout = std::find_if(std::begin(kLayouts), std::end(kLayouts),
        [&](const ClaimsLayout* l) { return l->header == id && l->kind != ClaimsKind::Dpc; });
    if (layout == std::end(kLayouts)) {
        identity.refusal = std::u16string(u"レセ電データではありません（先頭のレコードが、医科・DPC の IR、歯科の UK、"
                                          u"調剤の YK のどれでもありません）。")
            + kWhatToGive;
        return identity;
    }
    const std::string_view payer
        = fields.Has((*layout)->payerField) ? TrimView(fields.Field((*layout)->payerField)) : std::string_view();
    if (payer != "1" && payer != "2") {
        identity.refusal = u"先頭のレコード（" + IdText(id)
            + u"）の審査支払機関が 1（社保）でも 2（国保）でもないため、レセ電データとして処理しませんでした。"
            + kWhatToGive;
        return identity;
    }
    identity.layout = *layout;
    identity.national = payer == "2";
    return identity;
}

std::optional<std::string> ReadFirstLineBytes(const std::filesystem::path& path)
{
    LineReader in(path);
    const std::optional<std::string_view> first = in.FirstLine();
    if (!first)
        return std::nullopt;
    return std::string(first->substr(0, kFirstLineBytes));
}

bool LayoutTracker::Receipt(std::size_t fields, std::uint64_t line)
{
    if (fields > MostReceiptFields()) {
        const ClaimsLayout& known = MedicalOrDpc() ? kMedicalLayout : *m_layout;
        throw LayoutError(Number(line) + u"行目のレセプト共通レコード（" + IdText(m_layout->receipt) + u"）の項目が "
            + Number(fields) + u" 個あり、" + std::u16string(known.name) + u"のレセ電データの様式（"
            + Number(known.receiptFields)
            + u" 個）より多いため、このファイルは処理しませんでした。様式にない項目に患者の情報が入っているかもしれませ"
              u"ん。"
            + kWhatToGive);
    }
    if (!MedicalOrDpc() || fields <= kSharedReceiptFields)
        return false;
    if (fields == kDpcLayout.receiptFields)
        return ShowsDpc(line);
    if (m_layout->kind == ClaimsKind::Dpc && fields > kDpcLayout.receiptFields)
        throw LayoutError(Number(line) + u"行目のレセプト共通レコード（RE）の項目が " + Number(fields)
            + u" 個あり、DPC の様式（30 個）と合いません。医科と DPC のレセプトが混ざっているため、"
              u"このファイルは処理しませんでした。医科（RECEIPTC.UKE）と DPC（RECEIPTD.UKE）のファイルを別々に"
              u"指定してください。");
    m_readAsMedical = m_layout->kind == ClaimsKind::Medical;
    return false;
}

bool LayoutTracker::Record(std::string_view id, std::uint64_t line)
{
    if (std::find(m_layout->foreign.begin(), m_layout->foreign.end(), id) != m_layout->foreign.end())
        throw LayoutError(Number(line) + u"行目に、別のファイルの先頭のレコード（" + IdText(id)
            + u"）があります。複数のファイルがつながっているかもしれないため、このファイルは処理しませんでした。"
            + kWhatToGive);
    if (m_layout->kind == ClaimsKind::Medical
        && std::find(kDpcLayout.evidence.begin(), kDpcLayout.evidence.end(), id) != kDpcLayout.evidence.end())
        return ShowsDpc(line);
    return false;
}

std::vector<std::string_view> LayoutTracker::Watched() const
{
    std::vector<std::string_view> watched(m_layout->foreign.begin(), m_layout->foreign.end());
    if (m_layout->kind == ClaimsKind::Medical)
        watched.insert(watched.end(), kDpcLayout.evidence.begin(), kDpcLayout.evidence.end());
    return watched;
}

bool LayoutTracker::ShowsDpc(std::uint64_t line)
{
    if (m_layout->kind == ClaimsKind::Dpc)
        return false;
    if (m_readAsMedical)
        throw LayoutError(Number(line)
            + u"行目から DPC のレセ電データとわかりましたが、それより前のレセプトを医科の様式で読んでいました。"
              u"医科と DPC のどちらの様式か決められないため、このファイルは処理しませんでした。医科（RECEIPTC.UKE）と"
              u" DPC（RECEIPTD.UKE）のファイルを別々に指定してください。");
    m_layout = &kDpcLayout;
    return true;
}

} // namespace plok::claims
