#pragma once

#include <string>
#include <string_view>

namespace plok {

/// Sets `out` to `s` with full Unicode case folding (default options), so that two texts that differ only in letter
/// case fold alike: "ＡＢ" and "ａｂ", "Straße" and "STRASSE". ASCII takes a fast path. The tables are
/// those of core/CaseMap.h. Never throws.
void FoldCase(std::u16string_view s, std::u16string& out);

inline std::u16string FoldCase(std::u16string_view s)
{
    std::u16string out;
    FoldCase(s, out);
    return out;
}

} // namespace plok
