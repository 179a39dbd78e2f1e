#pragma once

#include "cli/Cli.h"

#include <sstream>
#include <string>
#include <vector>

namespace plok::test {

struct CliRun
{
    int status;
    std::string out;
    std::string err;
};

/// Runs plok-cli in-process and captures what it prints.
inline CliRun RunCli(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int status = plok::cli::Run(args, out, err);
    return {status, out.str(), err.str()};
}

} // namespace plok::test
