#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

namespace plok::claims {

/// How many receipts of a copy a reader can single out by what the copy still tells of the patient: a receipt whose
/// combination no other receipt of the copy has points to one person for anyone who knows that person's birth month
/// and sex (and illnesses).
struct Uniqueness
{
    std::size_t receipts = 0;
    std::size_t byBirthMonthAndSex = 0; // receipts alone with their birth month and sex
    std::size_t withDiagnoses = 0; // alone with their birth month, sex and set of diagnosis codes
    bool hasDiagnoses = false; // the kind of file carries diagnosis codes (a pharmacy's does not)
};

/// Counts the receipts of the claims file `copy` (read by the layout of its kind) that are unique on (birth month,
/// sex) and on (birth month, sex, set of diagnosis codes). One pass; memory of 16 bytes per receipt. Throws FileError
/// naming the file when it is missing, cannot be read or is of no kind plok reads.
Uniqueness MeasureUniqueness(const std::filesystem::path& copy);

/// The figures in plain words, as counts and shares of the receipts.
std::u16string UniquenessText(const Uniqueness& u);

} // namespace plok::claims
