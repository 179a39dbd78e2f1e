#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

/// Where each kind of claims file keeps what the runs read and change, written once per kind: the anonymisation, the
/// strong anonymisation and branch-number removal change what these tables name, and the audit looks for the values
/// they replaced, so that a field added here is both changed and looked for.
namespace plok::claims {

/// What an identifier found in a copy is. The audit's report names only the kind, never the value, so that it can be
/// pasted into a ticket.
enum class AuditKind : std::uint8_t
{
    InstitutionCode, // the clinic's, pharmacy's or another institution's code
    InstitutionName,
    Telephone,
    PatientName,
    PatientKanaName,
    InsurerNumber,
    InsuranceSymbol,
    InsuranceNumber,
    PublicPayerNumber,
    PublicRecipientNumber,
    SymptomNote, // an SJ line
    Comment, // a CO or TK line
    // Looked for in strong copies only (the fields of `strong` with a kind).
    ChartNumber,
    BirthDate,
    AdmissionDate,
    InsuranceBranchNumber,
    InstitutionAddress,
    DoctorName, // a prescribing doctor's
    LicenceNumber, // a narcotics licence's
};
inline constexpr std::size_t kAuditKinds = 19;

/// Which anonymisation a copy was made with: the default one, or the strong one, which also changes the fields of
/// its kind's `strong` table.
enum class AnonymizeMode : std::uint8_t
{
    Default,
    Strong,
};

/// How the anonymisation fills a field it replaces.
enum class Dummy : std::uint8_t
{
    Fixed, // the text `dummy`
    PatientName, // `dummy`, the payer mark (kPayerMarks) and the receipt number in full-width characters
};

/// When the anonymisation replaces a field.
enum class Need : std::uint8_t
{
    Always, // a record without the field is too short for the run: it fails naming the field
    IfPresent, // where the record has the field
    IfFilled, // where the field holds more than blanks: what the format leaves empty stays empty
};

struct ReplacedField
{
    std::string_view record; // the record identifier
    std::size_t field; // counted from 0
    std::u16string_view dummy;
    AuditKind kind; // what the field's original value is
    Dummy how = Dummy::Fixed;
    Need need = Need::Always;
};

/// The payer marks of Dummy::PatientName: social insurance, national insurance.
inline constexpr std::u16string_view kPayerMarks[] = {u"社", u"国"};

struct DroppedRecord
{
    std::string_view record;
    AuditKind kind;
};

/// How the strong anonymisation fills a field of its table.
enum class StrongFill : std::uint8_t
{
    Fixed, // the text `dummy` (empty: the field is emptied)
    Pseudonym, // the chart number's keyed pseudonym (ChartPseudonyms, claims/StrongAnonymize.h)
    MonthOfDate, // the date kept to its month (AppendMonthOfDate)
    /// A date kept to its month where it is the day of birth of the person the record belongs to (a newborn's illness
    /// begins on it): the birth date (the field of kind BirthDate) of the last receipt or organ donor record read.
    /// Any other date stays as it is.
    MonthOfBirthDay,
    /// Text typed by hand: where it holds more than blanks, the fixed text `dummy`; an empty field stays empty, so
    /// that a comment code beside it keeps its meaning.
    FreeText,
};

struct StrongField
{
    std::string_view record;
    std::size_t field; // counted from 0; a record without the field is written without it, never refused
    StrongFill fill;
    std::u16string_view dummy = {};
    /// What the audit of a strong copy looks for the original value as; nothing where the field is emptied or holds
    /// free text that is no identifier of its own (a name in it is found as a name). A field filled with a value of
    /// its own (Pseudonym, MonthOfDate) is compared there with its receipt's original only.
    std::optional<AuditKind> kind = std::nullopt;
    /// Only in records whose field `whenField`, trimmed, is `whenCode` (no condition when it is empty).
    std::size_t whenField = 0;
    std::string_view whenCode = {};
};

/// A field of a record.
struct FieldRef
{
    std::string_view record;
    std::size_t field;
};

/// A chart number, which branch-number removal cuts and the strong anonymisation turns into its pseudonym.
struct ChartField
{
    std::string_view record;
    std::size_t field;
    Need need; // Always: a record without it is too short for branch-number removal
};

/// The fields of a record where the claims format puts numbers of its own (codes, counts, points, amounts): a short
/// number that equals a value there is chance. `fields` has bit i for field i; every field from `from` on counts too.
struct StructureFields
{
    std::string_view record;
    std::uint64_t fields;
    std::size_t from;
};

/// The code of a disease that has no code of its own: its name is free text.
inline constexpr std::string_view kUncodedDisease = "0000999";

enum class ClaimsKind : std::uint8_t
{
    Medical, // 医科: RECEIPTC.UKE, first record IR
    Dpc, // DPC: RECEIPTD.UKE, first record IR, receipts of 30 fields and records of its own
    Dental, // 歯科: RECEIPTS.UKE, first record UK, an IR of its own before each receipt
    Pharmacy, // 調剤: RECEIPTY.CYO, first record YK
};

/// One kind's layout: the records and fields every run and the audit read.
struct ClaimsLayout
{
    ClaimsKind kind;
    std::u16string_view name; // as the user knows the kind: 医科, DPC, 歯科, 調剤
    std::string_view header; // the first record, which names the kind, the payer and the billing month
    std::size_t payerField; // of the header: 1 social insurance, 2 national insurance
    std::size_t billingMonthField; // of the header: the copies' names begin with it
    std::string_view receiptStart; // the record that begins a receipt
    std::string_view receipt; // the receipt's own record: patient, receipt number, chart number
    std::size_t receiptNumberField;
    std::size_t receiptFields; // a receipt record of more fields has a layout of another kind and is refused
    std::span<const ChartField> chartNumbers;
    std::span<const ReplacedField> replaced; // by both anonymisations
    std::span<const DroppedRecord> dropped; // by both anonymisations
    std::span<const StrongField> strong; // by the strong anonymisation besides
    std::span<const FieldRef> freeText; // fields of text typed by hand, which may name anybody
    std::span<const FieldRef> dates; // fields of dates: a day, in the western or the era form, or a month and day
    std::span<const StructureFields> structure;
    std::span<const std::string_view> evidence; // records only this kind has, which tell it from a kind of its header
    std::span<const std::string_view> foreign; // first records of other files: a file holding one is refused
    std::u16string_view copyExtension; // of the anonymised copy
    std::u16string_view submissionName; // of the branch-number removal's copy, after the month and the payer
};

namespace detail {

template<class T, std::size_t... N>
constexpr std::array<T, (N + ...)> Concat(const std::array<T, N>&... parts)
{
    std::array<T, (N + ...)> out {};
    std::size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), out.begin() + static_cast<std::ptrdiff_t>(at)), at += N), ...);
    return out;
}

