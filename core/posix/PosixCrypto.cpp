#include "core/Crypto.h"
#include "core/File.h"

#include <cerrno>
#include <fcntl.h>
#include <openssl/core_names.h>
#include <openssl/evp.h>
#include <openssl/params.h>
#include <sys/random.h>
#include <unistd.h>

namespace plok::crypto {

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
        detail::LibraryFailed("EVP_MAC_fetch");
    char digest[] = "SHA256";
    const OSSL_PARAM params[] = {
        OSSL_PARAM_construct_utf8_string(OSSL_MAC_PARAM_DIGEST, digest, 0),
        OSSL_PARAM_construct_end(),
    };
    // A null key would mean "the key set before": an empty key is a valid pointer to no bytes.
    static const unsigned char kNoBytes = 0;
    if (EVP_MAC_init(m_state->context, key.empty() ? &kNoBytes : key.data(), key.size(), params) != 1)
        detail::LibraryFailed("EVP_MAC_init");
}

HmacSha256::~HmacSha256() = default;
HmacSha256::HmacSha256(HmacSha256&&) noexcept = default;
HmacSha256& HmacSha256::operator=(HmacSha256&&) noexcept = default;

Mac HmacSha256::Of(std::initializer_list<std::string_view> parts)
{
    EVP_MAC_CTX* context = m_state->context;
    // Initialising without a key starts a new message under the key set up once.
    if (EVP_MAC_init(context, nullptr, 0, nullptr) != 1)
        detail::LibraryFailed("EVP_MAC_init");
    for (const std::string_view part : parts)
        if (EVP_MAC_update(context, reinterpret_cast<const unsigned char*>(part.data()), part.size()) != 1)
            detail::LibraryFailed("EVP_MAC_update");
    Mac mac {};
    std::size_t length = 0;
    if (EVP_MAC_final(context, mac.data(), &length, mac.size()) != 1 || length != mac.size())
        detail::LibraryFailed("EVP_MAC_final");
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

bool detail::CreateKeyFileOnce(const std::filesystem::path& file, const Key& key)
{
    const std::filesystem::path folder = file.has_parent_path() ? file.parent_path() : std::filesystem::path(".");
    std::string temp = (folder / ".plok-key-XXXXXX").string();
    // mkostemp creates the file for its owner alone (0600).
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0)
        throw KeyFileError(file, detail::CannotCreateKeyText(errno));
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
        throw KeyFileError(file, detail::CannotCreateKeyText(errno));
    if (const int err = handle.Close(); err != 0)
        throw KeyFileError(file, detail::CannotCreateKeyText(err));
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
    throw KeyFileError(file, detail::CannotCreateKeyText(errno));
}

} // namespace plok::crypto
