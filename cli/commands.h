// The commands of zorvan-cli, one table.
#pragma once

#include "cli/cli_frame.h"

#include <string>
#include <vector>

namespace zorvan::cli {

using CommandRunner = int (*)(const std::vector<std::string>& args, Io& io);

struct Command {
    const char* name;
    const char* synopsis;  // the arguments after the command name
    CommandRunner run;
};

const std::vector<Command>& commands();

int runCat(const std::vector<std::string>& args, Io& io);

}  // namespace zorvan::cli
