#include "claims/ClaimsFile.h"

#include "core/Cp932.h"
#include "core/TextFile.h"

namespace plok::claims {

std::optional<Line> ReadPayerLine(const std::filesystem::path& path)
{
    return ReadFirstLine(path, kFirstLineBytes);
}

bool NamesPayer(const std::optional<Line>& line, char16_t digit)
{
    return line && line->size() > 3 && (*line)[3] == digit;
}

bool IsClaimsFirstLine(std::string_view rawLine)
{
    // Four characters take at most eight bytes.
    std::u16string text;
    cp932::DecodeAppend(rawLine.substr(0, 8), text);
    return NamesPayer(text, u'1') || NamesPayer(text, u'2');
}

} // namespace plok::claims
