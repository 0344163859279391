// zorvan-cli: the editor's commands on files, without a display.
#include "cli/commands.h"

#include <QCoreApplication>

#include <iostream>
#include <string>
#include <vector>

namespace {

void printUsage(std::ostream& out)
{
    out << "usage: zorvan-cli COMMAND [OPTIONS] [FILE]\n"
           "       zorvan-cli --version | --help\n"
           "common options: -o PATH, --in-place, --select START:LENGTH, --caret POS,\n"
           "  --decimal-number N, --decimal-view N, --force-decimal on|off, --integer-only on|off\n"
           "commands:\n";
    for (const auto& command : zorvan::cli::commands())
        out << "  " << command.name << ' ' << command.synopsis << '\n';
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // for QSettings and the code-page converters
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        printUsage(std::cerr);
        return zorvan::cli::Usage;
    }
    if (args[0] == "--version") {
        std::cout << "zorvan-cli " << ZORVAN_VERSION << '\n';
        return zorvan::cli::Done;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        printUsage(std::cout);
        return zorvan::cli::Done;
    }
    for (const auto& command : zorvan::cli::commands()) {
        if (args[0] != command.name)
            continue;
        zorvan::cli::Io io{std::cin, std::cout, std::cerr};
        try {
            return command.run({args.begin() + 1, args.end()}, io);
        } catch (const zorvan::cli::UsageError& e) {
            std::cerr << "zorvan-cli " << command.name << ": " << e.what() << '\n'
                      << "usage: zorvan-cli " << command.name << ' ' << command.synopsis << '\n';
            return zorvan::cli::Usage;
        } catch (const std::exception& e) {
            std::cerr << "zorvan-cli " << command.name << ": " << e.what() << '\n';
            return zorvan::cli::Refused;
        }
    }
    std::cerr << "zorvan-cli: unknown command " << args[0] << '\n';
    printUsage(std::cerr);
    return zorvan::cli::Usage;
}
