#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

/// What the anonymisation replaces and leaves out, written once: the run writes these dummies, and the audit looks
/// for the values they replaced, so that a field added here is both replaced and looked for.
namespace plok::claims {

/// What an identifier found in a copy is. The audit's report names only the kind, never the value, so that it can be
/// pasted into a ticket.
enum class AuditKind : std::uint8_t
{
    InstitutionCode, // IR field 4
    InstitutionName, // IR field 6
    Telephone, // IR field 9
    PatientName, // RE field 4
    PatientKanaName, // RE field 36
    InsurerNumber, // HO field 1
    InsuranceSymbol, // HO field 2
    InsuranceNumber, // HO field 3
    PublicPayerNumber, // KO field 1
    PublicRecipientNumber, // KO field 2
    SymptomNote, // an SJ line
    Comment, // a CO line
    // Looked for in strong copies only (kStrongFields).
    ChartNumber, // RE field 13
    BirthDate, // RE field 6
    AdmissionDate, // RE field 8
};
inline constexpr std::size_t kAuditKinds = 15;

/// Which anonymisation a copy was made with: the default one, or the strong one, which also changes kStrongFields.
enum class AnonymizeMode : std::uint8_t
{
    Default,
    Strong,
};

/// How the anonymisation fills a field it replaces.
enum class Dummy : std::uint8_t
{
    Fixed, // the text `dummy`
    PatientName, // `dummy`, the payer mark (kPayerMarks) and the receipt number (field 1) in full-width characters
};

struct ReplacedField
{
    std::string_view record; // the record identifier
    std::size_t field; // counted from 0
    std::u16string_view dummy;
    AuditKind kind; // what the field's original value is
    Dummy how = Dummy::Fixed;
    bool optional = false; // replaced only when the record has it; a record without another field is too short
};

/// Every field the anonymisation replaces, by record and then by field, in ascending order.
inline constexpr ReplacedField kReplacedFields[] = {
    {"IR", 4, u"0123456", AuditKind::InstitutionCode},
    {"IR", 6, u"ORVAクリニック", AuditKind::InstitutionName},
    {"IR", 9, u"012-345-6789", AuditKind::Telephone},
    {"RE", 4, u"テスト", AuditKind::PatientName, Dummy::PatientName},
    {"RE", 36, u"", AuditKind::PatientKanaName, Dummy::Fixed, true},
    {"HO", 1, u"12345678", AuditKind::InsurerNumber},
    {"HO", 2, u"", AuditKind::InsuranceSymbol},
    {"HO", 3, u"１２３４５", AuditKind::InsuranceNumber},
    {"KO", 1, u"12345678", AuditKind::PublicPayerNumber},
    {"KO", 2, u"1234567", AuditKind::PublicRecipientNumber},
};

/// The payer marks of Dummy::PatientName: social insurance, national insurance.
inline constexpr std::u16string_view kPayerMarks[] = {u"社", u"国"};

struct DroppedRecord
{
    std::string_view record;
    AuditKind kind;
};

/// The records the anonymisation leaves out.
inline constexpr DroppedRecord kDroppedRecords[] = {
    {"SJ", AuditKind::SymptomNote},
    {"CO", AuditKind::Comment},
};

/// How the strong anonymisation fills a field of kStrongFields.
enum class StrongFill : std::uint8_t
{
    Fixed, // the text `dummy` (empty: the field is emptied)
    Pseudonym, // the chart number's keyed pseudonym (ChartPseudonyms, claims/StrongAnonymize.h)
    MonthOfDate, // the date kept to its month (AppendMonthOfDate)
};

struct StrongField
{
    std::string_view record;
    std::size_t field; // counted from 0; a record without the field is written without it, never refused
    StrongFill fill;
    std::u16string_view dummy = {};
    /// What the audit of a strong copy looks for the original value as; nothing where the field is emptied or holds
    /// free text that is no identifier of its own (a name in it is found as a name).
    std::optional<AuditKind> kind = std::nullopt;
    /// Only in records whose field `whenField`, trimmed, is `whenCode` (no condition when it is empty).
    std::size_t whenField = 0;
    std::string_view whenCode = {};
};

/// The code of a disease that has no code of its own: its name is free text (SY field 5).
inline constexpr std::string_view kUncodedDisease = "0000999";

/// What the strong anonymisation changes besides kReplacedFields, by record and then by field, in ascending order. The
/// receipt's dummy name (RE 4) also goes without the receipt number.
inline constexpr StrongField kStrongFields[] = {
    {"RE", 6, StrongFill::MonthOfDate, {}, AuditKind::BirthDate},
    {"RE", 8, StrongFill::MonthOfDate, {}, AuditKind::AdmissionDate},
    {"RE", 13, StrongFill::Pseudonym, {}, AuditKind::ChartNumber},
    {"RE", 18, StrongFill::Fixed, u""}, // search number the payer gives the receipt
    {"RE", 20, StrongFill::Fixed, u""}, // billing information
    {"SY", 5, StrongFill::Fixed, u"匿名化した傷病名", std::nullopt, 1, kUncodedDisease},
    {"SY", 7, StrongFill::Fixed, u""}, // supplementary comment, free text
};

} // namespace plok::claims