constexpr std::uint64_t Bits(std::initializer_list<unsigned> fields)
{
    std::uint64_t bits = 0;
    for (const unsigned f : fields)
        bits |= std::uint64_t(1) << f;
    return bits;
}

inline constexpr std::size_t kNoFrom = SIZE_MAX;

inline constexpr std::u16string_view kInstitutionCode = u"0123456";
inline constexpr std::u16string_view kClinicName = u"ORVAクリニック";
inline constexpr std::u16string_view kTelephone = u"012-345-6789";
inline constexpr std::u16string_view kAddress = u"ORVA県ORVA市";
inline constexpr std::u16string_view kInsurerNumber = u"12345678";
inline constexpr std::u16string_view kInsuranceNumber = u"１２３４５";
inline constexpr std::u16string_view kRecipientNumber = u"1234567";
inline constexpr std::u16string_view kUncodedDiseaseName = u"匿名化した傷病名";
inline constexpr std::u16string_view kFreeComment = u"匿名化したコメント";
inline constexpr std::u16string_view kDeviceName = u"匿名化した器材名";

/// The insurance records, alike in every kind. The eligibility record (SN) repeats what HO and KO hold, where the
/// clinic or the payer filled it in, and the branch number of the insured person, which the clinic writes.
inline constexpr std::array kInsurance = {
    ReplacedField {"HO", 1, kInsurerNumber, AuditKind::InsurerNumber},
    ReplacedField {"HO", 2, u"", AuditKind::InsuranceSymbol},
    ReplacedField {"HO", 3, kInsuranceNumber, AuditKind::InsuranceNumber},
    ReplacedField {"KO", 1, kInsurerNumber, AuditKind::PublicPayerNumber},
    ReplacedField {"KO", 2, kRecipientNumber, AuditKind::PublicRecipientNumber},
    ReplacedField {"SN", 3, kInsurerNumber, AuditKind::InsurerNumber, Dummy::Fixed, Need::IfFilled},
    ReplacedField {"SN", 4, u"", AuditKind::InsuranceSymbol, Dummy::Fixed, Need::IfFilled},
    ReplacedField {"SN", 5, kInsuranceNumber, AuditKind::InsuranceNumber, Dummy::Fixed, Need::IfFilled},
    ReplacedField {"SN", 6, u"", AuditKind::InsuranceBranchNumber, Dummy::Fixed, Need::IfPresent},
    ReplacedField {"SN", 7, kRecipientNumber, AuditKind::PublicRecipientNumber, Dummy::Fixed, Need::IfFilled},
};

