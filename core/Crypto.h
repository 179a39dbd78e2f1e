#pragma once

#include "core/Errors.h"
#include "core/File.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>

/// Cryptography, taken from the system's libraries: Nettle and getrandom on Linux, CNG (bcrypt) on Windows
/// (core/posix/, core/win32/). Only modes of operation over the library's block cipher are written here (FF1,
/// core/Ff1.h), never a primitive. Also the key file, which is created and read only here.
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

/// The AES block cipher (FIPS 197) under one key of 16, 24 or 32 bytes, its key schedule made once. Encryption only:
/// the mode built on it (FF1, whose round function is a CBC-MAC) never decrypts a block.
class Aes
{
public:
    static constexpr std::size_t kBlockSize = 16;
    using Block = std::array<std::uint8_t, kBlockSize>;

    /// Throws Error when the key has another size or the library cannot take it.
    explicit Aes(std::span<const std::uint8_t> key);
    ~Aes();
    Aes(Aes&&) noexcept;
    Aes& operator=(Aes&&) noexcept;

    /// The encryption of one block. Throws Error when the library fails.
    Block Encrypt(const Block& in) const;

private:
    struct State;
    std::unique_ptr<State> m_state;
};

/// Fills `out` with bytes from the system's random source. Throws Error when the system gives none.
void RandomBytes(std::span<std::uint8_t> out);

inline constexpr std::size_t kKeySize = 32;
using Key = std::array<std::uint8_t, kKeySize>;

/// The key in `file`, which must be a file (not a folder, a pipe or a device, which are refused before they are
/// opened, and opened so that nothing can make the program wait) holding exactly kKeySize bytes. Throws FileError when
/// it is missing, no file, cannot be read or has another size.
Key ReadKeyFile(const std::filesystem::path& file);

/// Who besides the user may reach a key file, on systems with permission bits (POSIX). On Windows always nothing:
/// there the key's folder is made with an access list for the user alone.
struct KeyExposure
{
    unsigned fileMode = 0; // the key file's permission bits, when the group or others have any of them; else 0
    std::filesystem::path folder; // the key's folder, absolute, when the group or others may enter it; else empty
    unsigned folderMode = 0;

    bool Any() const { return fileMode != 0 || !folder.empty(); }
};

KeyExposure ExposureOf(const std::filesystem::path& file);

/// The key in `file`; when there is no such file, a new key of kKeySize random bytes, written there first: readable
/// by the user alone (0600 on POSIX systems; on Windows the file takes the permissions of its folder), on the disk
/// before it is used, and never over a key that another program wrote meanwhile (that key is used instead). The
/// folder must exist. Throws FileError as ReadKeyFile, or when the file cannot be created.
Key ReadOrCreateKeyFile(const std::filesystem::path& file);

namespace detail {

/// Writes `key` as `file` unless a file of that name exists: complete and on the disk before it has its name, never
/// over another file. False when a file was there. Throws FileError when it cannot be written.
bool CreateKeyFileOnce(const std::filesystem::path& file, const Key& key);
/// `file` opened for reading when it is a file, checked before and after opening; refused with FileError otherwise.
FileHandle OpenKeyFile(const std::filesystem::path& file);
enum class NotAFile
{
    Missing,
    Folder,
    Pipe,
    Device,
    Other,
};
FileError NotAKeyFile(const std::filesystem::path& file, NotAFile what);
FileError UnreadableKeyFile(const std::filesystem::path& file, const std::string& reason);
[[noreturn]] void LibraryFailed(const char* what);
void CheckAesKeySize(std::size_t size);
std::string CannotCreateKeyText(int errnum);

} // namespace detail

} // namespace plok::crypto
