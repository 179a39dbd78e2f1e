#include "core/Crypto.h"
#include "core/win32/Win32.h"

// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>

namespace plok::crypto {

struct HmacSha256::State
{
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_HASH_HANDLE hash = nullptr;
    // Where the system has no reusable hash objects, a new one for every message, from the key kept here.
    bool reusable = true;
    std::basic_string<UCHAR> key;

    ~State()
    {
        if (hash)
            ::BCryptDestroyHash(hash);
        if (algorithm)
            ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }

    BCRYPT_HASH_HANDLE Create(ULONG flags)
    {
        BCRYPT_HASH_HANDLE h = nullptr;
        const NTSTATUS status = ::BCryptCreateHash(
            algorithm, &h, nullptr, 0, key.empty() ? nullptr : key.data(), static_cast<ULONG>(key.size()), flags);
        return BCRYPT_SUCCESS(status) ? h : nullptr;
    }
};

HmacSha256::HmacSha256(std::span<const std::uint8_t> key)
    : m_state(std::make_unique<State>())
{
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(
            &m_state->algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, BCRYPT_ALG_HANDLE_HMAC_FLAG)))
        detail::LibraryFailed("BCryptOpenAlgorithmProvider");
    m_state->key.assign(key.begin(), key.end());
    m_state->hash = m_state->Create(BCRYPT_HASH_REUSABLE_FLAG);
    if (!m_state->hash) {
        m_state->reusable = false;
        BCRYPT_HASH_HANDLE probe = m_state->Create(0);
        if (!probe)
            detail::LibraryFailed("BCryptCreateHash");
        ::BCryptDestroyHash(probe);
    }
}

HmacSha256::~HmacSha256() = default;
HmacSha256::HmacSha256(HmacSha256&&) noexcept = default;
HmacSha256& HmacSha256::operator=(HmacSha256&&) noexcept = default;

Mac HmacSha256::Of(std::initializer_list<std::string_view> parts)
{
    BCRYPT_HASH_HANDLE hash = m_state->reusable ? m_state->hash : m_state->Create(0);
    if (!hash)
        detail::LibraryFailed("BCryptCreateHash");
    Mac mac {};
    bool ok = true;
    for (const std::string_view part : parts)
        ok = ok
            && BCRYPT_SUCCESS(::BCryptHashData(
                hash, reinterpret_cast<PUCHAR>(const_cast<char*>(part.data())), static_cast<ULONG>(part.size()), 0));
    ok = ok && BCRYPT_SUCCESS(::BCryptFinishHash(hash, mac.data(), static_cast<ULONG>(mac.size()), 0));
    if (!m_state->reusable)
        ::BCryptDestroyHash(hash);
    if (!ok)
        detail::LibraryFailed("BCryptHashData");
    return mac;
}

struct Aes::State
{
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    BCRYPT_KEY_HANDLE key = nullptr;

    ~State()
    {
        if (key)
            ::BCryptDestroyKey(key);
        if (algorithm)
            ::BCryptCloseAlgorithmProvider(algorithm, 0);
    }
};

Aes::Aes(std::span<const std::uint8_t> key)
    : m_state(std::make_unique<State>())
{
    detail::CheckAesKeySize(key.size());
    if (!BCRYPT_SUCCESS(::BCryptOpenAlgorithmProvider(&m_state->algorithm, BCRYPT_AES_ALGORITHM, nullptr, 0)))
        detail::LibraryFailed("BCryptOpenAlgorithmProvider");
    // One block at a time, each on its own: the modes over it chain the blocks themselves.
    if (!BCRYPT_SUCCESS(::BCryptSetProperty(m_state->algorithm, BCRYPT_CHAINING_MODE,
            reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_ECB)), sizeof(BCRYPT_CHAIN_MODE_ECB), 0)))
        detail::LibraryFailed("BCryptSetProperty");
    if (!BCRYPT_SUCCESS(::BCryptGenerateSymmetricKey(m_state->algorithm, &m_state->key, nullptr, 0,
            const_cast<PUCHAR>(key.data()), static_cast<ULONG>(key.size()), 0)))
        detail::LibraryFailed("BCryptGenerateSymmetricKey");
}

Aes::~Aes() = default;
Aes::Aes(Aes&&) noexcept = default;
Aes& Aes::operator=(Aes&&) noexcept = default;

Aes::Block Aes::Encrypt(const Block& in) const
{
    Block source = in;
    Block out {};
    ULONG written = 0;
    if (!BCRYPT_SUCCESS(::BCryptEncrypt(m_state->key, source.data(), static_cast<ULONG>(source.size()), nullptr,
            nullptr, 0, out.data(), static_cast<ULONG>(out.size()), &written, 0))
        || written != out.size())
        detail::LibraryFailed("BCryptEncrypt");
    return out;
}

void RandomBytes(std::span<std::uint8_t> out)
{
    if (!BCRYPT_SUCCESS(
            ::BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(out.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        throw Error("乱数を得られません。");
}

FileHandle detail::OpenKeyFile(const std::filesystem::path& file)
{
    const DWORD attributes = ::GetFileAttributesW(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            throw NotAKeyFile(file, NotAFile::Missing);
    } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
        throw NotAKeyFile(file, NotAFile::Folder);
    }
    FileHandle handle;
    try {
        handle = FileHandle::OpenForReading(file);
    } catch (const IoError& e) {
        throw UnreadableKeyFile(file, e.what());
    }
    // A device (NUL, CON, COM1) or a pipe opens like a file and is refused before anything is read from it.
    switch (::GetFileType(reinterpret_cast<HANDLE>(handle.native()))) {
    case FILE_TYPE_DISK:
        return handle;
    case FILE_TYPE_PIPE:
        throw NotAKeyFile(file, NotAFile::Pipe);
    case FILE_TYPE_CHAR:
        throw NotAKeyFile(file, NotAFile::Device);
    default:
        throw NotAKeyFile(file, NotAFile::Other);
    }
}

KeyExposure ExposureOf(const std::filesystem::path&)
{
    return {};
}

bool detail::CreateKeyFileOnce(const std::filesystem::path& file, const Key& key)
{
    std::array<std::uint8_t, 8> tag {};
    RandomBytes(tag);
    std::wstring name = L".plok-key-";
    for (const std::uint8_t b : tag) {
        name += L"0123456789abcdef"[b >> 4];
        name += L"0123456789abcdef"[b & 15];
    }
    const std::filesystem::path temp = file.parent_path() / (name + L".tmp");
    const HANDLE h = ::CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw FileError(file, detail::CannotCreateKeyText(static_cast<int>(::GetLastError())));
    DWORD written = 0;
    const bool ok = ::WriteFile(h, key.data(), static_cast<DWORD>(key.size()), &written, nullptr)
        && written == key.size() && ::FlushFileBuffers(h);
    const DWORD writeError = ok ? 0 : ::GetLastError();
    ::CloseHandle(h);
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        throw FileError(file, detail::CannotCreateKeyText(static_cast<int>(writeError)));
    }
    // Without MOVEFILE_REPLACE_EXISTING the move fails where a key stands already.
    if (::MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD error = ::GetLastError();
    ::DeleteFileW(temp.c_str());
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return false;
    throw FileError(file, detail::CannotCreateKeyText(static_cast<int>(error)));
}

} // namespace plok::crypto
