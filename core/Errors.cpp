#include "core/Errors.h"

namespace plok {

namespace {

std::string ListIndexText(int index)
{
    return "リストのインデックスが範囲を超えています (" + std::to_string(index) + ")";
}

} // namespace

ListIndexError::ListIndexError(int index)
    : Error(ListIndexText(index))
    , m_index(index)
{ }

NumberFormatError::NumberFormatError(const std::string& textUtf8)
    : Error("'" + textUtf8 + "' は浮動小数点数ではありません")
{ }

IoError MakeIoError(const std::string& path, const char* what, int errnum, PathKind kind)
{
    return IoError(std::string(kind == PathKind::Folder ? "フォルダ" : "ファイル") + " \"" + path + "\" " + what + "。("
        + SystemReasonText(errnum) + ")");
}

} // namespace plok
