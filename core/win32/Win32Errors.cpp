#include "core/Errors.h"
#include "core/Text.h"
#include "core/win32/Win32.h"

namespace plok {

std::string SystemReasonText(int errnum)
{
    switch (static_cast<DWORD>(errnum)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
        return "ファイルまたはフォルダがありません";
    case ERROR_ACCESS_DENIED:
        return "アクセスが拒否されました";
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return "ほかのプログラムがファイルを使用しています";
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_QUOTA_EXCEEDED:
        return "ディスクの空き容量が足りません";
    case ERROR_WRITE_PROTECT:
        return "読み取り専用のドライブです";
    case ERROR_DIRECTORY_NOT_SUPPORTED:
        return "フォルダです";
    case ERROR_DIRECTORY:
        return "フォルダではありません";
    case ERROR_TOO_MANY_OPEN_FILES:
        return "開いているファイルが多すぎます";
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
    case ERROR_SECTOR_NOT_FOUND:
    case ERROR_GEN_FAILURE:
        return "ドライブの読み書きでエラーが発生しました";
    case ERROR_NOT_READY:
        return "ドライブの準備ができていません";
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return "ファイル名またはフォルダ名が正しくありません";
    case ERROR_FILENAME_EXCED_RANGE:
        return "パスが長すぎます";
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_NETNAME_DELETED:
    case ERROR_UNEXP_NET_ERR:
    case ERROR_NETWORK_UNREACHABLE:
        return "ネットワーク上の場所に接続できません";
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return "メモリが足りません";
    default:
        break;
    }
    // The system's own text, in the language of the user's Windows.
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
            | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK,
        nullptr, static_cast<DWORD>(errnum), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::u16string message;
    if (n > 0 && text)
        message.assign(text, text + n);
    if (text)
        ::LocalFree(text);
    while (!message.empty() && (message.back() == u' ' || message.back() == u'.' || message.back() == u'。'))
        message.pop_back();
    if (message.empty())
        return "エラー " + std::to_string(static_cast<unsigned long>(static_cast<DWORD>(errnum)));
    return ToUtf8(message);
}

} // namespace plok
