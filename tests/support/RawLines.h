#pragma once

#include "core/LineReader.h"

#include <filesystem>
#include <string>
#include <vector>

namespace plok::test {

/// Every line of the file `p` as the line reader gives it: raw bytes, without the line ends. Throws IoError.
inline std::vector<std::string> RawLines(const std::filesystem::path& p)
{
    LineReader reader(p);
    std::vector<std::string> lines;
    std::string line;
    while (reader.Next(line))
        lines.push_back(line);
    return lines;
}

} // namespace plok::test
