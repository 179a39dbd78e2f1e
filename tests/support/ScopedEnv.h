#pragma once

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plok::test {

/// Sets or unsets environment variables for the lifetime of the object, then puts the previous values back.
class ScopedEnv
{
public:
    /// `values`: name and value; no value unsets the variable.
    explicit ScopedEnv(const std::vector<std::pair<std::string, std::optional<std::string>>>& values)
    {
        for (const auto& [name, value] : values) {
            const char* old = std::getenv(name.c_str());
            m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            Set(name, value);
        }
    }
    ~ScopedEnv()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it)
            Set(it->first, it->second);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    static void Set(const std::string& name, const std::optional<std::string>& value)
    {
        if (value)
            setenv(name.c_str(), value->c_str(), 1);
        else
            unsetenv(name.c_str());
    }

    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

} // namespace plok::test
