// The undo history every TextEditor implementation shares; part of the contract suite, included
// by editor_contract.h.
#pragma once

#include "app/logic/text_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace contract {

// What undo must bring back: text, colours (one letter per position), selection, modified flag.
struct EditorState {
    std::string text;
    std::string colours;
    long selStart = 0, selLength = 0;
    bool modified = false;
    bool operator==(const EditorState&) const = default;
};

inline EditorState stateOf(const zorvan::TextEditor& e)
{
    static const char letters[] = {'.', 'r', 'b', 'g'};
    EditorState s{e.text(), {}, e.selectionStart(), e.selectionLength(), e.isModified()};
    const long length = e.length();
    s.colours.reserve(static_cast<std::size_t>(length));
    for (long i = 0; i < length; ++i)
        s.colours += letters[static_cast<int>(e.colourAt(i))];
    return s;
}

inline std::ostream& operator<<(std::ostream& out, const EditorState& s)
{
    return out << "{" << (s.text.size() > 80 ? s.text.substr(0, 80) + "..." : s.text) << " | "
               << (s.colours.size() > 80 ? s.colours.substr(0, 80) + "..." : s.colours) << " | sel " << s.selStart
               << "+" << s.selLength << (s.modified ? " | modified}" : "}");
}

// A text of more than 1 MiB of numbered lines.
inline std::string bigProgram(const char* ending)
{
    std::string text;
    for (int i = 0; text.size() <= (1u << 20) + 100; ++i)
        text += "N" + std::to_string(i) + "G01X" + std::to_string(i % 97) + ".日\r\n";
    text += ending;
    return text;
}

using Edit = std::function<void(zorvan::TextEditor&)>;

}  // namespace contract