inline constexpr std::array kNotes = {
    DroppedRecord {"SJ", AuditKind::SymptomNote},
    DroppedRecord {"CO", AuditKind::Comment},
};

/// The first records of the other kinds of file, and of a returned-claims file (HI), which plok does not read.
inline constexpr std::array<std::string_view, 3> kNotMedical = {"UK", "YK", "HI"};

// ---------------------------------------------------------------------------------------------------------------------
// 医科 (medical), and DPC, whose files differ from it in the receipt record and in records of their own.

inline constexpr std::array kMedicalHeader = {
    ReplacedField {"IR", 4, kInstitutionCode, AuditKind::InstitutionCode},
    ReplacedField {"IR", 6, kClinicName, AuditKind::InstitutionName},
    ReplacedField {"IR", 9, kTelephone, AuditKind::Telephone},
};

/// The organ donor's institution, written where it is another one.
inline constexpr std::array kDonorInstitution = {
    ReplacedField {"TI", 5, kInstitutionCode, AuditKind::InstitutionCode, Dummy::Fixed, Need::IfFilled},
    ReplacedField {"TI", 7, kClinicName, AuditKind::InstitutionName, Dummy::Fixed, Need::IfFilled},
    ReplacedField {"TI", 8, kAddress, AuditKind::InstitutionAddress, Dummy::Fixed, Need::IfFilled},
    ReplacedField {"TI", 9, kTelephone, AuditKind::Telephone, Dummy::Fixed, Need::IfFilled},
};

inline constexpr std::array kMedicalChartNumbers = {
    ChartField {"RE", 13, Need::Always}, ChartField {"TR", 13, Need::IfPresent}, // the organ donor's
};

/// The comments' text (文字データ) of procedure, drug and material lines, beside their comment codes.
constexpr std::array<StrongField, 3> CommentTexts(std::string_view record)
{
    return {StrongField {record, 8, StrongFill::FreeText, kFreeComment},
        StrongField {record, 10, StrongFill::FreeText, kFreeComment},
        StrongField {record, 12, StrongFill::FreeText, kFreeComment}};
}

/// What the medical and the DPC strong anonymisation share: the receipt's and the organ donor's identifying numbers
/// and dates, the insurance reduction certificate, a disease beginning on the day of birth, and the free text of the
/// disease, procedure, drug and material lines.
inline constexpr auto kMedicalStrongCommon = Concat(
    std::array {
        StrongField {"RE", 6, StrongFill::MonthOfDate, {}, AuditKind::BirthDate},
        StrongField {"RE", 8, StrongFill::MonthOfDate, {}, AuditKind::AdmissionDate},
        StrongField {"RE", 13, StrongFill::Pseudonym, {}, AuditKind::ChartNumber},
        StrongField {"HO", 10, StrongFill::Fixed, u""}, // certificate number of a national insurance reduction
        StrongField {"SY", 2, StrongFill::MonthOfBirthDay}, // start date
        StrongField {"SY", 5, StrongFill::Fixed, kUncodedDiseaseName, std::nullopt, 1, kUncodedDisease},
        StrongField {"SY", 7, StrongFill::Fixed, u""}, // supplementary comment, free text
        StrongField {"TO", 10, StrongFill::FreeText, kDeviceName}, // product name and size
        StrongField {"TO", 12, StrongFill::FreeText, kFreeComment},
        StrongField {"TO", 14, StrongFill::FreeText, kFreeComment},
        StrongField {"TO", 16, StrongFill::FreeText, kFreeComment},
        StrongField {"TR", 6, StrongFill::MonthOfDate, {}, AuditKind::BirthDate},
        StrongField {"TR", 8, StrongFill::MonthOfDate, {}, AuditKind::AdmissionDate},
        StrongField {"TR", 13, StrongFill::Pseudonym, {}, AuditKind::ChartNumber},
    },
    CommentTexts("SI"), CommentTexts("IY"));

