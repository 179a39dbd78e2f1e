#include "core/Crypto.h"

#include "core/File.h"
#include "core/FileNames.h"

#include <algorithm>
#include <cerrno>

#ifdef _WIN32
#include "core/win32/Win32.h"
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>
#else
#include <fcntl.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <sys/random.h>
#include <unistd.h>
#endif

namespace plok::crypto {

namespace {

[[noreturn]] void LibraryFailed(const char* what)
{
    throw Error(std::string("暗号ライブラリが使えません（") + what + "）。");
}

std::string CannotCreateText(int errnum)
{
    return "鍵ファイルを作成できません。(" + SystemReasonText(errnum) + ")";
}

} // namespace

#ifdef _WIN32

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
        LibraryFailed("BCryptOpenAlgorithmProvider");
    m_state->key.assign(key.begin(), key.end());
    m_state->hash = m_state->Create(BCRYPT_HASH_REUSABLE_FLAG);
    if (!m_state->hash) {
        m_state->reusable = false;
        BCRYPT_HASH_HANDLE probe = m_state->Create(0);
        if (!probe)
            LibraryFailed("BCryptCreateHash");
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
        LibraryFailed("BCryptCreateHash");
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
        LibraryFailed("BCryptHashData");
    return mac;
}

void RandomBytes(std::span<std::uint8_t> out)
{
    if (!BCRYPT_SUCCESS(
            ::BCryptGenRandom(nullptr, out.data(), static_cast<ULONG>(out.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        throw Error("乱数を得られません。");
}

namespace {

/// Writes `key` as `file` unless a file of that name exists: complete and on the disk before it has its name. False
/// when another key was there.
bool CreateKeyFileOnce(const std::filesystem::path& file, const Key& key)
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
        throw KeyFileError(file, CannotCreateText(static_cast<int>(::GetLastError())));
    DWORD written = 0;
    const bool ok = ::WriteFile(h, key.data(), static_cast<DWORD>(key.size()), &written, nullptr)
        && written == key.size() && ::FlushFileBuffers(h);
    const DWORD writeError = ok ? 0 : ::GetLastError();
    ::CloseHandle(h);
    if (!ok) {
        ::DeleteFileW(temp.c_str());
        throw KeyFileError(file, CannotCreateText(static_cast<int>(writeError)));
    }
    // Without MOVEFILE_REPLACE_EXISTING the move fails where a key stands already.
    if (::MoveFileExW(temp.c_str(), file.c_str(), MOVEFILE_WRITE_THROUGH))
        return true;
    const DWORD error = ::GetLastError();
    ::DeleteFileW(temp.c_str());
    if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS)
        return false;
    throw KeyFileError(file, CannotCreateText(static_cast<int>(error)));
}

} // namespace

#else

struct HmacSha256::State
{
    EVP_MAC* mac = nullptr;
    EVP_MAC_CTX* context = nullptr;

    ~State()
    {
        EVP_MAC_CTX_free(context);
        EVP_MAC_free(mac);
    }
};

HmacSha256::HmacSha256(std::span<const std::uint8_t> key)
    : m_state(std::make_unique<State>())
{
    m_state->mac = EVP_MAC_fetch(nullptr, "HMAC", nullptr);
    if (!m_state->mac || !(m_state->context = EVP_MAC_CTX_new(m_state->mac)))
        LibraryFailed("EVP_MAC_fetch");
    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_end(),
    };
    // A null key would mean "the key set before": an empty key is a valid pointer to no bytes.
    static const unsigned char kNoBytes = 0;
    if (EVP_MAC_init(m_state->context, key.empty() ? &kNoBytes : key.data(), key.size(), params) != 1)
        LibraryFailed("EVP_MAC_init");
}

HmacSha256::~HmacSha256() = default;
HmacSha256::HmacSha256(HmacSha256&&) noexcept = default;
HmacSha256& HmacSha256::operator=(HmacSha256&&) noexcept = default;

Mac HmacSha256::Of(std::initializer_list<std::string_view> parts)
{
    EVP_MAC_CTX* context = m_state->context;
    // Initialising without a key starts a new message under the key set up once.
    if (EVP_MAC_init(context, nullptr, 0, nullptr) != 1)
        LibraryFailed("EVP_MAC_init");
    for (const std::string_view part : parts)
        if (EVP_MAC_update(context, reinterpret_cast<const unsigned char*>(part.data()), part.size()) != 1)
            LibraryFailed("EVP_MAC_update");
    Mac mac {};
    std::size_t length = 0;
    if (EVP_MAC_final(context, mac.data(), &length, mac.size()) != 1 || length != mac.size())
        LibraryFailed("EVP_MAC_final");
    return mac;
}

void RandomBytes(std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::getrandom(out.data() + done, out.size() - done, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw Error("乱数を得られません。(" + SystemReasonText(errno) + ")");
        }
        done += static_cast<std::size_t>(n);
    }
}

namespace {

/// Writes `key` as `file` unless a file of that name exists: complete and on the disk before it has its name. False
/// when another key was there.
bool CreateKeyFileOnce(const std::filesystem::path& file, const Key& key)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::string temp = (folder / ".plok-key-XXXXXX").string();
    // mkostemp creates the file for its owner alone (0600).
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw KeyFileError(file, CannotCreateText(errno));
    struct Removal
    {
        const std::string& path;
        ~Removal() { ::unlink(path.c_str()); }
    } removal {temp};
    FileHandle handle(fd, temp);
    try {
        handle.WriteAll(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
    } catch (const IoError& e) {
        throw KeyFileError(file, std::string("鍵ファイルを作成できません。") + e.what());
    }
    if (::fsync(fd) != 0)
        throw KeyFileError(file, CannotCreateText(errno));
    if (const int err = handle.Close(); err != 0)
        throw KeyFileError(file, CannotCreateText(err));
    // A link never replaces a file of its name: a key another program made meanwhile stays.
    if (::link(temp.c_str(), file.c_str()) == 0) {
        const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            ::fsync(dir);
            ::close(dir);
        }
        return true;
    }
    if (errno == EEXIST)
        return false;
    throw KeyFileError(file, CannotCreateText(errno));
}

} // namespace

