#pragma once

#include "core/Errors.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

/// Cryptography, taken from the system's libraries and never written here: Nettle and getrandom on
/// Linux, CNG (bcrypt) on Windows (core/posix/, core/win32/). Also the key file, which is created and read only here.
namespace plok::crypto {

inline constexpr std::size_t kMacSize = 32;
using Mac = std::array<std::uint8_t, kMacSize>;

/// HMAC-SHA-256 (RFC 2104, FIPS 180-4) under one key, prepared once for many messages.
class HmacSha256
{
public:
    /// Throws Error when the library cannot set the key up.
    explicit HmacSha256(std::span<const std::uint8_t> key);
    ~HmacSha256();
    HmacSha256(HmacSha256&&) noexcept;
    HmacSha256& operator=(HmacSha256&&) noexcept;

    /// The MAC of the concatenation of `parts`. Throws Error when the library fails.
    Mac Of(std::initializer_list<std::string_view> parts);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

/// Fills `out` with bytes from the system's random source. Throws Error when the system gives none.
void RandomBytes(std::span<std::uint8_t> out);

inline constexpr std::size_t kKeySize = 32;
using Key = std::array<std::uint8_t, kKeySize>;

/// The key in `file`, which must hold exactly kKeySize bytes. Throws FileError when it is missing, cannot be read
/// or has another size.
Key ReadKeyFile(const std::filesystem::path& file);

/// The key in `file`; when there is no such file, a new key of kKeySize random bytes, written there first: readable
/// by the user alone (0600 on POSIX systems; on Windows the file takes the permissions of its folder), on the disk
/// before it is used, and never over a key that another program wrote meanwhile (that key is used instead). The
/// folder must exist. Throws FileError as ReadKeyFile, or when the file cannot be created.
Key ReadOrCreateKeyFile(const std::filesystem::path& file);

namespace detail {

/// Writes `key` as `file` unless a file of that name exists: complete and on the disk before it has its name, never
/// over another file. False when a file was there. Throws FileError when it cannot be written.
bool CreateKeyFileOnce(const std::filesystem::path& file, const Key& key);
[[noreturn]] void LibraryFailed(const char* what);
std::string CannotCreateKeyText(int errnum);

} // namespace detail

} // namespace plok::crypto
