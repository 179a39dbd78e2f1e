#pragma once

#include "claims/ClaimsLayout.h"
#include "core/Errors.h"
#include "core/LineReader.h"
#include "core/Text.h"
#include "present/Prompts.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace plok::claims {

/// What the main window's open-file dialog offers: claims files of every kind, or any file.
inline constexpr FileType kClaimsFileTypes[] = {
    {u"レセ電データ", u"*.UKE *.CYO"},
    {u"すべてのファイル", u"*"},
};

/// How much of a claims file's first line the main window reads: its first record is far shorter.
inline constexpr std::size_t kFirstLineBytes = 4096;

/// What a file's first line says it is.
struct ClaimsIdentity
{
    /// The layout of its kind (for a file of IR records the medical one: its receipts may show DPC); nothing when the
    /// file is refused.
    const ClaimsLayout* layout = nullptr;
    bool national = false; // the payer is national insurance (2), not social insurance (1)
    /// Without a layout: what the file is, or what plok expected, and what to do.
    std::u16string refusal;
};

/// Tells a file's kind by its first line, as raw code page 932 bytes without the line end (nothing for a file that
/// holds no byte): a first record IR (medical or DPC), UK (dental) or YK (pharmacy) whose payer field, trimmed, is
/// 1 or 2. Every other file is refused: an empty one, a returned-claims file (HI), any other text.
ClaimsIdentity IdentifyClaims(std::optional<std::string_view> firstLine);

/// The first line of `path` as IdentifyClaims takes it, at most kFirstLineBytes of it. Throws IoError.
std::optional<std::string> ReadFirstLineBytes(const std::filesystem::path& path);

/// Refusal of a claims file with a lone CR, naming its line. Such a file may be one long line, or glue a receipt to
/// the line before it: the runs and the audit would see records that are not there and miss those that are.
inline std::u16string LoneCrText(const LoneCrError& e)
{
    return FromUtf8(e.what())
        + u"行の区切りを正しく読めないため、このファイルは処理しませんでした。"
          u"レセコンから出力し直したファイルで、もう一度実行してください。";
}

/// A file whose records do not fit its kind's layout, found while it is read: nothing is written for it. `what()`
/// is the refusal in UTF-8.
class LayoutError : public Error
{
public:
    explicit LayoutError(const std::u16string& text)
        : Error(ToUtf8(text))
        , m_text(text)
    { }
    const std::u16string& text() const { return m_text; }

private:
    std::u16string m_text;
};

/// The layout a file's records are read by, as they come. A file of IR records is read as a medical one until a
/// receipt record of exactly the DPC count of fields, or a record only DPC files have, shows DPC; both layouts read
/// a receipt record alike in its first kSharedReceiptFields fields, so a shorter one decides nothing.
///
/// Throws LayoutError for a receipt record with more fields than its kind's layout has (its fields could be anything),
/// for the first record of another kind of file, and for a file whose receipts show medical and DPC both, or that
/// shows DPC after a receipt that was read as a medical one.
class LayoutTracker
{
public:
    /// Fields a medical and a DPC receipt record read alike.
    static constexpr std::size_t kSharedReceiptFields = 18;

    explicit LayoutTracker(const ClaimsLayout& layout)
        : m_layout(&layout)
    { }

    const ClaimsLayout& layout() const { return *m_layout; }
    /// The receipt record on line `line` has `fields` fields. True when the layout changed.
    bool Receipt(std::size_t fields, std::uint64_t line);
    /// A record of Watched() stands on line `line`. True when the layout changed.
    bool Record(std::string_view id, std::uint64_t line);
    /// The records the current layout must hand to Record.
    std::vector<std::string_view> Watched() const;
    /// The most fields a receipt record may have: its kind's count, or for a file of IR records the medical one's.
    std::size_t MostReceiptFields() const
    {
        return MedicalOrDpc() ? kMedicalLayout.receiptFields : m_layout->receiptFields;
    }

private:
    bool MedicalOrDpc() const { return m_layout->kind == ClaimsKind::Medical || m_layout->kind == ClaimsKind::Dpc; }
    bool ShowsDpc(std::uint64_t line);

    const ClaimsLayout* m_layout;
    bool m_readAsMedical = false; // a receipt's fields beyond the shared ones were read by the medical layout
};

} // namespace plok::claims
