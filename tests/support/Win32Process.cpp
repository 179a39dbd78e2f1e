#include "support/Process.h"

#include <cstdlib>
#include <stdexcept>
#include <thread>

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace plok::test {

namespace {

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty())
        return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
    return out;
}

/// One argument quoted as CommandLineToArgvW (and the C runtime's wmain) reads it back.
std::wstring Quoted(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos)
        return arg;
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

void ReadAll(HANDLE h, std::string& into)
{
    char buf[4096];
    DWORD n = 0;
    while (::ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0)
        into.append(buf, n);
}

} // namespace

struct Process::Impl
{
    PROCESS_INFORMATION info {};
    HANDLE out = nullptr;
    HANDLE err = nullptr;
};

Process::Process(const std::string& program, const std::vector<std::string>& args, const Options& options)
    : m(std::make_unique<Impl>())
{
    SECURITY_ATTRIBUTES inherit {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    HANDLE outRead = nullptr;
    HANDLE outWrite = nullptr;
    HANDLE errRead = nullptr;
    HANDLE errWrite = nullptr;
    if (!::CreatePipe(&outRead, &outWrite, &inherit, 0) || !::CreatePipe(&errRead, &errWrite, &inherit, 0))
        throw std::runtime_error("CreatePipe failed");
    ::SetHandleInformation(outRead, HANDLE_FLAG_INHERIT, 0);
    ::SetHandleInformation(errRead, HANDLE_FLAG_INHERIT, 0);
    if (!options.stdoutFile.empty()) {
        ::CloseHandle(outWrite);
        outWrite = ::CreateFileW(Wide(options.stdoutFile).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
            &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    if (options.stdoutClosed) {
        ::CloseHandle(outRead);
        outRead = nullptr;
    }
    STARTUPINFOW startup {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = outWrite;
    startup.hStdError = errWrite;
    std::wstring commandLine = Quoted(Wide(program));
    for (const std::string& a : args)
        commandLine += L" " + Quoted(Wide(a));
    const BOOL started = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE,
        CREATE_NEW_PROCESS_GROUP | CREATE_UNICODE_ENVIRONMENT, nullptr, nullptr, &startup, &m->info);
    ::CloseHandle(outWrite);
    ::CloseHandle(errWrite);
    m->out = outRead;
    m->err = errRead;
    if (!started)
        throw std::runtime_error("CreateProcessW failed: " + std::to_string(::GetLastError()));
}

Process::~Process()
{
    if (m->info.hProcess) {
        ::TerminateProcess(m->info.hProcess, 9);
        Wait();
    }
}

long Process::pid() const
{
    return static_cast<long>(m->info.dwProcessId);
}

void Process::Signal(int)
{
    throw std::logic_error("signals are POSIX's");
}

bool Process::ConsoleEvent(unsigned event)
{
    return ::GenerateConsoleCtrlEvent(event, m->info.dwProcessId) != 0;
}

Process::Result Process::Wait()
{
    Result r;
    std::thread err([&] {
        if (m->err)
            ReadAll(m->err, r.err);
    });
    if (m->out)
        ReadAll(m->out, r.out);
    err.join();
    for (HANDLE* h : {&m->out, &m->err}) {
        if (*h)
            ::CloseHandle(*h);
        *h = nullptr;
    }
    ::WaitForSingleObject(m->info.hProcess, INFINITE);
    DWORD code = 0;
    if (::GetExitCodeProcess(m->info.hProcess, &code))
        r.status = static_cast<int>(code);
    ::CloseHandle(m->info.hProcess);
    ::CloseHandle(m->info.hThread);
    m->info = {};
    return r;
}

std::size_t OpenFileCount()
{
    DWORD count = 0;
    ::GetProcessHandleCount(::GetCurrentProcess(), &count);
    return count;
}

std::optional<std::string> GetEnvironment(const std::string& name)
{
    const wchar_t* value = ::_wgetenv(Wide(name).c_str());
    if (!value)
        return std::nullopt;
    const std::wstring wide(value);
    const int n
        = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void SetEnvironment(const std::string& name, const std::optional<std::string>& value)
{
    // An empty value removes the variable.
    ::_wputenv_s(Wide(name).c_str(), value ? Wide(*value).c_str() : L"");
}

} // namespace plok::test