TYPED_TEST_P(EditorContract, EachChangeIsOneStepThatUndoesAndRedoes)
{
    using contract::piecesOf;
    struct Case {
        const char* name;
        std::string text;
        long selStart, selLength;
        contract::Edit edit;
    } cases[] = {
        {"a line, no final break", "N1\r\nX2\r\nN3", 1, 0, [](auto& e) { e.replaceLinesText(1, 1, "N20日\r\n"); }},
        {"a line, final break", "N1\r\nX2\r\nN3\r\n", 4, 2, [](auto& e) { e.replaceLinesText(2, 1, "X\r\nY\r\n"); }},
        {"lines removed", "N1\r\nX2\r\nN3", 0, 0, [](auto& e) { e.replaceLinesText(1, 1, ""); }},
        {"the last lines removed", "N1\r\nX2\r\nN3\r\n", 0, 0, [](auto& e) { e.replaceLinesText(1, 2, ""); }},
        {"lines added at the end", "N1\r\nX2", 2, 0, [](auto& e) { e.replaceLines(e.lineCount(), 0, {"N9", "日"}); }},
        {"lines inserted", "N1\r\nX2\r\n", 5, 0, [](auto& e) { e.replaceLines(1, 0, {"N5"}); }},
        {"selection, Japanese", "(日本)N1\r\nX2", 1, 5, [](auto& e) { e.replaceSelection("語\r\nN7"); }},
        {"selection into an empty text", "", 0, 0, [](auto& e) { e.replaceSelection("N1"); }},
        {"whole text from pieces, final break", "(A)\r\nX1\r\nN3\r\n", 2, 3,
         [](auto& e) { e.replaceLinesFromPieces(0, 3, piecesOf({"N1日\r\n", "N2\r\nX3\r\n"}), contract::blueNumbers); }},
        {"whole text from pieces, no final break", "(A)\r\nX1\r\nN3", 0, 0,
         [](auto& e) { e.replaceLinesFromPieces(0, 3, piecesOf({"N1\r\n", "N2\r\nX3\r\n"}), contract::blueNumbers); }},
        {"part from pieces", "(A)\r\nX1\r\nN3", 0, 0,
         [](auto& e) { e.replaceLinesFromPieces(1, 1, piecesOf({"N1\r\n", "N2\r\n"}), contract::blueNumbers); }},
        {"whole text adopted", "N1\r\n日本\r\n", 3, 1, [](auto& e) { e.adoptLinesText(0, 2, "X1\r\nX2\r\n"); }},
        {"whole text replaced", "N1\r\nN2", 1, 1, [](auto& e) { e.replaceText("G00\r\n(日)"); }},
        {"big whole text, final break", contract::bigProgram(""), 10, 20,
         [](auto& e) { e.replaceLinesText(0, e.lineCount(), contract::bigProgram("X1")); }},
        {"big whole text, no final break", contract::bigProgram("N1"), 10, 0,
         [](auto& e) { e.replaceLinesFromPieces(0, e.lineCount(), piecesOf({contract::bigProgram("")}), nullptr); }},
        // Afterwards the text is empty, and its step alone is past the history's bound.
        {"big whole text deleted", contract::bigProgram(""), 0, 1L << 30, [](auto& e) { e.replaceSelection(""); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = this->make(c.text);
        if (e->length() > 0) {
            e->setColour(0, 1, TextColour::Red);
            e->setColour(1, 2, TextColour::Green);
            e->setColour(e->length() - 1, 1, TextColour::Blue);
        }
        e->setSelection(c.selStart, c.selLength);
        EXPECT_FALSE(e->canUndo());
        const contract::EditorState before = contract::stateOf(*e);
        c.edit(*e);
        const contract::EditorState after = contract::stateOf(*e);
        ASSERT_NE(after.text, before.text);
        EXPECT_TRUE(e->canUndo());
        EXPECT_FALSE(e->canRedo());
        for (int round = 0; round < 2; ++round) {
            int changes = 0;
            bool coloured = true;
            e->setChangeHandler([&](const zorvan::TextChange& change) {
                ++changes;
                coloured = coloured && change.coloured;
            });
            e->undo();
            EXPECT_EQ(contract::stateOf(*e), before) << "undo " << round;
            EXPECT_FALSE(e->canUndo());
            EXPECT_TRUE(e->canRedo());
            EXPECT_EQ(changes, 1);
            EXPECT_TRUE(coloured) << "the step brings its colours back itself";
            e->redo();
            EXPECT_EQ(contract::stateOf(*e), after) << "redo " << round;
            EXPECT_TRUE(e->canUndo());
            EXPECT_FALSE(e->canRedo());
            EXPECT_EQ(changes, 2);
            EXPECT_TRUE(coloured);
            e->setChangeHandler(nullptr);
        }
    }
}

TYPED_TEST_P(EditorContract, StepsComeBackInOrderAndANewChangeDropsTheUndoneOnes)
{
    // The selection each step brings back is the one just before its change, which these edits
    // set first; text, colours and the modified flag are compared here.
    auto stateOf = [](const zorvan::TextEditor& ed) {
        contract::EditorState s = contract::stateOf(ed);
        s.selStart = s.selLength = 0;
        return s;
    };
    auto e = this->make("N1\r\nN2\r\nN3");
    e->setColour(0, 2, TextColour::Blue);
    std::vector<contract::EditorState> states{stateOf(*e)};
    const contract::Edit edits[] = {
        [](auto& ed) { ed.setCaret(0); ed.replaceSelection("G"); },                    // typing before
        [](auto& ed) { ed.replaceLinesText(0, ed.lineCount(), "X1\r\nX2\r\nX3"); },      // a whole-text command
        [](auto& ed) { ed.setCaret(ed.length()); ed.replaceSelection("\r\n日"); },      // typing after
        [](auto& ed) { ed.replaceLine(1, "Y2"); },                                      // a command on one line
    };
    for (const auto& edit : edits) {
        edit(*e);
        states.push_back(stateOf(*e));
    }
    for (std::size_t i = states.size() - 1; i > 0; --i) {
        e->undo();
        EXPECT_EQ(stateOf(*e), states[i - 1]) << "undo to " << i - 1;
    }
    EXPECT_FALSE(e->canUndo());
    e->undo();  // nothing left: nothing happens
    EXPECT_EQ(stateOf(*e), states[0]);
    for (std::size_t i = 1; i < states.size(); ++i) {
        e->redo();
        EXPECT_EQ(stateOf(*e), states[i]) << "redo to " << i;
    }
    e->undo();
    e->undo();
    e->setCaret(0);
    e->replaceSelection("Z");
    EXPECT_FALSE(e->canRedo());
    e->redo();
    EXPECT_EQ(e->text(), "ZX1\r\nX2\r\nX3");
    e->undo();
    EXPECT_EQ(stateOf(*e).text, states[2].text);
    e->undo();
    EXPECT_EQ(stateOf(*e).text, states[1].text);
}

TYPED_TEST_P(EditorContract, TheModifiedFlagFollowsTheSavePoint)
{
    auto e = this->make("N1\r\nN2");
    auto step = [&](const char* text) { e->replaceLinesText(0, e->lineCount(), text); };
    step("A1\r\nA2");
    step("B1\r\nB2");
    EXPECT_TRUE(e->isModified());
    e->undo();
    e->undo();
    EXPECT_FALSE(e->isModified()) << "back at the loaded text";
    e->redo();
    EXPECT_TRUE(e->isModified());
    e->redo();
    e->setModified(false);  // saved here
    struct Move {
        bool undo;
        bool modified;
    } moves[] = {{true, true}, {true, true}, {false, true}, {false, false}, {true, true}, {false, false}};
    for (const auto& m : moves) {
        m.undo ? e->undo() : e->redo();
        EXPECT_EQ(e->isModified(), m.modified) << e->text();
    }
    // A change after undoing past the save point puts it out of reach.
    e->undo();
    e->setCaret(0);
    e->replaceSelection("C");
    e->undo();
    EXPECT_TRUE(e->isModified());
    e->redo();
    EXPECT_TRUE(e->isModified());
}

TYPED_TEST_P(EditorContract, AFailingChangeLeavesNoStep)
{
    for (bool earlierStep : {false, true}) {
        auto e = this->make("N1\r\nX2\r\nX3");
        if (earlierStep)
            e->replaceLine(0, "N0");
        const contract::EditorState before = contract::stateOf(*e);
        for (int first : {0, 1}) {
            EXPECT_THROW(e->replaceLinesFromPieces(first, 3 - first, contract::piecesOf({"N7\r\n", "N8\r\n"}, 1), nullptr),
                         std::runtime_error);
            // Several changes joined into one step are all taken back when the command fails.
            EXPECT_THROW(({
                             zorvan::UndoStep group(*e);
                             e->replaceLine(0, "Y1");
                             e->replaceLinesText(1, 2, "Y2\r\n");
                             throw std::runtime_error("command failed");
                         }),
                         std::runtime_error);
            EXPECT_EQ(contract::stateOf(*e), before) << earlierStep << first;
            EXPECT_EQ(e->canUndo(), earlierStep);
            EXPECT_FALSE(e->canRedo());
        }
        if (earlierStep) {
            e->undo();
            EXPECT_EQ(e->text(), "N1\r\nX2\r\nX3");
        }
    }
}

TYPED_TEST_P(EditorContract, AGroupIsOneStep)
{
    auto e = this->make("N1\r\nX2\r\nX3\r\n");
    e->setSelection(4, 2);
    const contract::EditorState before = contract::stateOf(*e);
    {
        zorvan::UndoStep group(*e);
        e->replaceLine(0, "N10");
        e->replaceLinesText(1, 2, "Y2\r\n");
        {
            zorvan::UndoStep inner(*e);
            e->setCaret(0);
            e->replaceSelection("(日)");
        }
        e->undo();  // refused while the group is open
        e->setColour(0, 3, TextColour::Green);
    }
    const contract::EditorState after = contract::stateOf(*e);
    EXPECT_EQ(after.text, "(日)N10\r\nY2\r\n");
    e->undo();
    EXPECT_EQ(contract::stateOf(*e), before);
    EXPECT_FALSE(e->canUndo());
    e->redo();
    EXPECT_EQ(contract::stateOf(*e), after);
}

TYPED_TEST_P(EditorContract, SetTextForgetsTheHistory)
{
    auto e = this->make("N1");
    e->replaceLine(0, "N2");
    e->undo();
    e->setText("X1\r\n");
    EXPECT_FALSE(e->canUndo());
    EXPECT_FALSE(e->canRedo());
    e->replaceLine(0, "X2");
    e->clearUndoHistory();
    EXPECT_FALSE(e->canUndo());
    EXPECT_EQ(e->text(), "X2\r\n");
    // The unsaved change is still unsaved after an edit and its undo.
    e->replaceLine(0, "X3");
    e->undo();
    EXPECT_EQ(e->text(), "X2\r\n");
    EXPECT_TRUE(e->isModified());
}

TYPED_TEST_P(EditorContract, TheHistoryIsBoundedOldestFirst)
{
    // Each rewrite keeps a text as big as the current one: only about four of them stay.
    const std::string big = contract::bigProgram("");
    auto e = this->make(big);
    int dropped = 0;
    e->setStepsDroppedHandler([&] { ++dropped; });
    // Steps made and undone again leave nothing behind that counts against the bound.
    for (int round = 0; round < 6; ++round) {
        e->replaceLinesText(0, e->lineCount(), contract::bigProgram("X1"));
        e->undo();
    }
    std::vector<std::string> texts{big};
    for (int i = 1; i <= 8; ++i) {
        std::string next = big;
        next[1] = static_cast<char>('0' + i);  // "N0" becomes "N1", "N2", ...
        e->replaceLinesText(0, e->lineCount(), next);
        texts.push_back(next);
    }
    EXPECT_GE(dropped, 1);
    int undone = 0;
    while (e->canUndo() && undone < 20) {
        e->undo();
        ++undone;
        EXPECT_EQ(e->text(), texts[texts.size() - 1 - undone]) << undone;
    }
    EXPECT_GE(undone, 3);
    EXPECT_LE(undone, 5);
}

TYPED_TEST_P(EditorContract, ALoadedTextReadsModifiedUntilSavedWhateverIsUndone)
{
    // A received program is a load no file holds: undoing what came after it never makes it
    // read as saved.
    const std::string received = "%\r\nO1\r\nG00X0Y0\r\nG01X10.F100\r\nM30\r\n%\r\n";
    struct Case {
        const char* name;
        contract::Edit edit;
    } cases[] = {
        {"typing", [](auto& e) { e.setCaret(5); e.replaceSelection("X"); }},
        {"a command on one line", [](auto& e) { e.replaceLine(2, "G00X1.Y0"); }},
        {"a whole-text command", [](auto& e) { e.replaceLinesText(0, e.lineCount(), "%\r\nO1\r\nG00X1.Y0\r\n%\r\n"); }},
        {"a command of several changes", [](auto& e) {
             zorvan::UndoStep step(e);
             e.replaceLine(2, "G00X1.Y0");
             e.replaceLine(3, "G01X11.F100");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = this->make("N1\r\nN2\r\n");
        e->setText(received);
        EXPECT_TRUE(e->isModified());
        c.edit(*e);
        e->undo();
        EXPECT_EQ(e->text(), received);
        EXPECT_TRUE(e->isModified());
        e->redo();
        e->undo();
        EXPECT_TRUE(e->isModified());
        e->setModified(false);  // saved here
        e->redo();
        EXPECT_TRUE(e->isModified());
        e->undo();
        EXPECT_FALSE(e->isModified());
    }
}

TYPED_TEST_P(EditorContract, TrimmingPastTheSavePointLeavesTheTextModifiedDownToTheOldestStep)
{
    const std::string saved = "%\r\nO1\r\nG00X0Y0\r\nG01X10.F100\r\nM30\r\n%\r\n";
    for (bool typedAfterSave : {false, true}) {
        SCOPED_TRACE(typedAfterSave);
        auto e = this->make(saved);
        e->setHistoryFloor(0);  // the bound: four times the text
        int dropped = 0;
        e->setStepsDroppedHandler([&] { ++dropped; });
        if (typedAfterSave) {
            e->setCaret(e->length());
            e->replaceSelection("(ABC)\r\n");
        }
        std::string text = e->text();
        for (int i = 1; i <= 8; ++i) {
            text[text.find('O') + 1] = static_cast<char>('0' + i);  // "O1" becomes "O2", "O3", ...
            e->replaceLinesText(0, e->lineCount(), text);
        }
        EXPECT_GE(dropped, 1);
        int undone = 0;
        while (e->canUndo() && undone < 20) {
            e->undo();
            ++undone;
            EXPECT_TRUE(e->isModified()) << undone << " " << e->text();
        }
        EXPECT_LE(undone, 6);
        EXPECT_NE(e->text(), saved);
    }
}

TYPED_TEST_P(EditorContract, AChangeThatLeavesTheTextAsItWasIsNoStep)
{
    const std::string text = "%\r\nO1\r\nG00X0Y0\r\n(日本)\r\nM30";
    const contract::Edit edits[] = {
        [](auto& e) { e.replaceLine(2, "G00X0Y0"); },
        [](auto& e) { e.replaceLinesText(1, 2, "O1\r\nG00X0Y0\r\n"); },
        [](auto& e) { e.replaceLinesText(0, e.lineCount(), e.text()); },
        [](auto& e) { e.replaceLinesText(3, 2, "(日本)\r\nM30"); },
        [](auto& e) { e.replaceLinesFromPieces(0, e.lineCount(), contract::piecesOf({"%\r\nO1\r\n", "G00X0Y0\r\n(日本)\r\nM30\r\n"}), nullptr); },
        [](auto& e) { e.setSelection(7, 6); e.replaceSelection("G00X0Y"); },
        [](auto& e) { zorvan::UndoStep step(e); e.replaceLine(1, "O1"); e.replaceLine(4, "M30"); },
    };
    int index = 0;
    for (const auto& edit : edits) {
        SCOPED_TRACE(index++);
        auto e = this->make(text);
        int changes = 0;
        e->setChangeHandler([&](const zorvan::TextChange&) { ++changes; });
        edit(*e);
        EXPECT_EQ(e->text(), text);
        EXPECT_FALSE(e->isModified());
        EXPECT_FALSE(e->canUndo());
        EXPECT_EQ(changes, 0);
    }
}
