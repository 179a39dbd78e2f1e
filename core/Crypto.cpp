#include "core/Crypto.h"

#include "core/File.h"

#include <algorithm>

namespace plok::crypto {

void detail::LibraryFailed(const char* what)
{
    throw Error(std::string("暗号ライブラリが使えません（") + what + "）。");
}

void detail::CheckAesKeySize(std::size_t size)
{
    if (size != 16 && size != 24 && size != 32)
        throw Error("AES の鍵の大きさが正しくありません（" + std::to_string(size) + "バイト）。");
}

std::string detail::CannotCreateKeyText(int errnum)
{
    return "鍵ファイルを作成できません。(" + SystemReasonText(errnum) + ")";
}

FileError detail::NotAKeyFile(const std::filesystem::path& file, NotAFile what)
{
    switch (what) {
    case NotAFile::Missing:
        return FileError(file, "鍵ファイルがありません。");
    case NotAFile::Folder:
        return FileError(file, "鍵ファイルではなく、フォルダです。");
    case NotAFile::Pipe:
        return FileError(file, "鍵ファイルではなく、名前付きパイプ（FIFO）です。");
    case NotAFile::Device:
        return FileError(file, "鍵ファイルではなく、デバイスです。");
    case NotAFile::Other:
        break;
    }
    return FileError(file, "鍵ファイルではなく、特殊なファイルです。");
}

FileError detail::UnreadableKeyFile(const std::filesystem::path& file, const std::string& reason)
{
    return FileError(file, "鍵ファイルを読めません。" + reason);
}

Key ReadKeyFile(const std::filesystem::path& file)
{
    FileHandle handle = detail::OpenKeyFile(file);
    Key key {};
    std::size_t n = 0;
    std::size_t size = 0;
    try {
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
        throw detail::UnreadableKeyFile(file, e.what());
    }
    if (n != kKeySize)
        throw FileError(file,
            "鍵ファイルの大きさが" + std::to_string(kKeySize) + "バイトではありません（" + std::to_string(size)
                + "バイト）。別のファイルか、壊れた鍵ファイルです。");
    return key;
}

Key ReadOrCreateKeyFile(const std::filesystem::path& file)
{
    // Whatever stands under the name is read, and refused when it is no key: a folder or a pipe is never replaced.
    std::error_code ec;
    if (std::filesystem::exists(std::filesystem::symlink_status(file, ec)))
        return ReadKeyFile(file);
    Key key {};
    RandomBytes(key);
    if (detail::CreateKeyFileOnce(file, key))
        return key;
    return ReadKeyFile(file);
}

} // namespace plok::crypto
