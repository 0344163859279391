// The two editors against each other: random sequences of edits, commands, groups, undo, redo,
// saves, loads and trims run on both, and their text, modified flag and undo state agree after
// every step.
#include "app/logic/memory_editor.h"
#include "app/ui/scintilla_editor.h"

#include <Qsci/qsciscintilla.h>

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <stdexcept>

using namespace zorvan;

namespace {

class Sequence {
public:
    explicit Sequence(unsigned seed) : random_(seed) {}

    int below(int n) { return n <= 0 ? 0 : std::uniform_int_distribution<int>(0, n - 1)(random_); }

    // A short line of NC words, now and then Japanese or empty.
    std::string line()
    {
        static const char* words[] = {"G00", "G01", "X1.", "Y-2.5", "Z0", "F100", "(日本)", "M30", "N10", "%"};
        std::string out;
        for (int n = below(4); n > 0; --n)
            out += words[below(10)];
        return out;
    }
    std::string lines(int count, bool finalBreak)
    {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += line();
            if (i + 1 < count || finalBreak)
                out += "\r\n";
        }
        return out;
    }

private:
    std::mt19937 random_;
};

struct Pair {
    MemoryEditor memory;
    QsciScintilla widget;
    ScintillaEditor scintilla{&widget};

    template <typename Op> void both(Op&& op)
    {
        op(static_cast<TextEditor&>(memory));
        op(static_cast<TextEditor&>(scintilla));
    }
};

}  // namespace

TEST(EditorHistory, BothEditorsAgreeAfterEveryStepOfRandomSequences)
{
    constexpr int kSequences = 1500;
    constexpr int kSteps = 24;
    int trims = 0;  // the sequences reach the history's bound often enough to matter
    for (int seed = 1; seed <= kSequences; ++seed) {
        Sequence random(static_cast<unsigned>(seed));
        Pair pair;
        pair.both([](TextEditor& e) { e.setHistoryFloor(0); });
        pair.memory.setStepsDroppedHandler([&] { ++trims; });
        const std::string start = random.lines(1 + random.below(5), random.below(2) == 0);
        pair.both([&](TextEditor& e) {
            e.setText(start);
            e.setModified(false);
        });
        std::ostringstream done;  // the steps so far, for the failure message
        for (int step = 0; step < kSteps; ++step) {
            const int lines = pair.memory.lineCount();
            const int kind = random.below(14);
            done << kind << ' ';
            switch (kind) {
            case 0: {  // typing: a selection within a line replaced (never half a line break)
                const int index = random.below(std::max(lines, 1));
                const long lineLength = countCharacters(pair.memory.line(index));
                const long column = random.below(static_cast<int>(lineLength) + 1);
                const long at = pair.memory.positionFromLine(index) + column;
                const long size = random.below(static_cast<int>(lineLength - column) + 1) % 4;
                const std::string typed = random.below(3) == 0 ? "\r\n" : random.line();
                pair.both([&](TextEditor& e) {
                    e.setSelection(at, size);
                    e.replaceSelection(typed);
                });
                break;
            }
            case 1: {  // a command on one line
                const int index = random.below(std::max(lines, 1));
                const std::string text = random.line();
                pair.both([&](TextEditor& e) { e.replaceLine(index, text); });
                break;
            }
            case 2: {  // a command on some lines
                const int first = random.below(lines + 1);
                const int count = random.below(lines - first + 1);
                const std::string text = random.lines(random.below(3), true);
                pair.both([&](TextEditor& e) { e.replaceLinesText(first, count, text); });
                break;
            }
            case 3:
            case 4: {  // a whole-text command
                if (lines == 0)
                    break;
                const std::string text = random.lines(1 + random.below(6), random.below(2) == 0) + "N1";
                pair.both([&](TextEditor& e) { e.replaceLinesText(0, e.lineCount(), text); });
                break;
            }
            case 5: {  // a command that changes nothing
                const int index = random.below(std::max(lines, 1));
                pair.both([&](TextEditor& e) { e.replaceLine(index, e.line(index)); });
                break;
            }
            case 6: {  // a command of several changes, or one that fails half-way
                const bool fails = random.below(3) == 0;
                const std::string a = random.line(), b = random.line();
                pair.both([&](TextEditor& e) {
                    try {
                        UndoStep group(e);
                        e.replaceLine(0, a);
                        e.setCaret(e.length());
                        e.replaceSelection(b);
                        if (fails)
                            throw std::runtime_error("failed");
                    } catch (const std::runtime_error&) {
                    }
                });
                break;
            }
            case 7:
            case 8:
            case 9:
                pair.both([](TextEditor& e) { e.undo(); });
                break;
            case 10:
                pair.both([](TextEditor& e) { e.redo(); });
                break;
            case 11:  // a save
                pair.both([](TextEditor& e) { e.setModified(false); });
                break;
            case 12: {  // a load
                const std::string text = random.lines(random.below(5), random.below(2) == 0);
                pair.both([&](TextEditor& e) { e.setText(text); });
                if (random.below(2) == 0)
                    pair.both([](TextEditor& e) { e.setModified(false); });
                break;
            }
            case 13:
                pair.both([](TextEditor& e) { e.clearUndoHistory(); });
                break;
            }
            ASSERT_EQ(pair.memory.text(), pair.scintilla.text()) << "seed " << seed << ", steps " << done.str();
            ASSERT_EQ(pair.memory.isModified(), pair.scintilla.isModified()) << "seed " << seed << ", steps " << done.str();
            ASSERT_EQ(pair.memory.canUndo(), pair.scintilla.canUndo()) << "seed " << seed << ", steps " << done.str();
            ASSERT_EQ(pair.memory.canRedo(), pair.scintilla.canRedo()) << "seed " << seed << ", steps " << done.str();
        }
    }
    EXPECT_GT(trims, kSequences / 10);
}
