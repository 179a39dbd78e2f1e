#include "cli/Cli.h"
#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/OutStream.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    plok::RemoveTempFilesOnInterrupt();
    std::ios::sync_with_stdio(false);
    plok::FdStreamBuf stdoutBuf(STDOUT_FILENO);
    std::ostream out(&stdoutBuf);
    const std::vector<std::string> args(argv + 1, argv + argc);
    int status = plok::cli::Run(args, out, std::cerr);
    // The file names on stdout are part of the result: losing them is a failure, as for any GNU tool.
    if (const int err = stdoutBuf.Close(); err != 0) {
        std::cerr << "plok-cli: 標準出力に書き込めません。(" << plok::SystemReasonText(err) << ")\n";
        if (status == plok::cli::kExitOk)
            status = plok::cli::kExitFailed;
    }
    return status;
}
