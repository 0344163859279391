// Runs zorvan-cli in-process for the tests.
#pragma once

#include "cli/commands.h"

#include <sstream>
#include <string>
#include <vector>

struct CliRun {
    int status;
    std::string out, err;
};

inline CliRun runZorvanCli(const std::vector<std::string>& args, const std::string& input = {})
{
    std::istringstream in(input);
    std::ostringstream out, err;
    zorvan::cli::Io io{in, out, err};
    int status = zorvan::cli::runCli(args, io);
    return {status, out.str(), err.str()};
}
