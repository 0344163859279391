// The extreme value search on the in-memory editor.
#include "nc/logic/extreme_search.h"

#include "app/logic/memory_editor.h"

#include <gtest/gtest.h>

namespace zorvan::nc {
namespace {

const char* const kWorkedExample = "G00Z50.\r\nG01Z-2.5F100\r\nZ-10.\r\nZ10.";

struct ExtremeCase {
    const char* text;
    char letter;
    ExtremeMethod method;
    const char* word;  // nullptr: none
    int line;
};

TEST(ExtremeSearch, WholeText)
{
    const ExtremeCase cases[] = {
        {kWorkedExample, 'Z', ExtremeMethod::Max, "Z50.", 0},
        {kWorkedExample, 'Z', ExtremeMethod::Min, "Z-10.", 2},
        {kWorkedExample, 'Z', ExtremeMethod::AbsMax, "Z50.", 0},
        {kWorkedExample, 'Z', ExtremeMethod::AbsMin, "Z-2.5", 1},
        {"X5.\r\nX-5.", 'X', ExtremeMethod::AbsMax, "X5.", 0},  // equal magnitudes: the earliest
        {"X5.\r\nX-5.", 'X', ExtremeMethod::AbsMin, "X5.", 0},
        {"(X10 IS MAX)\r\nX2.", 'X', ExtremeMethod::Max, "X2.", 1},   // a comment holds no word
        {"G01X1.(X9)X2.;X8\r\n(X7\r\nX3.", 'X', ExtremeMethod::Max, "X3.", 2},
        {"x99\r\nX1", 'X', ExtremeMethod::Max, "X1", 1},           // lower case is not found
        {"X.5X5.X-.5", 'X', ExtremeMethod::Min, "X-.5", 0},
        // Runs that are not one number are passed over and the search goes on.
        {"X-\r\nX1-2\r\nX1.2.3\r\nX3", 'X', ExtremeMethod::Max, "X3", 3},
        {"X-\r\nX1-2", 'X', ExtremeMethod::Max, nullptr, 0},
        {"XX9X1", 'X', ExtremeMethod::Max, "X1", 0},  // the X after a bare X is passed over
        {"G01Y1.", 'X', ExtremeMethod::Max, nullptr, 0},
        {"", 'X', ExtremeMethod::Max, nullptr, 0},
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.text);
        auto found = findExtreme(editor, c.letter, c.method, {false, true});
        ASSERT_EQ(found.has_value(), c.word != nullptr) << c.text;
        if (!found)
            continue;
        EXPECT_EQ(editor.textRange(found->start, found->length), c.word) << c.text;
        EXPECT_EQ(found->line, c.line) << c.text;
    }
}

TEST(ExtremeSearch, Ranges)
{
    const char* const text = "Z9.\r\nZ1.\r\nZ12345\r\nZ3";
    struct Case {
        CommandRange range;
        long selStart, selLength;
        const char* word;
        const char* text;
    } cases[] = {
        {{false, false}, 5, 0, "Z12345", text},  // from the caret
        {{false, true}, 5, 0, "Z12345", text},   // whole file
        {{true, false}, 5, 6, "Z12345", text},   // a letter inside the selection counts with its whole run
        {{true, false}, 0, 8, "Z9.", text},
        {{false, false}, 18, 0, "Z3", text},
        {{true, false}, 0, 3, "Z1", "Z1 Z9"},   // a larger value behind the selection is not seen
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.text);
        editor.setSelection(c.selStart, c.selLength);
        auto found = findExtreme(editor, 'Z', ExtremeMethod::Max, c.range);
        ASSERT_TRUE(found) << c.selStart;
        EXPECT_EQ(editor.textRange(found->start, found->length), c.word) << c.selStart;
    }
}

TEST(ExtremeSearch, StrictNumbers)
{
    struct Case {
        const char* run;
        bool valid;
        double value;
    } cases[] = {
        {"-12.5", true, -12.5}, {".5", true, 0.5},  {"5.", true, 5},    {"-.5", true, -0.5},
        {"-", false, 0},        {".", false, 0},    {"1-2", false, 0},  {"1.2.3", false, 0},
        {"--5", false, 0},      {"", false, 0},     {"007", true, 7},
    };
    for (const auto& c : cases) {
        auto value = strictNumberValue(c.run);
        EXPECT_EQ(value.has_value(), c.valid) << c.run;
        if (value && c.valid) {
            EXPECT_EQ(*value, c.value) << c.run;
        }
    }
}

TEST(ExtremeSearch, LongTextMergesThePiecesInOrder)
{
    struct Case {
        const char* what;
        int every, at;  // "Z7." on the lines i with i % every == at, "Z-1." elsewhere
        int line;
    } cases[] = {
        {"the same best value in many pieces: the earliest wins", 9000, 4321, 4321},
        {"the best value in one middle piece only", 60000, 45000, 45000},
    };
    for (const auto& c : cases) {
        std::string text;
        for (int i = 0; i < 60000; ++i)
            text += "N" + std::to_string(i) + "Z" + (i % c.every == c.at ? "7." : "-1.") + "日\r\n";
        MemoryEditor editor(text);
        auto found = findExtreme(editor, 'Z', ExtremeMethod::Max, {false, true});
        ASSERT_TRUE(found) << c.what;
        EXPECT_EQ(found->line, c.line) << c.what;
        EXPECT_EQ(editor.textRange(found->start, found->length), "Z7.") << c.what;
    }
}

}  // namespace
}  // namespace zorvan::nc
