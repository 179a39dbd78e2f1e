#include "core/File.h"

#include <utility>

namespace plok {

FileHandle::FileHandle(Native native, std::filesystem::path path, PathKind kind)
    : m_native(native)
    , m_path(std::move(path))
    , m_kind(kind)
{ }

FileHandle::~FileHandle()
{
    Close();
}

FileHandle::FileHandle(FileHandle&& other) noexcept
    : m_native(std::exchange(other.m_native, kNone))
    , m_path(std::move(other.m_path))
    , m_kind(other.m_kind)
{ }

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept
{
    if (this != &other) {
        Close();
        m_native = std::exchange(other.m_native, kNone);
        m_path = std::move(other.m_path);
        m_kind = other.m_kind;
    }
    return *this;
}

std::string ReadAll(const std::filesystem::path& path)
{
    FileHandle file = FileHandle::OpenForReading(path);
    // Read straight into the result: one copy of the file in memory, however large.
    std::string bytes(file.SizeHint() + 1, '\0');
    std::size_t used = 0;
    for (;;) {
        if (used == bytes.size())
            bytes.resize(bytes.size() * 2 + (std::size_t(1) << 16));
        const std::size_t n = file.Read(bytes.data() + used, bytes.size() - used);
        if (n == 0)
            break;
        used += n;
    }
    bytes.resize(used);
    return bytes;
}

} // namespace plok
