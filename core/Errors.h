#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace plok {

/// Base of the failures that end a job. `what()` is the user-visible Japanese text in UTF-8; windows show it in
/// the error box, plok-cli prints it on stderr.
class Error : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

/// A record has fewer fields than the job touches. `index()` is the first absent field the job reached.
class ListIndexError : public Error
{
public:
    explicit ListIndexError(int index);
    int index() const { return m_index; }

private:
    int m_index;
};

/// A text that must be a number is none; `what()` is "'TEXT' は浮動小数点数ではありません".
class NumberFormatError : public Error
{
public:
    explicit NumberFormatError(const std::string& textUtf8);
};

/// A file could not be opened, read, written or replaced.
class IoError : public Error
{
public:
    using Error::Error;
};

/// A file a job cannot use: missing, unreadable, or not what it must be (a key file, a claims file to audit).
/// `what()` says why in Japanese, without the path, which `file()` gives.
class FileError : public Error
{
public:
    FileError(std::filesystem::path file, const std::string& reason)
        : Error(reason)
        , m_file(std::move(file))
    { }
    const std::filesystem::path& file() const { return m_file; }

private:
    std::filesystem::path m_file;
};

/// The reason a system call failed with the system's error code `errnum` (errno on POSIX systems, GetLastError() on
/// Windows), in Japanese for the usual causes (no such file or folder, access denied, disk full, read-only drive, a
/// folder, too many open files, a read or write error; on Windows also a file in use by another program, a name the
/// file system refuses, a path too long, a lost network drive); the system's own text for the rest. UTF-8.
std::string SystemReasonText(int errnum);

/// What a path names in a failure's text.
enum class PathKind
{
    File, // "ファイル"
    Folder, // "フォルダ"
};

/// Builds the IoError text for `what` ("を開けません", ...) on `path` (UTF-8), called a file or a folder as `kind`
/// says, with the system's reason for `errnum`.
IoError MakeIoError(const std::string& path, const char* what, int errnum, PathKind kind = PathKind::File);

} // namespace plok
