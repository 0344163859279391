// The axis swap on the in-memory editor.
#include "nc/logic/axis_swap.h"

#include "app/logic/colouring.h"
#include "app/logic/memory_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>

namespace zorvan::nc {
namespace {

struct SwapCase {
    const char* before;
    char a, b;
    const char* after;
};

TEST(AxisSwap, WholeText)
{
    const SwapCase cases[] = {
        // Worked examples.
        {"G01X10.Y-5.", 'X', 'Y', "G01Y10.X-5."},
        {"X.5Y.5", 'X', 'Y', "Y.5X.5"},
        {"G65P9000X#101", 'X', 'Y', "G65P9000Y#101"},
        {"(MAX)", 'X', 'Y', "(MAX)"},
        {"G00Z5.", 'Z', '-', "G00Z-5."},
        {"G01Z-2.", 'Z', '-', "G01Z2."},
        {"Z[#1+2]", 'Z', '-', "Z-[#1+2]"},
        {"Z+3.", 'Z', '-', "Z-+3."},
        // Edge cases.
        {"(--)", 'X', 'Y', "()"},                 // every "--" goes, in both modes
        {"(--)X1", 'X', '-', "()X-1"},
        {"A----B---C", 'X', 'Y', "AB-C"},
        {"@X1Y2", 'X', 'Y', "YY1X2"},             // an "@" already there is taken for a marker
        {"@Z1", 'Z', '-', "ZZ-1"},
        {"x1y2X1", 'X', 'Y', "x1y2Y1"},           // lower case never touched
        {"MAX-1", 'X', 'Y', "MAY-1"},             // a letter inside a word with a sign after it
        {"XX1.", 'X', 'Y', "XX1."},               // the second X is passed over unseen
        {"X1\r\nX", 'X', 'Y', "Y1\r\nX"},         // a letter at the very end is no word start
        {"X1\r\nY2\r\nZ3", 'X', 'Z', "Z1\r\nY2\r\nX3"},
        {"日本X1語Y2", 'X', 'Y', "日本Y1語X2"},
        // I, J, K and R act on their own letters.
        {"G02X1.Y2.I3.J4.", 'I', 'J', "G02X1.Y2.J3.I4."},
        {"G02X1.R5.", 'R', '-', "G02X1.R-5."},
        {"G02K1.", 'K', 'Z', "G02Z1."},
        // Equal choices change nothing.
        {"X1Y2", 'X', 'X', "X1Y2"},
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.before);
        editor.setModified(false);
        swapAxes(editor, c.a, c.b, {false, true}, Recolour::WrittenLines, SwapWords::LettersOnly);
        EXPECT_EQ(editor.text(), c.after) << c.before << " " << c.a << c.b;
        EXPECT_EQ(editor.isModified(), std::string(c.before) != c.after) << c.before;
    }
}

TEST(AxisSwap, RangeAndWhereTheCaretEnds)
{
    struct Case {
        const char* before;
        char a, b;
        CommandRange range;
        long selStart, selLength;  // selection (or caret) before
        const char* after;
        long endStart, endLength;  // selection (or caret) after
    } cases[] = {
        // From the caret to the end; without "--" the caret goes back to the range start.
        {"X1\r\nX2\r\nX3", 'X', 'Y', {false, false}, 4, 0, "X1\r\nY2\r\nY3", 4, 0},
        // Whole file ignores the caret; the caret stands where the last "--" went.
        {"X1\r\nX-2\r\nX3", 'X', '-', {false, true}, 4, 0, "X-1\r\nX2\r\nX-3", 6, 0},
        // A selection from mid-line to mid-line: the end moves with the length change.
        {"X1Y1\r\nX2Y2\r\nX3Y3", 'X', '-', {true, false}, 2, 7, "X1Y1\r\nX-2Y2\r\nX3Y3", 2, 8},
        // The last selected letter counts by the character after the selection.
        {"Z1X2", 'X', 'Y', {true, false}, 0, 3, "Z1Y2", 0, 3},
        // A "--" reaching past the selection stays.
        {"X-1--", 'X', '-', {true, false}, 0, 4, "X1--", 0, 3},
        // Nothing selected in selection mode: nothing happens.
        {"X1", 'X', 'Y', {true, false}, 1, 0, "X1", 1, 0},
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.before);
        editor.setSelection(c.selStart, c.selLength);
        swapAxes(editor, c.a, c.b, c.range, Recolour::WrittenLines, SwapWords::LettersOnly);
        EXPECT_EQ(editor.text(), c.after) << c.before;
        EXPECT_EQ(editor.selectionStart(), c.endStart) << c.before;
        EXPECT_EQ(editor.selectionLength(), c.endLength) << c.before;
    }
}

