#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace plok::cli {

/// Exit statuses of plok-cli.
enum ExitStatus
{
    kExitOk = 0, // every file produced its output
    kExitFailed = 1, // at least one file produced no output
    kExitUsage = 2, // the command line was wrong; a usage text was printed
};

/// Runs plok-cli with `args` (without the program name). Produced file names go to `out`, one per line;
/// warnings and failures go to `err` as "plok-cli: FILE: MESSAGE". Returns the exit status. Never throws.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

} // namespace plok::cli
