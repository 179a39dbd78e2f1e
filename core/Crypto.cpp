#include "core/Crypto.h"

#include "core/File.h"
#include "core/FileNames.h"

#include <algorithm>

namespace plok::crypto {

void detail::LibraryFailed(const char* what)
{
    throw Error(std::string("暗号ライブラリが使えません（") + what + "）。");
}

std::string detail::CannotCreateKeyText(int errnum)
{
    return "鍵ファイルを作成できません。(" + SystemReasonText(errnum) + ")";
}

Key ReadKeyFile(const std::filesystem::path& file)
{
    if (!FileExists(file)) {
        std::error_code ec;
        throw FileError(file,
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
        throw FileError(file, std::string("鍵ファイルを読めません。") + e.what());
    }
    if (n != kKeySize)
        throw FileError(file,
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
    if (detail::CreateKeyFileOnce(file, key))
        return key;
    return ReadKeyFile(file);
}

} // namespace plok::crypto
