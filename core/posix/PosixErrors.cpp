#include "core/Errors.h"

#include <cerrno>
#include <cstring>

namespace plok {

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

} // namespace plok
