#pragma once

#include <string>

namespace plok::test {

/// The parts appended in order. Tests build expected texts with this rather than `"literal" + std::string(...)`,
/// which GCC 12 at -O3 flags with a false -Wrestrict warning.
template<class Char = char, class... Parts>
std::basic_string<Char> Concat(const Parts&... parts)
{
    std::basic_string<Char> s;
    ((s += parts), ...);
    return s;
}

} // namespace plok::test