inline constexpr std::array kMedicalTextCommon = {
    FieldRef {"SY", 5},
    FieldRef {"SY", 7},
    FieldRef {"SI", 8},
    FieldRef {"SI", 10},
    FieldRef {"SI", 12},
    FieldRef {"IY", 8},
    FieldRef {"IY", 10},
    FieldRef {"IY", 12},
    FieldRef {"TO", 10},
    FieldRef {"TO", 12},
    FieldRef {"TO", 14},
    FieldRef {"TO", 16},
    FieldRef {"CO", 4},
    FieldRef {"SJ", 2},
};

inline constexpr std::array kMedicalDates = {
    FieldRef {"RE", 6},
    FieldRef {"RE", 8},
    FieldRef {"SY", 2},
    FieldRef {"TR", 6},
    FieldRef {"TR", 8},
};

inline constexpr std::array kMedicalStructure = {
    // billing month
    StructureFields {"IR", Bits({7}), kNoFrom},
    // receipt number, month, ward, chart number
    StructureFields {"RE", Bits({1, 3, 9, 13}), kNoFrom},
    StructureFields {"TR", Bits({1, 3, 9, 13}), kNoFrom},
    // days, points, amounts
    StructureFields {"HO", 0, 4},
    StructureFields {"KO", 0, 4},
    // visit days, counter classes
    StructureFields {"JD", 0, 1},
    StructureFields {"MF", 0, 1},
    // disease code, modifier codes
    StructureFields {"SY", Bits({1, 4}), kNoFrom},
    // master code, amount, points, count; one column per day
    StructureFields {"SI", Bits({3, 4, 5, 6}), 13},
    StructureFields {"IY", Bits({3, 4, 5, 6}), 13},
    StructureFields {"TO", Bits({3, 4, 5, 6}), 13},
    // comment code
    StructureFields {"CO", Bits({3}), kNoFrom},
    // totals
    StructureFields {"TS", 0, 1},
    StructureFields {"GO", 0, 1},
};

inline constexpr std::array<std::string_view, 8> kDpcRecords = {"BU", "SB", "KK", "SK", "GA", "HH", "GT", "CD"};

inline constexpr auto kMedicalReplaced = Concat(kMedicalHeader,
    std::array {
        ReplacedField {"RE", 4, u"テスト", AuditKind::PatientName, Dummy::PatientName},
        ReplacedField {"RE", 36, u"", AuditKind::PatientKanaName, Dummy::Fixed, Need::IfPresent},
    },
    kInsurance, kDonorInstitution);

inline constexpr auto kMedicalStrong = Concat(kMedicalStrongCommon,
    std::array {
        StrongField {"RE", 18, StrongFill::Fixed, u""}, // search number the payer gives the receipt
        StrongField {"RE", 20, StrongFill::Fixed, u""}, // billing information
    });

inline constexpr auto kMedicalText = Concat(std::array {FieldRef {"RE", 20}}, kMedicalTextCommon);

inline constexpr auto kDpcReplaced = Concat(kMedicalHeader,
    std::array {
        ReplacedField {"RE", 4, u"テスト", AuditKind::PatientName, Dummy::PatientName},
        ReplacedField {"RE", 28, u"", AuditKind::PatientKanaName, Dummy::Fixed, Need::IfPresent},
    },
    kInsurance, kDonorInstitution);

inline constexpr auto kDpcStrong = Concat(kMedicalStrongCommon,
    std::array {
        StrongField {"RE", 20, StrongFill::Fixed, u""}, // search number
        StrongField {"RE", 22, StrongFill::Fixed, u""}, // billing information
        StrongField {"SB", 3, StrongFill::Fixed, kUncodedDiseaseName, std::nullopt, 1, kUncodedDisease},
        StrongField {"SB", 7, StrongFill::Fixed, u""}, // supplementary comment
        // The stay's admission and discharge days, the first of which the receipt record holds too.
        StrongField {"BU", 2, StrongFill::MonthOfDate}, StrongField {"BU", 3, StrongFill::MonthOfDate},
        StrongField {"BU", 5, StrongFill::FreeText, kFreeComment}, // cause of death
        StrongField {"KK", 11, StrongFill::FreeText, kFreeComment}, // severity
        StrongField {"SK", 6, StrongFill::FreeText, kFreeComment}, // name of the procedure
        StrongField {"GT", 11, StrongFill::FreeText, kFreeComment}, // the insurer change's text
        StrongField {"CD", 10, StrongFill::FreeText, kDeviceName}, // name of an uncoded material
    });

