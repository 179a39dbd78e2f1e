#pragma once

#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

/// Text and paths between the widgets and the GUI-free code, which speaks UTF-16 and std::filesystem.
namespace plok::gui {

inline QString Q(std::u16string_view s)
{
    return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

inline std::u16string U(const QString& s)
{
    return s.toStdU16String();
}

inline std::filesystem::path ToPath(const QString& s)
{
    return std::filesystem::path(s.toStdU16String());
}

} // namespace plok::gui
