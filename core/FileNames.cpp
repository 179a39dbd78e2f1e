#include "core/FileNames.h"

#include "core/Text.h"

#include <type_traits>

namespace plok {

bool IsPlainFileName(std::u16string_view name)
{
    if (name.empty() || name == u"." || name == u".." || name.find(u"..") != name.npos)
        return false;
    // Files are handed on to Windows machines: a trailing dot or blank would be silently dropped there.
    if (name.back() == u'.' || name.back() == u' ')
        return false;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char16_t c = name[i];
        if (c < 0x20 || c == 0x7F)
            return false;
        switch (c) {
        case u'/':
        case u'\\':
        case u':':
        case u'*':
        case u'?':
        case u'"':
        case u'<':
        case u'>':
        case u'|':
            return false;
        default:
            break;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < name.size() && name[i + 1] >= 0xDC00 && name[i + 1] <= 0xDFFF) {
            ++i;
            continue;
        }
        // Lone surrogates stand for bytes that are not text; they have no file-name form.
        if (c >= 0xD800 && c <= 0xDFFF)
            return false;
    }
    return true;
}

bool FileExists(const std::filesystem::path& path)
{
    std::error_code ec;
    const auto st = std::filesystem::status(path, ec);
    return !path.empty() && !ec && std::filesystem::exists(st) && !std::filesystem::is_directory(st);
}

bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b)
{
    std::error_code ec;
    return std::filesystem::equivalent(a, b, ec) && !ec;
}

namespace {

// Windows paths are UTF-16 (wchar_t), POSIX paths bytes taken as UTF-8.
constexpr bool kWidePaths = std::is_same_v<std::filesystem::path::value_type, wchar_t>;

template<class Native>
std::u16string TextOf(const Native& native)
{
    if constexpr (std::is_same_v<typename Native::value_type, wchar_t>)
        return std::u16string(native.begin(), native.end());
    else
        return FromUtf8(native);
}

template<class Native>
std::string Utf8Of(const Native& native)
{
    if constexpr (std::is_same_v<typename Native::value_type, wchar_t>)
        return ToUtf8(TextOf(native));
    else
        return native;
}

} // namespace

std::filesystem::path ToPath(std::u16string_view name)
{
    if constexpr (kWidePaths)
        return std::filesystem::path(std::wstring(name.begin(), name.end()));
    else
        return std::filesystem::path(ToUtf8(name));
}

std::filesystem::path PathFromUtf8(std::string_view name)
{
    if constexpr (kWidePaths)
        return ToPath(FromUtf8(name));
    else
        return std::filesystem::path(std::string(name));
}

std::u16string PathText(const std::filesystem::path& path)
{
    return TextOf(path.native());
}

std::string PathUtf8(const std::filesystem::path& path)
{
    return Utf8Of(path.native());
}

} // namespace plok
