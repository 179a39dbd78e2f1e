#pragma once

#include <string>

/// Unicode case mappings from generated tables (core/tables/CaseTable.inc), the same on every system.
namespace plok::casemap {

/// The simple upper-case mapping of `c` (`c` itself when it has none).
char32_t ToUpper(char32_t c);
/// The simple lower-case mapping of `c`.
char32_t ToLower(char32_t c);
/// Appends the full case folding of `c` (default options: "ß" gives "ss", "İ" gives "i̇") to `out`.
void AppendFolded(char32_t c, std::u16string& out);

} // namespace plok::casemap
