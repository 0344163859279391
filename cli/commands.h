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

// Runs one command line (the arguments after the program name) as zorvan-cli does.
int runCli(const std::vector<std::string>& args, Io& io);

int runCat(const std::vector<std::string>& args, Io& io);            // commands.cpp
int runColours(const std::vector<std::string>& args, Io& io);        // colours_command.cpp
int runShift(const std::vector<std::string>& args, Io& io);          // nc_cli_commands.cpp
int runRotate(const std::vector<std::string>& args, Io& io);         // nc_cli_commands.cpp
int runArith(const std::vector<std::string>& args, Io& io);          // nc_cli_commands.cpp
int runReverse(const std::vector<std::string>& args, Io& io);        // nc_cli_commands.cpp
int runSwap(const std::vector<std::string>& args, Io& io);           // search_cli_commands.cpp
int runExtreme(const std::vector<std::string>& args, Io& io);        // search_cli_commands.cpp
int runReplace(const std::vector<std::string>& args, Io& io);        // search_cli_commands.cpp
int runDeskCalc(const std::vector<std::string>& args, Io& io);       // commands.cpp
int runFill(const std::vector<std::string>& args, Io& io);           // list_cli_commands.cpp
int runMacro(const std::vector<std::string>& args, Io& io);          // list_cli_commands.cpp
int runExtents(const std::vector<std::string>& args, Io& io);        // preview_commands.cpp
int runPlot(const std::vector<std::string>& args, Io& io);           // preview_plot_command.cpp
int runSend(const std::vector<std::string>& args, Io& io);           // dnc_commands.cpp
int runReceive(const std::vector<std::string>& args, Io& io);        // dnc_commands.cpp
int runDiff(const std::vector<std::string>& args, Io& io);           // diff_command.cpp
int runRenumber(const std::vector<std::string>& args, Io& io);       // tidy_cli_commands.cpp
int runTidy(const std::vector<std::string>& args, Io& io);           // tidy_cli_commands.cpp
int runInfo(const std::vector<std::string>& args, Io& io);           // info_command.cpp
int runStockCheck(const std::vector<std::string>& args, Io& io);      // stock_check_command.cpp
int runCheck(const std::vector<std::string>& args, Io& io);           // check_command.cpp

}  // namespace zorvan::cli
