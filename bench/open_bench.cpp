// Opening a big program file. The generated one of 1,000,000 lines
// (bench/support/generated_program.h; ZORVAN_BENCH_FILE names another), and of 4,000,000 lines
// for OpenHuge (ZORVAN_BENCH_HUGE_FILE).
//   Open:              read, decode, fill the editor, colour the whole text (the editor's load)
//   ReadDecodeSetText: read, decode, SCI_SETTEXT without colouring (the baseline)
//   PlainTextEdit:     QPlainTextEdit::setPlainText of the same text
//   FillOnly:          the load without the whole-text colouring
//   OpenMemory:        resident memory above the empty editor, after the load and at its peak,
//                      as multiples of the file's size (FillMemory: the same without colouring)
#include "app/logic/document_file.h"
#include "app/ui/textform.h"
#include "bench/support/against_open.h"

#include <Qsci/qsciscintilla.h>

#include <QFileInfo>
#include <QPlainTextEdit>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using namespace zorvan;

namespace {

// A field of /proc/self/status in kB ("VmRSS", "VmHWM").
long statusKb(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    return 0;
}

void resetPeak()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

void Open(benchmark::State& state)
{
    const QString path = bench::benchFile();
    TFormText form;
    for (auto _ : state) {
        form.DocPath = path;
        form.LoadDocument();
        benchmark::DoNotOptimize(form.editor().lineCount());
    }
    state.counters["lines"] = form.editor().lineCount();
}
BENCHMARK(Open)->Unit(benchmark::kMillisecond)->Iterations(5);

void ReadDecodeSetText(benchmark::State& state)
{
    const QString path = bench::benchFile();
    TFormText form;
    for (auto _ : state) {
        std::string text = readDocument(readDocumentFile(path));
        form.Memo1->SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, text.c_str());
        benchmark::DoNotOptimize(form.Memo1->SendScintilla(QsciScintillaBase::SCI_GETLINECOUNT));
    }
}
BENCHMARK(ReadDecodeSetText)->Unit(benchmark::kMillisecond)->Iterations(5);

// The load without the whole-text colouring: what the file reading and the fill cost alone.
void fillWithoutColour(QsciScintilla* widget, const QString& path)
{
    std::string bytes = readDocumentFile(path);
    widget->SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL, 0L);
    widget->SendScintilla(QsciScintillaBase::SCI_CLEARALL);
    widget->SendScintilla(QsciScintillaBase::SCI_ALLOCATE, static_cast<unsigned long>(bytes.size() + bytes.size() / 16 + 64));
    readDocument(bytes, [widget](std::string_view piece) {
        widget->SendScintilla(QsciScintillaBase::SCI_APPENDTEXT, static_cast<unsigned long>(piece.size()), piece.data());
    });
}

void FillOnly(benchmark::State& state)
{
    const QString path = bench::benchFile();
    TFormText form;
    for (auto _ : state)
        fillWithoutColour(form.Memo1, path);
}
BENCHMARK(FillOnly)->Unit(benchmark::kMillisecond)->Iterations(5);

void PlainTextEdit(benchmark::State& state)
{
    const QString text = QString::fromStdString(readDocument(readDocumentFile(bench::benchFile())));
    QPlainTextEdit edit;
    for (auto _ : state) {
        edit.setPlainText(text);
        benchmark::DoNotOptimize(edit.blockCount());
    }
}
BENCHMARK(PlainTextEdit)->Unit(benchmark::kMillisecond)->Iterations(2);

// Resident memory above the empty editor after `load` and at its peak, as multiples of the
// file's size.
template <typename Load> void measureMemory(benchmark::State& state, Load&& load)
{
    const QString path = bench::benchFile();
    const double fileKb = static_cast<double>(QFileInfo(path).size()) / 1024.0;
    for (auto _ : state) {
        TFormText form;
        const long emptyKb = statusKb("VmRSS");
        resetPeak();
        load(form, path);
        state.counters["after_x_file"] = (statusKb("VmRSS") - emptyKb) / fileKb;
        state.counters["peak_x_file"] = (statusKb("VmHWM") - emptyKb) / fileKb;
    }
}

void OpenMemory(benchmark::State& state)
{
    measureMemory(state, [](TFormText& form, const QString& path) {
        form.DocPath = path;
        form.LoadDocument();
    });
}
BENCHMARK(OpenMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void FillMemory(benchmark::State& state)
{
    measureMemory(state, [](TFormText& form, const QString& path) { fillWithoutColour(form.Memo1, path); });
}
BENCHMARK(FillMemory)->Unit(benchmark::kMillisecond)->Iterations(1);

void OpenHuge(benchmark::State& state)
{
    const QString path = bench::benchFile("ZORVAN_BENCH_HUGE_FILE", 4000000);
    if (!QFileInfo::exists(path)) {
        state.SkipWithError("no 4,000,000-line file");
        return;
    }
    TFormText form;
    for (auto _ : state) {
        form.DocPath = path;
        form.LoadDocument();
    }
    state.counters["lines"] = form.editor().lineCount();
    state.counters["opened"] = form.DocPath == path && form.editor().lineCount() >= 4000000;
}
BENCHMARK(OpenHuge)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
