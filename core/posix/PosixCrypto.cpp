#include "core/Crypto.h"
#include "core/File.h"
#include "core/FileNames.h"

#include <cerrno>
#include <fcntl.h>
#include <nettle/aes.h>
#include <nettle/hmac.h>
#include <nettle/nettle-meta.h>
#include <sys/random.h>
#include <sys/stat.h>
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

struct Aes::State
{
    const nettle_cipher* cipher;
    // The largest of the three key schedules; the cipher's own functions know which one it holds.
    aes256_ctx context;
};

Aes::Aes(std::span<const std::uint8_t> key)
    : m_state(std::make_unique<State>())
{
    detail::CheckAesKeySize(key.size());
    m_state->cipher = key.size() == 16 ? &nettle_aes128 : key.size() == 24 ? &nettle_aes192 : &nettle_aes256;
    m_state->cipher->set_encrypt_key(&m_state->context, key.data());
}

Aes::~Aes() = default;
Aes::Aes(Aes&&) noexcept = default;
Aes& Aes::operator=(Aes&&) noexcept = default;

Aes::Block Aes::Encrypt(const Block& in) const
{
    Block out;
    m_state->cipher->encrypt(&m_state->context, out.size(), out.data(), in.data());
    return out;
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

detail::NotAFile KindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return detail::NotAFile::Folder;
    if (S_ISFIFO(mode))
        return detail::NotAFile::Pipe;
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return detail::NotAFile::Device;
    return detail::NotAFile::Other;
}

} // namespace

FileHandle detail::OpenKeyFile(const std::filesystem::path& file)
{
    struct stat st
    { };
    if (::stat(file.c_str(), &st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            throw NotAKeyFile(file, NotAFile::Missing);
        throw UnreadableKeyFile(file, MakeIoError(PathUtf8(file), "を開けません", errno).what());
    }
    if (!S_ISREG(st.st_mode))
        throw NotAKeyFile(file, KindOf(st.st_mode));
    // Without blocking: a FIFO put under the name meanwhile would make open wait for a writer for ever. A terminal
    // never becomes the program's own.
    const int fd = ::open(file.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        throw UnreadableKeyFile(file, MakeIoError(PathUtf8(file), "を開けません", errno).what());
    FileHandle handle(fd, file);
    if (::fstat(fd, &st) != 0)
        throw UnreadableKeyFile(file, MakeIoError(PathUtf8(file), "を読み込めません", errno).what());
    if (!S_ISREG(st.st_mode))
        throw NotAKeyFile(file, KindOf(st.st_mode));
    return handle;
}

KeyExposure ExposureOf(const std::filesystem::path& file)
{
    KeyExposure exposure;
    struct stat st
    { };
    if (::stat(file.c_str(), &st) == 0 && (st.st_mode & 077) != 0)
        exposure.fileMode = st.st_mode & 0777;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::absolute(file, ec).parent_path();
    if (!ec && ::stat(folder.c_str(), &st) == 0 && (st.st_mode & 011) != 0) {
        exposure.folder = folder;
        exposure.folderMode = st.st_mode & 0777;
    }
    return exposure;
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
