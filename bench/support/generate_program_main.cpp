// Writes the benchmarks' big program for scripts: zorvan-bench-program LINES [OUT]. Without OUT it
// prints the path of the shared copy in the temporary folder.
#include "bench/support/generated_program.h"

#include "app/logic/document_file.h"

#include <QFile>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    const long lines = argc > 1 ? std::atol(argv[1]) : 0;
    if (lines <= 0) {
        std::fprintf(stderr, "usage: zorvan-bench-program LINES [OUT]\n");
        return 2;
    }
    if (argc < 3) {
        std::printf("%s\n", qPrintable(zorvan::bench::generatedProgramFile(lines)));
        return 0;
    }
    QFile out(QString::fromLocal8Bit(argv[2]));
    const std::string bytes = zorvan::encodeDocument(zorvan::bench::generatedProgramText(lines));
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes.data(), static_cast<qint64>(bytes.size())) < 0) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
