// Opening a program in UTF-8 against opening the same program in Shift-JIS. The Shift-JIS program
// is the usual benchmark file (the generated
// one of 1,000,000 lines, or another named by ZORVAN_BENCH_FILE); its UTF-8 twin is written beside it in a temporary
// folder at the start.
//   OpenUtf8AgainstShiftJis: the editor's load of each, in turns; counters sjis_ms, utf8_ms and
//                            ratio (UTF-8 to Shift-JIS), utf8_found (1 when the twin was read
//                            as UTF-8)
//   Utf8CheckOwnAgainstQt:   the detection's pass over the twin against Qt's UTF-8 decoder over
//                            the same bytes (the decoder cannot keep malformed bytes, so it only
//                            measures what a check through Qt would cost); counter ratio (own/Qt)
#include "app/logic/document_file.h"
#include "app/logic/file_io.h"
#include "app/ui/textform.h"
#include "bench/support/against_open.h"

#include <QStringDecoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <chrono>

using namespace zorvan;

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// The benchmark file again in UTF-8, written into `dir`.
QString writeUtf8Twin(const QTemporaryDir& dir)
{
    const QString path = dir.filePath("utf8.ncd");
    LoadedDocument read = loadDocument(readDocumentFile(bench::benchFile()), Encoding::ShiftJis);
    writeFileAtomically(path, encodeDocument(read.text, read.lineEnds, {Encoding::Utf8}));
    return path;
}

void OpenUtf8AgainstShiftJis(benchmark::State& state)
{
    QTemporaryDir dir;
    const QString sjis = bench::benchFile(), utf8 = writeUtf8Twin(dir);
    TFormText form;
    double sjisMs = 0, utf8Ms = 0;
    bool utf8Found = true;
    for (auto _ : state) {
        auto start = Clock::now();
        form.DocPath = sjis;
        form.LoadDocument();
        sjisMs += msSince(start);
        start = Clock::now();
        form.DocPath = utf8;
        form.LoadDocument();
        utf8Ms += msSince(start);
        utf8Found = utf8Found && form.document().encoding.encoding == Encoding::Utf8;
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["sjis_ms"] = sjisMs / n;
    state.counters["utf8_ms"] = utf8Ms / n;
    state.counters["ratio"] = utf8Ms / sjisMs;
    state.counters["utf8_found"] = utf8Found;
}
BENCHMARK(OpenUtf8AgainstShiftJis)->Unit(benchmark::kMillisecond)->Iterations(5);

void Utf8CheckOwnAgainstQt(benchmark::State& state)
{
    QTemporaryDir dir;
    const std::string bytes = readDocumentFile(writeUtf8Twin(dir));
    double ownMs = 0, qtMs = 0;
    for (auto _ : state) {
        auto start = Clock::now();
        benchmark::DoNotOptimize(detectEncoding(bytes));
        ownMs += msSince(start);
        start = Clock::now();
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString text = decoder.decode(QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())));
        benchmark::DoNotOptimize(decoder.hasError());
        qtMs += msSince(start);
    }
    state.counters["ratio"] = ownMs / qtMs;
}
BENCHMARK(Utf8CheckOwnAgainstQt)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