#endif

Key ReadKeyFile(const std::filesystem::path& file)
{
    if (!FileExists(file)) {
        std::error_code ec;
        throw KeyFileError(file,
            std::filesystem::is_directory(file, ec) ? "鍵ファイルではなく、フォルダです。"
                                                    : "鍵ファイルがありません。");
    }
    Key key {};
    std::size_t n = 0;
    std::size_t size = 0;
    try {
        FileHandle handle = FileHandle::OpenForReading(file);
        // One byte more than a key tells a longer file.
        std::array<char, kKeySize + 1> bytes {};
        while (n < bytes.size())
            if (const std::size_t got = handle.Read(bytes.data() + n, bytes.size() - n); got != 0)
                n += got;
            else
                break;
        size = n <= kKeySize ? n : std::max(handle.SizeHint(), n);
        std::copy_n(bytes.begin(), std::min(n, kKeySize), key.begin());
    } catch (const IoError& e) {
        throw KeyFileError(file, std::string("鍵ファイルを読めません。") + e.what());
    }
    if (n != kKeySize)
        throw KeyFileError(file,
            "鍵ファイルの大きさが" + std::to_string(kKeySize) + "バイトではありません（" + std::to_string(size)
                + "バイト）。別のファイルか、壊れた鍵ファイルです。");
    return key;
}

Key ReadOrCreateKeyFile(const std::filesystem::path& file)
{
    if (FileExists(file))
        return ReadKeyFile(file);
    Key key {};
    RandomBytes(key);
    if (CreateKeyFileOnce(file, key))
        return key;
    return ReadKeyFile(file);
}

} // namespace plok::crypto
