// zorvan-cli: the editor's commands on files, without a display.
#include "cli/commands.h"
#include "cli/descriptor_output.h"

#include <QCoreApplication>

#include <iostream>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

int main(int argc, char** argv)
{
#if defined(__GLIBC__)
    // A run holds a few buffers the size of the document; keeping freed memory in the process
    // instead of returning it to the system saves refaulting every page of the next one.
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
#endif
    const unsigned closed = zorvan::cli::reserveStandardDescriptors();
    QCoreApplication app(argc, argv);  // for QSettings and the code-page converters
    zorvan::cli::DescriptorOutput standardOutput(1, closed & 2u);
    std::ostream out(&standardOutput);
    zorvan::cli::Io io{std::cin, out, std::cerr, [&] { return standardOutput.failure(); }};
    return zorvan::cli::runCli({argv + 1, argv + argc}, io);
}
