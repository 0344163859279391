#include "app/logic/colouring.h"
#include "app/logic/memory_editor.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using zorvan::MemoryEditor;
using zorvan::TextColour;
namespace colouring = zorvan::colouring;

// The colours of line `index` as one letter per character: . default, r red, b blue, g green.
std::string coloursOfLine(const MemoryEditor& e, int index)
{
    std::string out;
    long start = e.positionFromLine(index);
    long chars = zorvan::countCharacters(e.line(index));
    for (long i = 0; i < chars; ++i) {
        switch (e.colourAt(start + i)) {
        case TextColour::Default: out += '.'; break;
        case TextColour::Red: out += 'r'; break;
        case TextColour::Blue: out += 'b'; break;
        case TextColour::Green: out += 'g'; break;
        }
    }
    return out;
}

std::string afterWholeTextPass(const std::string& line)
{
    MemoryEditor e(line);
    colouring::ColourAll(e);
    return coloursOfLine(e, 0);
}

// The line pass as it runs after an edit: the caret somewhere in the line.
std::string afterLinePass(const std::string& line)
{
    MemoryEditor e(line);
    e.setCaret(zorvan::countCharacters(line));
    colouring::ColourCaretLine(e);
    return coloursOfLine(e, 0);
}

TEST(TokenLength, CountsCommentsNumbersAndTheMinusRule)
{
    struct Case {
        const char* text;
        long pos;
        long length;
    } cases[] = {
        {"(ABC)", 0, 5},
        {"(ABC)D", 0, 5},
        {"(AB\r\nC)", 0, 4},    // an unclosed comment runs to the end of its line, CR included
        {"(\r\nX", 0, 2},       // "(" right before the break: the CR is its only follower
        {"(ABC", 0, 4},         // end of text
        {"(日本)", 0, 4},        // characters, not bytes
        {"N10", 0, 3},
        {"N10.5X", 0, 5},
        {"N.5", 0, 3},
        {"N1-5", 0, 3},         // one digit, then "-": taken, and the count stops
        {"N-5", 0, 1},          // no digit before the "-"
        {"N12-5", 0, 3},        // two digits: the "-" is not taken
        {"NE", 0, 1},
        {"X", 0, 1},
        {"G01X1.", 3, 3},
        {"AB", 5, 0},           // outside the text
    };
    for (const auto& c : cases) {
        MemoryEditor e(c.text);
        EXPECT_EQ(colouring::TokenLength(e, c.pos), c.length) << c.text << " at " << c.pos;
    }
}