TEST(AxisSwap, ColoursTheLinesOfTheRangeWithTheLinePass)
{
    MemoryEditor editor("N10X1\r\nN20Y2");
    swapAxes(editor, 'X', 'Y', {false, true});
    MemoryEditor expected("N10Y1\r\nN20X2");
    colouring::ColourLines(expected, 0, 1);
    for (long pos = 0; pos < expected.length(); ++pos)
        EXPECT_EQ(editor.colourAt(pos), expected.colourAt(pos)) << pos;
    EXPECT_EQ(editor.colourAt(0), TextColour::Blue);
}

// The four passes as a machinist would run them by hand: search, look at the character after
// the letter, replace, search on. The command's one sweep must give exactly this.
struct ByHand {
    std::string text;
    char follow;
    long caret = 0;

    bool startsWordAt(std::size_t i) const
    {
        const char c = i < text.size() ? text[i] : follow;
        return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == '#' || c == '[';
    }
    void pass(std::string_view what, const std::function<std::string(std::size_t)>& act)
    {
        std::size_t from = 0;
        for (;;) {
            const std::size_t at = text.find(what, from);
            if (at == std::string::npos)
                return;
            std::string with = act(at);
            if (with == "\x01") {  // not a word start: pass over the follower
                from = at + 2;
                continue;
            }
            text.replace(at, what.size(), with);
            from = at + with.size();
            caret = static_cast<long>(from);
        }
    }
    void run(char a, char b)
    {
        const bool reversal = b == '-';
        const std::string sa(1, a), s(1, reversal ? a : b);
        pass(sa, [&](std::size_t at) { return startsWordAt(at + 1) ? std::string(reversal ? "@-" : "@") : "\x01"; });
        pass(s, [&](std::size_t at) { return startsWordAt(at + 1) ? sa : "\x01"; });
        pass("@", [&](std::size_t) { return s; });
        caret = 0;
        pass("--", [&](std::size_t) { return std::string(); });
    }
};

TEST(AxisSwap, OneSweepGivesWhatTheFourPassesGive)
{
    std::mt19937 random(11);
    const std::string alphabet = "XYZXY--@.1#[+(A)";
    const std::pair<char, char> choices[] = {{'X', 'Y'}, {'Y', 'X'}, {'X', '-'}, {'Z', '-'}, {'A', 'Z'}};
    for (int round = 0; round < 20000; ++round) {
        std::string text;
        const int length = static_cast<int>(random() % 12);
        for (int i = 0; i < length; ++i)
            text += alphabet[random() % alphabet.size()];
        const char follow = "\0" "1X-"[random() % 4];
        for (auto [a, b] : choices) {
            ByHand expected{text, follow};
            expected.run(a, b);
            const SwapPassesResult swept = swapPasses(text, follow, a, b);
            ASSERT_EQ(swept.text, expected.text) << text << " follow " << follow << " " << a << b;
            ASSERT_EQ(swept.lastDeletion < 0 ? 0 : swept.lastDeletion, expected.caret) << text << " " << a << b;
        }
    }
}

TEST(AxisSwap, LongTextSplitIntoPiecesGivesTheSameAsOnePiece)
{
    // Pieces are cut at line breaks; the passes' result must not depend on where.
    std::string text;
    for (int i = 0; i < 40000; ++i)
        text += "N" + std::to_string(i) + "G01X" + std::to_string(i % 7) + ".Y-" + std::to_string(i % 5) + "--Z@\r\n";
    const SwapPassesResult whole = swapPasses(text, '\0', 'X', 'Y');
    MemoryEditor editor(text);
    swapAxes(editor, 'X', 'Y', {false, true}, Recolour::None, SwapWords::LettersOnly);
    EXPECT_EQ(editor.text(), whole.text);
    EXPECT_EQ(editor.caret(), whole.lastDeletion);
}

}  // namespace
}  // namespace zorvan::nc
