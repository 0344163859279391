// The two costs of the colouring, on a big program (ZORVAN_BIG_FILE, default the generated
// program of 1,000,000 lines, bench/support/generated_program.h):
// - ColourAll over the whole text against putting the same text into QScintilla (SCI_SETTEXT);
// - one typed character (key press and release, the change notification, the line pass, the
//   status refresh and the repaint of editor and gutter) at line 900,000 of that text against the
//   same in a 10-line text made of the lines around it. Each iteration types a character and
//   deletes it again, so the line stays as it was.
#include "app/logic/colouring.h"
#include "app/logic/document_file.h"
#include "app/logic/memory_editor.h"
#include "app/ui/scintilla_editor.h"
#include "app/ui/textform.h"
#include "bench/support/generated_program.h"

#include <Qsci/qsciscintilla.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

#include <string>

namespace {

const std::string& bigText()
{
    static const std::string text = [] {
        QString path = qEnvironmentVariable("ZORVAN_BIG_FILE");
        if (path.isEmpty())
            path = zorvan::bench::generatedProgramFile(1000000);
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return std::string();
        QByteArray bytes = file.readAll();
        return zorvan::readDocument(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
    }();
    return text;
}

bool haveBigText(benchmark::State& state)
{
    if (bigText().empty()) {
        state.SkipWithError("the big program cannot be read");
        return false;
    }
    return true;
}

void SetTextBaseline(benchmark::State& state)
{
    if (!haveBigText(state))
        return;
    QsciScintilla widget;
    zorvan::ScintillaEditor editor(&widget);
    widget.SendScintilla(QsciScintillaBase::SCI_SETUNDOCOLLECTION, 0UL);
    for (auto _ : state) {
        widget.SendScintilla(QsciScintillaBase::SCI_SETTEXT, 0UL, bigText().c_str());
        benchmark::DoNotOptimize(widget.SendScintilla(QsciScintillaBase::SCI_GETLENGTH));
    }
}

void ColourAllBig(benchmark::State& state)
{
    if (!haveBigText(state))
        return;
    zorvan::TFormText form;
    form.resize(900, 600);
    form.show();
    form.editor().setText(bigText());
    for (auto _ : state) {
        state.PauseTiming();
        form.Memo1->SendScintilla(QsciScintillaBase::SCI_CLEARDOCUMENTSTYLE);
        state.ResumeTiming();
        form.ColourAll();
    }
    form.editor().setModified(false);
}

void typeAndDelete(QWidget* target)
{
    for (auto [key, text] : {std::pair{Qt::Key_X, QStringLiteral("x")}, std::pair{Qt::Key_Backspace, QString()}}) {
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(target, &release);
        QApplication::processEvents();
    }
}

// range(0): 1 for the big text (caret at line 900,000), 0 for the 10-line text.
void TypeCharacter(benchmark::State& state)
{
    if (!haveBigText(state))
        return;
    const bool big = state.range(0) != 0;
    const int line = big ? 900'000 : 5;
    zorvan::TFormText form;
    form.resize(900, 600);
    form.show();
    if (big) {
        form.editor().setText(bigText());
    } else {
        zorvan::MemoryEditor whole(bigText());
        long from = whole.positionFromLine(900'000 - 5);
        form.editor().setText(whole.textRange(from, whole.positionFromLine(900'000 + 5) - from));
    }
    form.ColourAll();
    long at = form.editor().positionFromLine(line) + 6;
    form.editor().setCaret(at);
    form.editor().scrollCaretIntoView();
    form.Memo1->setFocus();
    QApplication::processEvents();
    for (auto _ : state)
        typeAndDelete(form.Memo1);
    form.editor().setModified(false);
}

}  // namespace

BENCHMARK(SetTextBaseline)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(ColourAllBig)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(TypeCharacter)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