TEST(ColourPasses, WorkedExamplesOfBothPasses)
{
    struct Case {
        const char* line;
        const char* wholeText;
        const char* linePass;
    } cases[] = {
        {"O1000 (MAIN)", "rrrrr.gggggg", "rrrrr.gggggg"},
        {"G01 X10. N20", ".........bbb", ".........bbb"},
        {"G01 L5", "......", "....rr"},            // L only at a line start in the whole pass
        {"N10.5", "bbbbb", "bbb.."},               // points only in the whole pass
        {"N1-5", "bbb.", "bb.."},                  // the "-" rule only in the whole pass
        {"(A)(B)", "gggggg", "gggggg"},
        {"(A)N10", "gggbbb", "gggbbb"},
        {"(ABC", "gggg", "gggg"},                  // unclosed, no final break
        {"(N10 L20)", "ggggggggg", "ggggggggg"},   // letters inside a comment are no tokens
        {"#1=#2 NE 3", "..........", ".........."},
        {":123", "rrrr", "rrrr"},
        {"X1:2", "....", "..rr"},
        {"N", ".", "."},
        {"G01)X", ".....", "....."},               // ")" without "(" colours nothing
        {"X1(", "...", "..."},                     // a lone "(" at the end is no comment
        {"N1(", "bb.", "bb."},
        {"日本N10(コメント)", "..bbbgggggg", "..bbbgggggg"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(afterWholeTextPass(c.line), c.wholeText) << "whole text: " << c.line;
        EXPECT_EQ(afterLinePass(c.line), c.linePass) << "line pass: " << c.line;
    }
}

TEST(ColourAll, ColoursEveryLineAndRecognisesLabelsOnlyAtLineStart)
{
    MemoryEditor e("%\r\nO1000 (MAIN)\r\n#1=#2 NE 3\r\nN10 G01 L5\r\nL7(A\r\n:12");
    colouring::ColourAll(e);
    EXPECT_EQ(coloursOfLine(e, 0), ".");
    EXPECT_EQ(coloursOfLine(e, 1), "rrrrr.gggggg");
    EXPECT_EQ(coloursOfLine(e, 2), "..........");
    EXPECT_EQ(coloursOfLine(e, 3), "bbb.......");
    EXPECT_EQ(coloursOfLine(e, 4), "rrgg");
    EXPECT_EQ(e.colourAt(e.positionFromLine(4) + 4), TextColour::Green);  // the CR of the open comment
    EXPECT_EQ(coloursOfLine(e, 5), "rrr");
}

TEST(ColourAll, LeavesTheLastTokenSelectedOrTheCaretAtTheEnd)
{
    MemoryEditor e("N10 X1\r\n(A) X2");
    colouring::ColourAll(e);
    EXPECT_EQ(e.selectionStart(), 8);
    EXPECT_EQ(e.selectionLength(), 3);

    MemoryEditor plain("X1\r\nY2");
    colouring::ColourAll(plain);
    EXPECT_EQ(plain.selectionStart(), 6);
    EXPECT_EQ(plain.selectionLength(), 0);
}

TEST(ColourAll, KeepsColoursOutsideTokensAndRaisesNoChange)
{
    MemoryEditor e("X1 N10 Y2");
    e.setColour(0, 2, TextColour::Red);
    e.setModified(false);
    int changes = 0;
    e.setChangeHandler([&](const zorvan::TextChange&) { ++changes; });
    colouring::ColourAll(e);
    EXPECT_EQ(coloursOfLine(e, 0), "rr.bbb...");
    EXPECT_EQ(changes, 0);
    EXPECT_FALSE(e.isModified());
    EXPECT_FALSE(e.changesColoured());
}

TEST(ColourCaretLine, ResetsOnlyTheCaretLineAndKeepsTheSelection)
{
    MemoryEditor e("N10 X1\r\nX2 Y3\r\nN20");
    e.setColour(0, e.length(), TextColour::Red);
    e.setSelection(9, 2);
    colouring::ColourCaretLine(e);
    EXPECT_EQ(coloursOfLine(e, 0), "rrrrrr");
    EXPECT_EQ(coloursOfLine(e, 1), ".....");
    EXPECT_EQ(coloursOfLine(e, 2), "rrr");
    EXPECT_EQ(e.selectionStart(), 9);
    EXPECT_EQ(e.selectionLength(), 2);
}

TEST(ColourCaretLine, TypingAClosingParenthesisWithoutOpeningChangesNothing)
{
    MemoryEditor e("N10 X1");
    colouring::ColourAll(e);
    e.setCaret(6);
    e.replaceSelection(")");
    colouring::ColourCaretLine(e);
    EXPECT_EQ(coloursOfLine(e, 0), "bbb....");
}

TEST(ColourLines, MatchesTheLinePassOnEachLineAndLeavesOthersAlone)
{
    const std::string text = "O1 (A)\r\nG01 L5\r\n\r\n日本 N10.5\r\n(open\r\nN7";
    MemoryEditor batch(text);
    batch.setColour(0, batch.length(), TextColour::Red);
    batch.setSelection(2, 3);
    colouring::ColourLines(batch, 1, 4);

    MemoryEditor oneByOne(text);
    oneByOne.setColour(0, oneByOne.length(), TextColour::Red);
    for (int line = 1; line <= 4; ++line) {
        oneByOne.setCaret(oneByOne.positionFromLine(line));
        colouring::ColourCaretLine(oneByOne);
    }
    for (int line = 0; line < batch.lineCount(); ++line)
        EXPECT_EQ(coloursOfLine(batch, line), coloursOfLine(oneByOne, line)) << line;
    EXPECT_EQ(coloursOfLine(batch, 0), "rrrrrr");
    EXPECT_EQ(coloursOfLine(batch, 1), "....rr");
    EXPECT_EQ(coloursOfLine(batch, 3), "...bbb..");
    EXPECT_EQ(coloursOfLine(batch, 5), "rr");
    EXPECT_EQ(batch.selectionStart(), 2);
    EXPECT_EQ(batch.selectionLength(), 3);
}

TEST(ColourLines, ClampsTheRange)
{
    MemoryEditor e("N1 X\r\nN2");
    colouring::ColourLines(e, -5, 99);
    EXPECT_EQ(coloursOfLine(e, 0), "bb..");
    EXPECT_EQ(coloursOfLine(e, 1), "bb");
    MemoryEditor empty;
    colouring::ColourLines(empty, 0, 3);
    EXPECT_EQ(empty.text(), "");
}

}  // namespace
