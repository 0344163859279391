// Comparing two programs as `zorvan-cli diff` does (both files read, compared, the unified diff
// written), against opening one of them in the editor. The program is the one the other
// benchmarks open (bench/support/generated_program.h); the
// second side is made from it here.
//   CompareOnePercent:   1% of its lines changed (a number rewritten); counters open_ms,
//                        compare_ms, compare_to_open
//   CompareOnePercentCpu: the same in processor time (compare_to_open_cpu)
//   CompareMemory:       peak resident memory of zorvan-cli diff on them above its peak on two
//                        one-line files, as a multiple of the two files' size (memory_to_files;
//                        measured by GNU time, /usr/bin/time)
//   CompareUnrelated:    two 100,000-line stretches from far apart in the program (unrelated
//                        moves), the first stretch against its lines shuffled, and two programs of
//                        a few lines repeated in different orders (no line is unique)
#include "app/logic/document_file.h"
#include "app/logic/file_io.h"
#include "bench/support/against_open.h"
#include "cli/commands.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>

#include <algorithm>
#include <random>
#include <sstream>

#include <time.h>

using namespace zorvan;

namespace {

std::vector<std::string> linesOf(const std::string& bytes)
{
    std::vector<std::string> lines;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(std::move(line));
    }
    return lines;
}

QString writeLines(const QString& name, const std::vector<std::string>& lines, std::size_t first, std::size_t count)
{
    std::string bytes;
    for (std::size_t i = first; i < std::min(lines.size(), first + count); ++i)
        bytes += lines[i] + "\r\n";
    const QString path = QDir::temp().filePath(name);
    writeFileAtomically(path, bytes);
    return path;
}

// The benchmark program with 1% of its lines changed: in each chosen line the first digit is
// turned into another.
QString onePercentChanged()
{
    static const QString path = [] {
        std::vector<std::string> lines = linesOf(readWholeFile(bench::benchFile()));
        std::mt19937 random(1);
        std::uniform_int_distribution<std::size_t> pick(0, lines.size() - 1);
        for (std::size_t n = lines.size() / 100; n > 0; --n) {
            std::string& line = lines[pick(random)];
            const auto digit = std::find_if(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
            if (digit != line.end())
                *digit = static_cast<char>('0' + (*digit - '0' + 1) % 10);
            else
                line += "X1.";
        }
        return writeLines("zorvan-compare-bench-b.ncd", lines, 0, lines.size());
    }();
    return path;
}

int runDiff(const QString& a, const QString& b)
{
    std::istringstream in;
    std::ostringstream out, err;
    cli::Io io{in, out, err};
    return cli::runCli({"diff", a.toStdString(), b.toStdString()}, io);
}

// Seconds of processor time of the whole process (all its threads).
double cpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void CompareOnePercent(benchmark::State& state)
{
    const QString b = onePercentChanged();
    bench::againstOpen(state, "compare", "compare_to_open", [&](TFormText&) {
        if (runDiff(bench::benchFile(), b) != 1)
            state.SkipWithError("the compare found no difference");
    });
}

// The same in processor time, which a loaded machine shares out less unevenly than wall time
// between the one-threaded open and the compare's threads.
void CompareOnePercentCpu(benchmark::State& state)
{
    const QString b = onePercentChanged();
    TFormText form;
    double openCpu = 0, compareCpu = 0;
    for (auto _ : state) {
        double start = cpuSeconds();
        form.DocPath = bench::benchFile();
        form.LoadDocument();
        form.UpdateStatus();
        openCpu += cpuSeconds() - start;
        start = cpuSeconds();
        benchmark::DoNotOptimize(runDiff(bench::benchFile(), b));
        compareCpu += cpuSeconds() - start;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["open_cpu_ms"] = openCpu * 1000 / n;
    state.counters["compare_cpu_ms"] = compareCpu * 1000 / n;
    state.counters["compare_to_open_cpu"] = compareCpu / openCpu;
}
BENCHMARK(CompareOnePercentCpu)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(CompareOnePercent)->Unit(benchmark::kMillisecond)->Iterations(3);

// The peak resident memory of `zorvan-cli diff a b` in kB, as GNU time reports it (it starts the
// tool from its own small process, so none of this one's memory is counted); -1 on failure.
long childPeakKb(const QString& a, const QString& b)
{
    QProcess time;
    time.setStandardOutputFile(QProcess::nullDevice());
    time.start("/usr/bin/time", {"-f", "%M", QCoreApplication::applicationDirPath() + "/../cli/zorvan-cli", "diff", a, b});
    if (!time.waitForFinished(60000) || time.exitCode() > 1)
        return -1;
    const QList<QByteArray> lines = time.readAllStandardError().trimmed().split('\n');
    bool ok = false;
    const long kb = lines.last().trimmed().toLong(&ok);
    return ok ? kb : -1;
}

void CompareMemory(benchmark::State& state)
{
    const QString a = bench::benchFile(), b = onePercentChanged();
    const QString tiny = QDir::temp().filePath("zorvan-compare-tiny.ncd");
    writeFileAtomically(tiny, "G00X0\r\n");
    const double files = static_cast<double>(QFile(a).size() + QFile(b).size()) / 1024;
    for (auto _ : state) {
        const long empty = childPeakKb(tiny, tiny), full = childPeakKb(a, b);
        if (empty < 0 || full < 0)
            state.SkipWithError("zorvan-cli diff under /usr/bin/time failed");
        state.counters["memory_to_files"] = static_cast<double>(full - empty) / files;
    }
}
BENCHMARK(CompareMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void CompareUnrelated(benchmark::State& state)
{
    static const std::vector<std::string> lines = linesOf(readWholeFile(bench::benchFile()));
    constexpr std::size_t kLines = 100'000;
    QString a, b;
    if (state.range(0) == 0) {  // two stretches far apart
        a = writeLines("zorvan-compare-u1.ncd", lines, 0, kLines);
        b = writeLines("zorvan-compare-u2.ncd", lines, lines.size() / 2, kLines);
    } else if (state.range(0) == 1) {  // the same lines in another order
        std::vector<std::string> shuffled(lines.begin(), lines.begin() + static_cast<long>(std::min(kLines, lines.size())));
        a = writeLines("zorvan-compare-u1.ncd", shuffled, 0, kLines);
        std::shuffle(shuffled.begin(), shuffled.end(), std::mt19937(2));
        b = writeLines("zorvan-compare-u2.ncd", shuffled, 0, kLines);
    } else {  // no unique line at all
        std::vector<std::string> left, right;
        for (std::size_t i = 0; i < kLines; ++i) {
            left.push_back("G01X" + std::to_string(i % 300) + ".");
            right.push_back("G01X" + std::to_string((i * 7 + i / 1000) % 300) + ".");
        }
        a = writeLines("zorvan-compare-u1.ncd", left, 0, kLines);
        b = writeLines("zorvan-compare-u2.ncd", right, 0, kLines);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(runDiff(a, b));
}
BENCHMARK(CompareUnrelated)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
