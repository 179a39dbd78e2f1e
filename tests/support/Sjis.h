#pragma once

#include "core/Cp932.h"

#include <initializer_list>
#include <string>
#include <string_view>

namespace plok::test {

/// Code page 932 bytes of lines given as text, each ended by CR LF.
template<class Lines>
std::string Sjis(const Lines& lines)
{
    std::string out;
    for (const auto& line : lines)
        out += cp932::Encode(line) + "\r\n";
    return out;
}

inline std::string Sjis(std::initializer_list<std::u16string_view> lines)
{
    return Sjis<std::initializer_list<std::u16string_view>>(lines);
}

} // namespace plok::test
