// Find and replace on the in-memory editor.
#include "nc/logic/find_replace.h"

#include "app/logic/colouring.h"
#include "app/logic/memory_editor.h"

#include <gtest/gtest.h>

#include <deque>

namespace zorvan::nc {
namespace {

const char* const kExample = "G01X1.X2.X3.";

// Answers the question from a script and counts how often it was asked.
struct ScriptedAnswers {
    std::deque<ReplaceAnswer> answers;
    int asked = 0;
    std::function<ReplaceAnswer()> callback()
    {
        return [this] {
            ++asked;
            ReplaceAnswer answer = answers.empty() ? ReplaceAnswer::Yes : answers.front();
            if (!answers.empty())
                answers.pop_front();
            return answer;
        };
    }
};

SearchState replacing(const char* what, const char* with, bool all, bool confirm = false)
{
    SearchState state;
    state.searchText = what;
    state.replacementText = with;
    state.lastKind = SearchState::Kind::Replace;
    state.replaceAll = all;
    state.confirm = confirm;
    return state;
}

TEST(FindReplace, FindStep)
{
    struct Case {
        const char* text;
        const char* what;
        long selStart, selLength;
        bool fromTop;
        long found;  // -1: not found
    } cases[] = {
        {kExample, "X", 0, 0, false, 3},
        {kExample, "X", 4, 0, false, 6},
        {kExample, "X", 3, 1, false, 6},    // behind a selection, such as the last match
        {kExample, "X1", 4, 0, false, -1},  // no wrap-around
        {kExample, "X1", 4, 0, true, 3},    // from the top
        {kExample, "x", 0, 0, true, -1},    // case-sensitive
        {kExample, "X3.", 0, 0, false, 9},  // ends at the end of the text
        {kExample, "", 0, 0, true, -1},     // an empty search text finds nothing
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.text);
        editor.setSelection(c.selStart, c.selLength);
        EXPECT_EQ(findStep(editor, c.what, c.fromTop), c.found >= 0) << c.what;
        if (c.found >= 0) {
            EXPECT_EQ(editor.selectionStart(), c.found) << c.what;
            EXPECT_EQ(editor.selectionLength(), countCharacters(c.what)) << c.what;
        } else {
            EXPECT_EQ(editor.selectionStart(), c.selStart) << c.what;
        }
    }
}

TEST(FindReplace, OneAtATimeThenFindNext)
{
    MemoryEditor editor(kExample);
    SearchState state = replacing("X", "Y", false);
    ScriptedAnswers none;
    const char* steps[] = {"G01Y1.X2.X3.", "G01Y1.Y2.X3.", "G01Y1.Y2.Y3."};
    for (const char* expected : steps) {
        ReplaceOutcome outcome = replaceStep(editor, state, false, none.callback());
        EXPECT_EQ(outcome.end, ReplaceOutcome::End::Stopped);
        EXPECT_EQ(editor.text(), expected);
    }
    EXPECT_EQ(editor.caret(), 10);  // behind the last Y
    EXPECT_EQ(replaceStep(editor, state, false, none.callback()).end, ReplaceOutcome::End::NotFound);
    EXPECT_EQ(none.asked, 0);
}

TEST(FindReplace, ReplaceAllWithoutQuestion)
{
    struct Case {
        const char* text;
        const char* what;
        const char* with;
        long caret;
        bool fromTop;
        const char* after;
        long count;
        long caretAfter;
    } cases[] = {
        {kExample, "X", "Y", 0, false, "G01Y1.Y2.Y3.", 3, 10},
        {kExample, "X", "XX", 0, false, "G01XX1.XX2.XX3.", 3, 13},  // no loop
        {kExample, "X3.", "", 0, false, "G01X1.X2.", 1, 9},           // a match at the very end
        {kExample, "X", "Y", 5, false, "G01X1.Y2.Y3.", 2, 10},        // from the caret
        {kExample, "X", "Y", 5, true, "G01Y1.Y2.Y3.", 3, 10},
        {kExample, "x", "Y", 0, true, kExample, 0, 0},
        {kExample, "", "Y", 0, true, kExample, 0, 0},                 // never matches
        {"G01X1.\r\nG01Y1.\r\nM30", "G01", "G1", 0, false, "G1X1.\r\nG1Y1.\r\nM30", 2, 9},
        {"A\r\nB\r\nC", "\r\n", "", 0, false, "ABC", 2, 2},           // matches across breaks
        {"A\r\nB", "A\r", "", 0, false, "\nB", 1, 0},
        {"日本X1\r\n語X2", "X", "ＸＸ", 0, false, "日本ＸＸ1\r\n語ＸＸ2", 2, 10},
    };
    for (const auto& c : cases) {
        MemoryEditor editor(c.text);
        editor.setModified(false);
        editor.setCaret(c.caret);
        SearchState state = replacing(c.what, c.with, true);
        ScriptedAnswers none;
        ReplaceOutcome outcome = replaceStep(editor, state, c.fromTop, none.callback());
        EXPECT_EQ(outcome.end, ReplaceOutcome::End::NotFound) << c.text << " " << c.what;
        EXPECT_EQ(outcome.replaced, c.count) << c.text << " " << c.what;
        EXPECT_EQ(editor.text(), c.after) << c.text << " " << c.what;
        EXPECT_EQ(editor.isModified(), c.count > 0) << c.text << " " << c.what;
        if (c.count > 0)
            EXPECT_EQ(editor.caret(), c.caretAfter) << c.text << " " << c.what;
        else
            EXPECT_EQ(editor.caret(), c.caret) << c.text << " " << c.what;
    }
}

TEST(FindReplace, AnswersToTheQuestion)
{
    using A = ReplaceAnswer;
    struct Case {
        std::deque<ReplaceAnswer> answers;
        bool all;
        const char* after;
        ReplaceOutcome::End end;
        int asked;
        long selStart, selLength;
        long replaced;
    } cases[] = {
        {{A::Yes}, false, "G01Y1.X2.X3.", ReplaceOutcome::End::Stopped, 1, 4, 0, 1},
        {{A::No}, false, kExample, ReplaceOutcome::End::Stopped, 1, 3, 1, 0},  // the match stays selected
        {{A::Cancel}, true, kExample, ReplaceOutcome::End::Cancelled, 1, 3, 1, 0},
        {{A::Yes, A::Cancel}, true, "G01Y1.X2.X3.", ReplaceOutcome::End::Cancelled, 2, 6, 1, 1},
        {{A::No, A::Yes, A::No}, true, "G01X1.Y2.X3.", ReplaceOutcome::End::NotFound, 3, 9, 1, 1},
        {{A::Yes, A::No, A::Yes}, true, "G01Y1.X2.Y3.", ReplaceOutcome::End::NotFound, 3, 10, 0, 2},
        // All part-way turns the rest into a replace-all that still asks.
        {{A::All, A::No, A::Yes}, false, "G01Y1.X2.Y3.", ReplaceOutcome::End::NotFound, 3, 10, 0, 2},
        {{A::All, A::Cancel}, false, "G01Y1.X2.X3.", ReplaceOutcome::End::Cancelled, 2, 6, 1, 1},
    };
    for (auto& c : cases) {
        MemoryEditor editor(kExample);
        SearchState state = replacing("X", "Y", c.all, true);
        ScriptedAnswers script;
        script.answers = c.answers;
        ReplaceOutcome outcome = replaceStep(editor, state, false, script.callback());
        EXPECT_EQ(outcome.end, c.end) << c.after;
        EXPECT_EQ(editor.text(), c.after);
        EXPECT_EQ(script.asked, c.asked) << c.after;
        EXPECT_EQ(editor.selectionStart(), c.selStart) << c.after;
        EXPECT_EQ(editor.selectionLength(), c.selLength) << c.after;
        EXPECT_EQ(outcome.replaced, c.replaced) << c.after;
    }
}

TEST(FindReplace, ReplaceAllColoursTheLinesItTouches)
{
    MemoryEditor editor("N1X1\r\nN2G01\r\nN3G01");
    editor.setColour(0, 4, TextColour::Red);  // untouched line keeps its colour
    SearchState state = replacing("G01", "G1", true);
    replaceStep(editor, state, true, [] { return ReplaceAnswer::Yes; });
    EXPECT_EQ(editor.colourAt(0), TextColour::Red);
    MemoryEditor expected("N1X1\r\nN2G1\r\nN3G1");
    colouring::ColourLines(expected, 1, 2);
    for (long pos = 6; pos < expected.length(); ++pos)
        EXPECT_EQ(editor.colourAt(pos), expected.colourAt(pos)) << pos;
}

}  // namespace
}  // namespace zorvan::nc
