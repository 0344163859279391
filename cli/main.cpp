// zorvan-cli: the editor's commands on files, without a display.
#include "cli/commands.h"
#include "cli/descriptor_output.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <iostream>
#include <memory>

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
    // Before anything opens a file: a closed standard descriptor must not be taken by it.
    const unsigned closed = zorvan::cli::reserveStandardDescriptors();
    // For QSettings and the code-page converters; the picture of "plot" also needs fonts, drawn
    // without a display.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && std::strcmp(argv[1], "plot") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(argc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(argc, argv);
    }
    zorvan::cli::DescriptorOutput standardOutput(1, closed & 2u);
    std::ostream out(&standardOutput);
    zorvan::cli::Io io{std::cin, out, std::cerr, [&] { return standardOutput.failure(); }};
    return zorvan::cli::runCli({argv + 1, argv + argc}, io);
}