inline constexpr auto kDpcText = Concat(
    std::array {
        FieldRef {"RE", 22},
        FieldRef {"BU", 5}, // cause of death
        FieldRef {"SB", 3},
        FieldRef {"SB", 7},
        FieldRef {"KK", 11},
        FieldRef {"SK", 2},
        FieldRef {"SK", 6},
        FieldRef {"GT", 11},
        FieldRef {"CD", 10},
    },
    kMedicalTextCommon);

inline constexpr auto kDpcDates = Concat(kMedicalDates,
    std::array {
        FieldRef {"BU", 2},
        FieldRef {"BU", 3},
        FieldRef {"KK", 4},
        FieldRef {"SK", 3},
        FieldRef {"GT", 10},
        FieldRef {"CD", 1},
    });

inline constexpr auto kDpcStructure = Concat(kMedicalStructure,
    std::array {
        StructureFields {"BU", Bits({1, 4}), kNoFrom},
        StructureFields {"SB", Bits({1, 2, 4, 5, 6}), kNoFrom},
        StructureFields {"KK", Bits({1, 2, 3, 5, 6, 7, 8, 9, 10, 12, 13}), kNoFrom},
        StructureFields {"SK", Bits({1, 4, 5}), kNoFrom},
        StructureFields {"GA", 0, 1},
        StructureFields {"HH", 0, 1},
        StructureFields {"GT", Bits({1, 2, 3, 4, 5, 6, 7, 8, 9}), kNoFrom},
        StructureFields {"CD", Bits({2, 3, 4, 5, 6, 7, 8, 9}), kNoFrom},
    });

// ---------------------------------------------------------------------------------------------------------------------
// 歯科 (dental): the header UK holds the clinic's name; each receipt begins with an IR of its own.

inline constexpr std::array kDentalChartNumbers = {ChartField {"RE", 15, Need::Always}};

inline constexpr auto kDentalReplaced = Concat(
    std::array {
        ReplacedField {"UK", 4, kInstitutionCode, AuditKind::InstitutionCode, Dummy::Fixed, Need::IfPresent},
        ReplacedField {"UK", 6, kClinicName, AuditKind::InstitutionName, Dummy::Fixed, Need::IfPresent},
        ReplacedField {"IR", 4, kInstitutionCode, AuditKind::InstitutionCode, Dummy::Fixed, Need::IfPresent},
        ReplacedField {"IR", 7, kTelephone, AuditKind::Telephone, Dummy::Fixed, Need::IfPresent},
        ReplacedField {"RE", 4, u"テスト", AuditKind::PatientName, Dummy::PatientName},
        ReplacedField {"RE", 25, u"", AuditKind::PatientKanaName, Dummy::Fixed, Need::IfPresent},
    },
    kInsurance);

inline constexpr std::array kDentalStrong = {
    StrongField {"RE", 6, StrongFill::MonthOfDate, {}, AuditKind::BirthDate},
    StrongField {"RE", 8, StrongFill::MonthOfDate, {}, AuditKind::AdmissionDate},
    StrongField {"RE", 9, StrongFill::MonthOfBirthDay}, // start of an outpatient's care
    StrongField {"RE", 15, StrongFill::Pseudonym, {}, AuditKind::ChartNumber},
    StrongField {"RE", 19, StrongFill::Fixed, u""}, // search number
    StrongField {"RE", 21, StrongFill::Fixed, u""}, // billing information
    StrongField {"HO", 9, StrongFill::Fixed, u""}, // certificate number
    StrongField {"HS", 1, StrongFill::MonthOfBirthDay}, // start date of an inpatient's disease
    StrongField {"HS", 6, StrongFill::Fixed, kUncodedDiseaseName, std::nullopt, 4, kUncodedDisease},
    StrongField {"HS", 11, StrongFill::Fixed, u""}, // supplementary comment
    StrongField {"TO", 11, StrongFill::FreeText, kDeviceName}, // product name and size
};

