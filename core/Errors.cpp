#include "core/Errors.h"

#include <cerrno>
#include <cstring>

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

std::string SystemReasonText(int errnum)
{
    switch (errnum) {
    case ENOENT:
        return "ファイルまたはフォルダがありません";
    case EACCES:
    case EPERM:
        return "アクセスが拒否されました";
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
        return "ディスクの空き容量が足りません";
    case EROFS:
        return "読み取り専用のドライブです";
    case EISDIR:
        return "フォルダです";
    case ENOTDIR:
        return "フォルダではありません";
    case EMFILE:
    case ENFILE:
        return "開いているファイルが多すぎます";
    case EIO:
        return "ドライブの読み書きでエラーが発生しました";
    default:
        return std::strerror(errnum);
    }
}

IoError MakeIoError(const std::string& path, const char* what, int errnum)
{
    return IoError("ファイル \"" + path + "\" " + what + "。(" + SystemReasonText(errnum) + ")");
}

} // namespace plok
