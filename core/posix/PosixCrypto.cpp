#include "core/Crypto.h"
#include "core/File.h"

#include <cerrno>
#include <fcntl.h>
#include <nettle/hmac.h>
#include <sys/random.h>
#include <unistd.h>

namespace plok::crypto {

struct HmacSha256::State
{
    hmac_sha256_ctx context;
};

HmacSha256::HmacSha256(std::span<const std::uint8_t> key)
    : m_state(std::make_unique<State>())
{
    hmac_sha256_set_key(&m_state->context, key.size(), key.data());
}

HmacSha256::~HmacSha256() = default;
HmacSha256::HmacSha256(HmacSha256&&) noexcept = default;
HmacSha256& HmacSha256::operator=(HmacSha256&&) noexcept = default;

Mac HmacSha256::Of(std::initializer_list<std::string_view> parts)
{
    for (const std::string_view part : parts)
        hmac_sha256_update(&m_state->context, part.size(), reinterpret_cast<const std::uint8_t*>(part.data()));
    Mac mac {};
    // Taking the digest also starts the next message under the same key.
    hmac_sha256_digest(&m_state->context, mac.size(), mac.data());
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
        throw FileError(file, detail::CannotCreateKeyText(errno));
    struct Removal
    {
        const std::string& path;
        ~Removal() { ::unlink(path.c_str()); }
    } removal {temp};
    FileHandle handle(fd, temp);
    try {
        handle.WriteAll(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
    } catch (const IoError& e) {
        throw FileError(file, std::string("鍵ファイルを作成できません。") + e.what());
    }
    if (::fsync(fd) != 0)
        throw FileError(file, detail::CannotCreateKeyText(errno));
    if (const int err = handle.Close(); err != 0)
        throw FileError(file, detail::CannotCreateKeyText(err));
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
    throw FileError(file, detail::CannotCreateKeyText(errno));
}

} // namespace plok::crypto
