#pragma once

#include "core/IniFile.h"
#include "core/Text.h"

#include <filesystem>
#include <string>
#include <string_view>

/// The program's settings: the keys of section PARAM of user.ini. Every read and write goes to the file (nothing is
/// cached), so a window opened later sees what an earlier one wrote.
namespace plok::settings {

inline constexpr char16_t kSection[] = u"PARAM";

/// The removal mode of the main window's combo box, as a decimal item index ("-1" for none).
inline constexpr char16_t kRemovalMode[] = u"CB1";
/// The save folder of the result dialog; blank for the Downloads folder.
inline constexpr char16_t kSaveFolder[] = u"SAVEFDR";
/// "1" (trimmed): deliver into a subfolder named after the institution. Set by hand.
inline constexpr char16_t kInstitutionSubfolder[] = u"SVCHG";
/// The folder picked with the replacement window's hidden folder button. Nothing reads it.
inline constexpr char16_t kBackupFolder[] = u"BACKUP";
/// The folder of the file last confirmed in an open-file dialog: where the next one starts, also after a restart.
inline constexpr char16_t kLastFolder[] = u"LASTDIR";
/// "1" (trimmed): the main window's anonymisation is the strong one (chart numbers as pseudonyms, dates kept to their
/// month...). Set with the option window's check box; anything else is the default anonymisation.
inline constexpr char16_t kStrongAnonymization[] = u"STRONGANON";

/// The value of `key` in section PARAM, or `def`. Throws IoError only when an existing file cannot be read.
inline std::u16string Read(const std::filesystem::path& settingsFile, std::u16string_view key, std::u16string_view def)
{
    return IFReadIniStr(settingsFile, kSection, key, def);
}

/// True when `key` in section PARAM holds "1", trimmed. Throws IoError only when an existing file cannot be read.
inline bool ReadFlag(const std::filesystem::path& settingsFile, std::u16string_view key)
{
    return TrimView(std::u16string_view(Read(settingsFile, key, u""))) == u"1";
}

/// Sets `key` in section PARAM. Throws IoError.
inline void Write(const std::filesystem::path& settingsFile, std::u16string_view key, std::u16string_view value)
{
    IFWriteIniStr(settingsFile, kSection, key, value);
}

} // namespace plok::settings
