#pragma once

#include "support/Process.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plok::test {

/// Sets or unsets environment variables for the lifetime of the object, then puts the previous values back.
class ScopedEnv
{
public:
    /// `values`: name and value (UTF-8); no value unsets the variable.
    explicit ScopedEnv(const std::vector<std::pair<std::string, std::optional<std::string>>>& values)
    {
        for (const auto& [name, value] : values) {
            m_saved.emplace_back(name, GetEnvironment(name));
            SetEnvironment(name, value);
        }
    }
    ~ScopedEnv()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
            SetEnvironment(it->first, it->second);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace plok::test
