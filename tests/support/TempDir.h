#pragma once

#include "core/FileNames.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>

namespace plok::test {

/// A fresh folder under the system temp folder, removed with everything in it when the object goes.
class TempDir
{
public:
    TempDir()
    {
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        auto salt = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
        salt ^= reinterpret_cast<std::uintptr_t>(this);
        for (int attempt = 0; attempt < 100; ++attempt) {
            salt = salt * 6364136223846793005ull + 1442695040888963407ull;
            const std::filesystem::path candidate = base / ("plok-test-" + std::to_string(salt >> 40));
            // create_directory is false when the folder was there already: someone else's.
            if (std::filesystem::create_directory(candidate)) {
                m_path = candidate;
                return;
            }
        }
        throw std::runtime_error("no temporary folder");
    }
    ~TempDir()
    {
        std::error_code ec;
        std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
        std::filesystem::remove_all(m_path, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::filesystem::path& p) const { return m_path / p; }

private:
    std::filesystem::path m_path;
};

inline void WriteBytes(const std::filesystem::path& p, std::string_view bytes)
{
    std::ofstream f(p, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!f)
        throw std::runtime_error("cannot write " + PathUtf8(p));
}

inline std::string ReadBytes(const std::filesystem::path& p)
{
    std::ifstream f(p, std::ios::binary);
    if (!f)
        throw std::runtime_error("cannot read " + PathUtf8(p));
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

/// Makes `link` a symbolic link to `target`; false where the system makes none (Windows without privileges).
inline bool MakeLink(const std::filesystem::path& target, const std::filesystem::path& link)
{
    std::error_code ec;
    std::filesystem::create_symlink(target, link, ec);
    return !ec;
}

/// The number of entries in `dir` (files and folders, not recursing).
inline std::size_t FileCount(const std::filesystem::path& dir)
{
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

} // namespace plok::test