inline constexpr std::array kDentalText = {
    FieldRef {"RE", 21},
    FieldRef {"HS", 6},
    FieldRef {"HS", 11},
    FieldRef {"TO", 11},
    FieldRef {"CO", 4},
    FieldRef {"SJ", 2},
};

inline constexpr std::array kDentalDates = {
    FieldRef {"RE", 6},
    FieldRef {"RE", 8},
    FieldRef {"RE", 9},
    FieldRef {"HS", 1},
};

inline constexpr std::array kDentalStructure = {
    // billing months
    StructureFields {"UK", Bits({7}), kNoFrom},
    StructureFields {"IR", Bits({6}), kNoFrom},
    StructureFields {"RE", Bits({1, 3, 11, 15}), kNoFrom},
    StructureFields {"HO", 0, 4},
    StructureFields {"KO", 0, 4},
    StructureFields {"JD", 0, 1},
    StructureFields {"MF", 0, 1},
    // tooth codes, disease and modifier codes, comment code
    StructureFields {"HS", Bits({3, 4, 5, 10, 12}), kNoFrom},
    StructureFields {"SS", 0, 3},
    StructureFields {"SI", Bits({3, 4, 5, 6}), 7},
    StructureFields {"IY", Bits({3, 4, 5, 6, 7}), 8},
    StructureFields {"TO", Bits({3, 4, 5, 6, 7, 8, 9, 10, 12, 13}), 14},
    StructureFields {"CO", Bits({3, 5}), kNoFrom},
    StructureFields {"GO", 0, 1},
};

inline constexpr std::array<std::string_view, 2> kNotDental = {"YK", "HI"};

// ---------------------------------------------------------------------------------------------------------------------
// 調剤 (pharmacy): the receipt record also names the prescribing institution and its doctors.

inline constexpr std::array kPharmacyChartNumbers = {ChartField {"RE", 35, Need::Always}}; // 調剤録番号

constexpr std::array<ReplacedField, 20> PrescribingDoctors()
{
    std::array<ReplacedField, 20> doctors {};
    for (std::size_t i = 0; i < doctors.size(); ++i)
        doctors[i] = {"RE", 14 + i, u"テスト医師", AuditKind::DoctorName, Dummy::Fixed, Need::IfFilled};
    return doctors;
}

inline constexpr auto kPharmacyReplaced = Concat(
    std::array {
        ReplacedField {"YK", 4, kInstitutionCode, AuditKind::InstitutionCode, Dummy::Fixed, Need::IfPresent},
        ReplacedField {"YK", 5, u"ORVA薬局", AuditKind::InstitutionName, Dummy::Fixed, Need::IfPresent},
        ReplacedField {"YK", 8, kTelephone, AuditKind::Telephone, Dummy::Fixed, Need::IfPresent},
        ReplacedField {"RE", 4, u"テスト", AuditKind::PatientName, Dummy::PatientName},
        ReplacedField {"RE", 11, kInstitutionCode, AuditKind::InstitutionCode, Dummy::Fixed, Need::IfFilled},
        ReplacedField {"RE", 12, kClinicName, AuditKind::InstitutionName, Dummy::Fixed, Need::IfFilled},
        ReplacedField {"RE", 13, kAddress, AuditKind::InstitutionAddress, Dummy::Fixed, Need::IfFilled},
    },
    PrescribingDoctors(),
    std::array {
        ReplacedField {"RE", 34, u"12345", AuditKind::LicenceNumber, Dummy::Fixed, Need::IfFilled},
        ReplacedField {"RE", 41, u"", AuditKind::PatientKanaName, Dummy::Fixed, Need::IfPresent},
    },
    kInsurance);

inline constexpr std::array kPharmacyDropped = {
    DroppedRecord {"CO", AuditKind::Comment}, DroppedRecord {"TK", AuditKind::Comment}, // the remarks column's text
};

inline constexpr std::array kPharmacyStrong = {
    StrongField {"RE", 6, StrongFill::MonthOfDate, {}, AuditKind::BirthDate},
    StrongField {"RE", 35, StrongFill::Pseudonym, {}, AuditKind::ChartNumber},
    StrongField {"RE", 37, StrongFill::Fixed, u""}, // search number
    StrongField {"RE", 39, StrongFill::Fixed, u""}, // billing information
    StrongField {"HO", 8, StrongFill::Fixed, u""}, // certificate number
    StrongField {"SH", 4, StrongFill::FreeText, kFreeComment}, // special instructions
    StrongField {"TO", 6, StrongFill::FreeText, kDeviceName}, // name of a device
};

