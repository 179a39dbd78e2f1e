#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace plok::test {

/// The fields of a line cut at every comma, as its bytes (or characters) stand: double quotes stay in them.
template<class CharT>
std::vector<std::basic_string<CharT>> CutAtCommas(std::basic_string_view<CharT> line)
{
    std::vector<std::basic_string<CharT>> fields(1);
    for (const CharT c : line) {
        if (c == CharT(','))
            fields.emplace_back();
        else
            fields.back() += c;
    }
    return fields;
}

} // namespace plok::test
