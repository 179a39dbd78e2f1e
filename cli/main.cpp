#include "cli/Cli.h"
#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/OutStream.h"

#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include "core/Text.h"

#include <fcntl.h>
#include <io.h>
#include <stdio.h>
#endif

namespace {

int Main(const std::vector<std::string>& args)
{
    plok::RemoveTempFilesOnInterrupt();
    std::ios::sync_with_stdio(false);
    plok::StdStreamBuf stdoutBuf(plok::StdStreamBuf::Stream::Out);
    plok::StdStreamBuf stderrBuf(plok::StdStreamBuf::Stream::Err);
    std::ostream out(&stdoutBuf);
    std::ostream err(&stderrBuf);
    int status = plok::cli::Run(args, out, err);
    // The file names on stdout are part of the result: losing them is a failure, as for any GNU tool.
    if (const int error = stdoutBuf.Close(); error != 0) {
        err << "plok-cli: 標準出力に書き込めません。(" << plok::SystemReasonText(error) << ")\n";
        if (status == plok::cli::kExitOk)
            status = plok::cli::kExitFailed;
    }
    stderrBuf.Close();
    return status;
}

} // namespace

#ifdef _WIN32
// The wide command line: a narrow argv loses every name outside the ANSI code page.
int wmain(int argc, wchar_t** argv)
{
    // Nothing should print through the C runtime, but if anything does it must not turn "\n" into CR LF.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.push_back(plok::ToUtf8(std::u16string(argv[i], argv[i] + std::char_traits<wchar_t>::length(argv[i]))));
    return Main(args);
}
#else
int main(int argc, char** argv)
{
    return Main(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