inline constexpr std::array kPharmacyText = {
    FieldRef {"RE", 39},
    FieldRef {"SH", 4}, // special instructions
    FieldRef {"TO", 6}, // name of a device
    FieldRef {"CO", 2},
    FieldRef {"TK", 2},
};

inline constexpr std::array kPharmacyDates = {
    FieldRef {"RE", 6},
    FieldRef {"CZ", 2},
    FieldRef {"CZ", 3},
    FieldRef {"KI", 1},
    FieldRef {"KI", 67},
    FieldRef {"ST", 2},
    FieldRef {"ST", 3},
};

inline constexpr std::array kPharmacyStructure = {
    StructureFields {"YK", Bits({6}), kNoFrom},
    // receipt number, month, the prescribing institution's prefecture and table, record number
    StructureFields {"RE", Bits({1, 3, 9, 10, 35}), kNoFrom},
    StructureFields {"HO", 0, 4},
    StructureFields {"KO", 0, 4},
    StructureFields {"JD", 0, 1},
    StructureFields {"MF", 0, 1},
    StructureFields {"SH", Bits({1, 2, 3}), 5},
    StructureFields {"CZ", 0, 1},
    StructureFields {"IY", 0, 1},
    StructureFields {"TO", Bits({1, 2, 3, 4, 5}), kNoFrom},
    StructureFields {"KI", 0, 1},
    StructureFields {"ST", 0, 1},
    StructureFields {"CO", Bits({1}), kNoFrom},
    StructureFields {"TK", Bits({1}), kNoFrom},
    StructureFields {"GO", 0, 1},
};

inline constexpr std::array<std::string_view, 3> kNotPharmacy = {"IR", "UK", "HI"};

} // namespace detail

inline constexpr ClaimsLayout kMedicalLayout = {
    ClaimsKind::Medical,
    u"医科",
    "IR",
    1,
    7,
    "RE",
    "RE",
    1,
    38,
    detail::kMedicalChartNumbers,
    detail::kMedicalReplaced,
    detail::kNotes,
    detail::kMedicalStrong,
    detail::kMedicalText,
    detail::kMedicalDates,
    detail::kMedicalStructure,
    {},
    detail::kNotMedical,
    u".UKE",
    u"RECEIPTC.uke",
};

inline constexpr ClaimsLayout kDpcLayout = {
    ClaimsKind::Dpc,
    u"DPC",
    "IR",
    1,
    7,
    "RE",
    "RE",
    1,
    30,
    detail::kMedicalChartNumbers,
    detail::kDpcReplaced,
    detail::kNotes,
    detail::kDpcStrong,
    detail::kDpcText,
    detail::kDpcDates,
    detail::kDpcStructure,
    detail::kDpcRecords,
    detail::kNotMedical,
    u".UKE",
    u"RECEIPTD.uke",
};

inline constexpr ClaimsLayout kDentalLayout = {
    ClaimsKind::Dental,
    u"歯科",
    "UK",
    1,
    7,
    "IR",
    "RE",
    1,
    27,
    detail::kDentalChartNumbers,
    detail::kDentalReplaced,
    detail::kNotes,
    detail::kDentalStrong,
    detail::kDentalText,
    detail::kDentalDates,
    detail::kDentalStructure,
    {},
    detail::kNotDental,
    u".UKE",
    u"RECEIPTS.uke",
};

inline constexpr ClaimsLayout kPharmacyLayout = {
    ClaimsKind::Pharmacy,
    u"調剤",
    "YK",
    1,
    6,
    "RE",
    "RE",
    1,
    42,
    detail::kPharmacyChartNumbers,
    detail::kPharmacyReplaced,
    detail::kPharmacyDropped,
    detail::kPharmacyStrong,
    detail::kPharmacyText,
    detail::kPharmacyDates,
    detail::kPharmacyStructure,
    {},
    detail::kNotPharmacy,
    u".CYO",
    u"RECEIPTY.cyo",
};

/// Every layout plok reads.
inline constexpr const ClaimsLayout* kLayouts[] = {&kMedicalLayout, &kDpcLayout, &kDentalLayout, &kPharmacyLayout};

} // namespace plok::claims
