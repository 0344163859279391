// zorvan-cli: the editor's commands on files, without a display.
#include "cli/commands.h"

#include <QCoreApplication>

#include <iostream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);  // for QSettings and the code-page converters
    zorvan::cli::Io io{std::cin, std::cout, std::cerr};
    return zorvan::cli::runCli({argv + 1, argv + argc}, io);
}
