// The behaviour every TextEditor implementation shares. Instantiated once per implementation
// with a fixture type that has `std::unique_ptr<TextEditor> make(std::string_view text)`.
#pragma once

#include "app/logic/text_editor.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

template <typename Factory> class EditorContract : public ::testing::Test {
protected:
    std::unique_ptr<zorvan::TextEditor> make(std::string_view text)
    {
        auto editor = factory_.make(text);
        editor->setModified(false);
        return editor;
    }
    Factory factory_;
};

TYPED_TEST_SUITE_P(EditorContract);

using zorvan::TextColour;

TYPED_TEST_P(EditorContract, CountsLinesWithoutTheEmptyLastOne)
{
    struct Case {
        const char* text;
        int lines;
        long length;
    } cases[] = {
        {"", 0, 0},
        {"A", 1, 1},
        {"A\r\n", 1, 3},
        {"A\r\nB", 2, 4},
        {"A\r\nB\r\n", 2, 6},
        {"\r\n\r\n", 2, 4},
        {"日本\r\nX", 2, 5},
    };
    for (const auto& c : cases) {
        auto e = this->make(c.text);
        EXPECT_EQ(e->lineCount(), c.lines) << c.text;
        EXPECT_EQ(e->length(), c.length) << c.text;
        EXPECT_EQ(e->text(), c.text);
    }
}

TYPED_TEST_P(EditorContract, MapsPositionsAndLinesCountingBreaksAsTwo)
{
    auto e = this->make("G01X1.\r\n日本語X2\r\n\r\nN10");
    EXPECT_EQ(e->line(0), "G01X1.");
    EXPECT_EQ(e->line(1), "日本語X2");
    EXPECT_EQ(e->line(2), "");
    EXPECT_EQ(e->line(3), "N10");
    EXPECT_EQ(e->positionFromLine(0), 0);
    EXPECT_EQ(e->positionFromLine(1), 8);
    EXPECT_EQ(e->positionFromLine(2), 15);
    EXPECT_EQ(e->positionFromLine(3), 17);
    EXPECT_EQ(e->positionFromLine(4), 20);
    struct { long pos; int line; } at[] = {{0, 0}, {6, 0}, {7, 0}, {8, 1}, {10, 1}, {13, 1}, {14, 1}, {15, 2}, {17, 3}, {20, 3}};
    for (auto [pos, line] : at)
        EXPECT_EQ(e->lineFromPosition(pos), line) << pos;
    EXPECT_EQ(e->textRange(9, 4), "本語X2");
    EXPECT_EQ(e->textRange(5, 4), ".\r\n日");
    EXPECT_EQ(e->textRange(6, 1), "\r");
}

TYPED_TEST_P(EditorContract, ReplacesTheSelectionAndLeavesTheCaretAfterIt)
{
    auto e = this->make("AB\r\nCD");
    int changes = 0;
    e->setChangeHandler([&](const zorvan::TextChange&) { ++changes; });
    e->setSelection(1, 4);  // "B\r\nC"
    EXPECT_EQ(e->selectionStart(), 1);
    EXPECT_EQ(e->selectionLength(), 4);
    e->replaceSelection("x\r\n日y");
    EXPECT_EQ(e->text(), "Ax\r\n日yD");
    EXPECT_EQ(e->selectionStart(), 6);
    EXPECT_EQ(e->selectionLength(), 0);
    EXPECT_TRUE(e->isModified());
    EXPECT_GE(changes, 1);
    e->setModified(false);
    EXPECT_FALSE(e->isModified());
}

TYPED_TEST_P(EditorContract, ClampsTheSelectionToTheText)
{
    auto e = this->make("ABC");
    e->setSelection(2, 10);
    EXPECT_EQ(e->selectionStart(), 2);
    EXPECT_EQ(e->selectionLength(), 1);
    e->setCaret(99);
    EXPECT_EQ(e->caret(), 3);
}

TYPED_TEST_P(EditorContract, FindsCaseSensitivelyInsideTheRange)
{
    auto e = this->make("x1 X1\r\n日X1");
    EXPECT_EQ(e->find("X1", 0, e->length()), 3);
    EXPECT_EQ(e->find("X1", 4, e->length()), 8);
    EXPECT_EQ(e->find("X1", 4, 9), -1);  // the match would end outside the range
    EXPECT_EQ(e->find("\r\n日", 0, e->length()), 5);
    EXPECT_EQ(e->find("Y", 0, e->length()), -1);
}

TYPED_TEST_P(EditorContract, FindsMatchesAtTheEdgesOfTheTextAndAcrossBreaks)
{
    // Each text is searched as loaded and again after an edit of its first line (which the
    // in-memory editor keeps apart from the rest), so both ways of holding the text are covered.
    struct Case {
        const char* text;
        const char* what;
        long from, to;  // to < 0: the end of the text
        long expected;
    } cases[] = {
        {"G01X1.X2.X3.", "X3.", 0, -1, 9},            // ends exactly at the end of the text
        {"G01X1.X2.X3.", "X3.", 0, 11, -1},           // one character short
        {"AB\r\nCD", "B\r\nC", 0, -1, 1},           // across a CR LF
        {"AB\r\nCD", "\nC", 0, -1, 3},               // from the middle of a break
        {"AB\r\nCD", "\nC", 3, -1, 3},               // starting between CR and LF
        {"A\r\n\r\nB", "\r\n\r\nB", 0, -1, 1},      // over two breaks
        {"日本語の工具 X5.\r\nＸY6", "Y6", 0, -1, 13},  // Japanese text before the match
        {"日本語の工具 X5.\r\nＸY6", "ＸY", 2, -1, 12},
        {"X1X1", "X1", 1, 1, -1},                       // empty range
        {"X1X1", "X1", 2, 2, -1},
        {"X1X1", "", 0, -1, -1},                        // empty search text
        {"", "X", 0, -1, -1},
        {"XXX", "XX", 1, -1, 1},
        {"x1X1", "X1", 0, -1, 2},                       // case-sensitive
    };
    for (const auto& c : cases) {
        for (bool edited : {false, true}) {
            auto e = this->make(c.text);
            if (edited && e->lineCount() > 0)
                e->replaceLine(0, e->line(0));
            const long to = c.to < 0 ? e->length() : c.to;
            EXPECT_EQ(e->find(c.what, c.from, to), c.expected) << c.text << " / " << c.what << (edited ? " edited" : "");
        }
    }
}

TYPED_TEST_P(EditorContract, ReplacesLinesInOneEdit)
{
    struct Case {
        const char* text;
        int first, count;
        std::vector<std::string> lines;
        const char* expected;
    } cases[] = {
        {"A\r\nB\r\nC", 1, 1, {"b"}, "A\r\nb\r\nC"},
        {"A\r\nB\r\nC\r\n", 0, 3, {"C", "B", "A"}, "C\r\nB\r\nA\r\n"},
        {"A\r\nB\r\nC", 1, 2, {"x"}, "A\r\nx"},
        {"A\r\nB\r\nC", 0, 1, {"1", "2"}, "1\r\n2\r\nB\r\nC"},
        {"A\r\nB", 2, 0, {"C"}, "A\r\nB\r\nC"},
        {"A\r\nB\r\n", 2, 0, {"C"}, "A\r\nB\r\nC\r\n"},
        {"A\r\nB", 1, 1, {}, "A\r\n"},
        {"A\r\nB\r\nC", 0, 1, {}, "B\r\nC"},
        {"", 0, 0, {"N1"}, "N1\r\n"},
    };
    for (const auto& c : cases) {
        auto e = this->make(c.text);
        e->replaceLines(c.first, c.count, c.lines);
        EXPECT_EQ(e->text(), c.expected) << c.text;
        EXPECT_TRUE(e->isModified());
    }
}

TYPED_TEST_P(EditorContract, KeepsTheSelectionOffsetsAcrossALineRewrite)
{
    auto e = this->make("N1\r\nN2\r\nN3");
    e->setSelection(1, 5);
    e->replaceLines(0, 3, {"N10", "N20", "N30"});
    EXPECT_EQ(e->selectionStart(), 1);
    EXPECT_EQ(e->selectionLength(), 5);
}

TYPED_TEST_P(EditorContract, ColoursCharactersAndKeepsThemAcrossEditsElsewhere)
{
    auto e = this->make("O1 (日本)\r\nN10");
    e->setColour(0, 2, TextColour::Red);
    e->setColour(3, 4, TextColour::Green);
    e->setColour(9, 3, TextColour::Blue);
    EXPECT_EQ(e->colourAt(0), TextColour::Red);
    EXPECT_EQ(e->colourAt(2), TextColour::Default);
    EXPECT_EQ(e->colourAt(4), TextColour::Green);
    EXPECT_EQ(e->colourAt(6), TextColour::Green);
    EXPECT_EQ(e->colourAt(7), TextColour::Default);
    EXPECT_EQ(e->colourAt(11), TextColour::Blue);
    EXPECT_FALSE(e->isModified());  // colour is no change of the text
    e->setCaret(2);
    e->replaceSelection("X");
    EXPECT_EQ(e->colourAt(0), TextColour::Red);
    EXPECT_EQ(e->colourAt(2), TextColour::Default);
    EXPECT_EQ(e->colourAt(5), TextColour::Green);
    EXPECT_EQ(e->colourAt(12), TextColour::Blue);
    e->setColour(0, 1, TextColour::Default);
    EXPECT_EQ(e->colourAt(0), TextColour::Default);
}

TYPED_TEST_P(EditorContract, SetTextResetsColoursAndCaret)
{
    auto e = this->make("N10");
    e->setColour(0, 3, TextColour::Blue);
    e->setCaret(2);
    e->setText("N20\r\nN30");
    EXPECT_EQ(e->colourAt(0), TextColour::Default);
    EXPECT_EQ(e->caret(), 0);
    EXPECT_EQ(e->lineCount(), 2);
    EXPECT_TRUE(e->isModified());
}

TYPED_TEST_P(EditorContract, TellsEachChangeOnceWithTheLinesItTouched)
{
    using zorvan::TextEditor;
    struct Case {
        const char* name;
        std::function<void(TextEditor&)> change;
        int first, last;
        bool whole, load, coloured;
    };
    const Case cases[] = {
        {"one line", [](TextEditor& e) { e.replaceLine(1, "X"); }, 1, 1, false, false, false},
        {"lines added", [](TextEditor& e) { e.replaceLines(1, 2, {"X", "Y", "Z"}); }, 1, 3, false, false, false},
        {"a line removed", [](TextEditor& e) { e.replaceLines(1, 1, {}); }, 1, 1, false, false, false},
        {"a selection across a break",
         [](TextEditor& e) {
             e.setSelection(1, 3);
             e.replaceSelection("");
         },
         0, 0, false, false, false},
        {"appended after the last line", [](TextEditor& e) { e.replaceLinesText(4, 0, "E\r\n"); }, 3, 4, false, false,
         false},
        {"coloured by its maker",
         [](TextEditor& e) {
             zorvan::QuietEditor quiet(e);
             e.replaceLine(2, "Q");
         },
         2, 2, false, false, true},
        {"every line", [](TextEditor& e) { e.replaceLines(0, 4, {"P", "Q"}); }, 0, 1, true, false, false},
        {"a load", [](TextEditor& e) { e.setText("N1\r\nN2"); }, 0, 1, true, true, false},
        {"a load in pieces",
         [](TextEditor& e) {
             e.loadText([](const TextEditor::LoadSink& sink) {
                 sink("N1\r");
                 sink("\nN2\r\nN3");
             });
         },
         0, 2, true, true, false},
        {"one step of two changes",
         [](TextEditor& e) {
             zorvan::UndoStep step(e);
             e.replaceLine(3, "W");
             e.replaceLine(0, "V");
         },
         0, 3, false, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = this->make("A\r\nB\r\nC\r\nD");
        std::vector<zorvan::TextChange> told;
        e->setChangeHandler([&](const zorvan::TextChange& change) { told.push_back(change); });
        c.change(*e);
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].firstLine, c.first);
        EXPECT_EQ(told[0].lastLine, c.last);
        EXPECT_EQ(told[0].wholeText, c.whole);
        EXPECT_EQ(told[0].load, c.load);
        EXPECT_EQ(told[0].coloured, c.coloured);
        if (c.load)
            continue;
        // Undo and redo are told too, with the colours they bring back.
        told.clear();
        e->undo();
        e->redo();
        ASSERT_EQ(told.size(), 2u);
        EXPECT_TRUE(told[0].coloured && told[1].coloured);
        EXPECT_LE(told[1].firstLine, c.first);
        EXPECT_GE(told[1].lastLine, c.last);
    }
}

namespace contract {

// A source that yields the given pieces, then none; or throws instead of yielding piece
// `failAt`.
inline zorvan::TextEditor::LinesPieceSource piecesOf(std::vector<std::string> pieces, int failAt = -1)
{
    auto index = std::make_shared<std::size_t>(0);
    return [pieces, failAt, index](std::string& piece) {
        if (static_cast<int>(*index) == failAt)
            throw std::runtime_error("piece failed");
        if (*index == pieces.size())
            return false;
        piece = pieces[(*index)++];
        return true;
    };
}

// Colours every "N" and the digits after it blue, as a stand-in for the line pass.
inline std::vector<zorvan::TextEditor::ColourRun> blueNumbers(std::string_view text)
{
    std::vector<zorvan::TextEditor::ColourRun> runs;
    long chars = 0;  // characters before byte i
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == 'N') {
            std::size_t j = i + 1;
            while (j < text.size() && text[j] >= '0' && text[j] <= '9')
                ++j;
            runs.push_back({chars, static_cast<long>(j - i), TextColour::Blue});
            chars += static_cast<long>(j - i);
            i = j - 1;
            continue;
        }
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++chars;
    }
    return runs;
}

}  // namespace contract

TYPED_TEST_P(EditorContract, ReplacesLinesFromPiecesAndColoursThem)
{
    struct Case {
        const char* text;
        int first, count;
        std::vector<std::string> pieces;
        const char* expected;
    } cases[] = {
        // The whole text, with and without a final break.
        {"X1\r\nX2\r\nX3\r\n", 0, 3, {"日N1\r\nN2\r\n", "X3N33\r\n"}, "日N1\r\nN2\r\nX3N33\r\n"},
        {"X1\r\nX2\r\nX3", 0, 3, {"日N1\r\n", "N2\r\nX3N33\r\n"}, "日N1\r\nN2\r\nX3N33"},
        {"X1\r\nX2", 0, 2, {"N5\r\n", "", "N6\r\n"}, "N5\r\nN6"},
        // A part of it.
        {"X1\r\nX2\r\nX3", 1, 1, {"日N2\r\n"}, "X1\r\n日N2\r\nX3"},
        {"X1\r\nX2\r\nX3", 1, 2, {"N2\r\n", "N3\r\n"}, "X1\r\nN2\r\nN3"},
    };
    for (const auto& c : cases) {
        auto e = this->make(c.text);
        e->setColour(0, 1, TextColour::Red);
        e->replaceLinesFromPieces(c.first, c.count, contract::piecesOf(c.pieces), contract::blueNumbers);
        const std::string text = e->text();
        EXPECT_EQ(text, c.expected) << c.text;
        EXPECT_TRUE(e->isModified());
        // Every "N" word of the new lines is blue, everything else of them default.
        const long newStart = e->positionFromLine(c.first);
        const auto runs = contract::blueNumbers(text);
        long pos = newStart;
        for (const auto& run : runs) {
            if (run.start < newStart)
                continue;
            for (; pos < run.start; ++pos)
                EXPECT_EQ(e->colourAt(pos), TextColour::Default) << c.expected << " at " << pos;
            for (; pos < run.start + run.length; ++pos)
                EXPECT_EQ(e->colourAt(pos), TextColour::Blue) << c.expected << " at " << pos;
        }
        if (c.first > 0) {
            EXPECT_EQ(e->colourAt(0), TextColour::Red) << "the lines before keep their colours";
        }
    }
}

TYPED_TEST_P(EditorContract, ReplacingAllButAFewLinesKeepsTheirTextAndColours)
{
    // Long enough for the range to dwarf the lines around it.
    std::string middle, fresh;
    for (int i = 0; i < 400; ++i) {
        middle += "X" + std::to_string(i) + "\r\n";
        fresh += "N" + std::to_string(i) + "\r\n";
    }
    for (const char* tail : {"日N9", "日N9\r\n"}) {
        auto e = this->make("N1G01\r\n" + middle + tail);
        e->setColour(0, 2, TextColour::Red);
        const int last = e->lineCount() - 1;
        e->setColour(e->positionFromLine(last), 2, TextColour::Green);
        e->replaceLinesFromPieces(1, 400, contract::piecesOf({fresh}), contract::blueNumbers);
        EXPECT_EQ(e->text(), "N1G01\r\n" + fresh + tail);
        EXPECT_EQ(e->colourAt(0), TextColour::Red);
        EXPECT_EQ(e->colourAt(2), TextColour::Default);
        EXPECT_EQ(e->colourAt(7), TextColour::Blue);  // the first new line
        EXPECT_EQ(e->colourAt(e->positionFromLine(last) + 1), TextColour::Green);
        EXPECT_EQ(e->colourAt(e->positionFromLine(last) + 2), TextColour::Default);
    }
}

TYPED_TEST_P(EditorContract, InsertedLinesColourTheWholeTextOverItsColours)
{
    // A text longer than any slice an editor may carry it over in.
    std::string longText;
    for (int i = 0; longText.size() < 600 * 1024; ++i)
        longText += "X" + std::to_string(i) + "(日本)N" + std::to_string(i) + "\r\n";
    struct Case {
        std::string text;
        int first;
        std::string expected;
    };
    const Case cases[] = {
        {"X1\r\nN2", 0, "N7\r\nN8\r\nX1\r\nN2"},
        {"X1\r\nN2", 1, "X1\r\nN7\r\nN8\r\nN2"},
        {"X1\r\nN2", 2, "X1\r\nN2\r\nN7\r\nN8"},
        {"X1\r\nN2\r\n", 2, "X1\r\nN2\r\nN7\r\nN8\r\n"},
        {"X1日\r\n\r\nN2", 1, "X1日\r\nN7\r\nN8\r\n\r\nN2"},
        {longText, 3, ""},
    };
    for (const Case& c : cases) {
        auto e = this->make(c.text);
        e->setColour(0, 1, TextColour::Red);  // no run of the pass: it stays
        const std::string before = e->text();
        e->insertLinesColouringAll(c.first, contract::piecesOf({"N7\r\n", "N8\r\n"}), contract::blueNumbers);
        const std::string text = e->text();
        if (!c.expected.empty()) {
            EXPECT_EQ(text, c.expected);
        }
        EXPECT_EQ(e->line(c.first), "N7");
        EXPECT_EQ(e->colourAt(0), c.first == 0 ? TextColour::Blue : TextColour::Red);
        for (const auto& run : contract::blueNumbers(text))
            for (long pos : {run.start, run.start + run.length - 1})
                EXPECT_EQ(e->colourAt(pos), TextColour::Blue) << pos;
        EXPECT_EQ(e->colourAt(e->positionFromLine(c.first) + 2), TextColour::Default);
        e->undo();
        EXPECT_EQ(e->text(), before);
        EXPECT_EQ(e->colourAt(0), TextColour::Red);
    }
}

TYPED_TEST_P(EditorContract, APieceThatFailsChangesNothing)
{
    for (int first : {0, 1}) {
        const std::string text = "N1\r\n日X2\r\nX3";
        auto e = this->make(text);
        e->setColour(0, 2, TextColour::Blue);
        e->setColour(5, 2, TextColour::Red);
        e->setSelection(4, 3);
        int changes = 0;
        e->setChangeHandler([&](const zorvan::TextChange&) { ++changes; });
        EXPECT_THROW(e->replaceLinesFromPieces(first, 3 - first, contract::piecesOf({"N7\r\n", "N8\r\n"}, 1),
                                               contract::blueNumbers),
                     std::runtime_error);
        EXPECT_EQ(e->text(), text);
        EXPECT_EQ(e->lineCount(), 3);
        EXPECT_EQ(e->positionFromLine(2), 9);
        EXPECT_EQ(e->colourAt(1), TextColour::Blue);
        EXPECT_EQ(e->colourAt(2), TextColour::Default);
        EXPECT_EQ(e->colourAt(6), TextColour::Red);
        EXPECT_EQ(e->selectionStart(), 4);
        EXPECT_EQ(e->selectionLength(), 3);
        EXPECT_FALSE(e->isModified());
        EXPECT_EQ(changes, 0);
        // The editor goes on working.
        e->replaceLine(2, "N9");
        EXPECT_EQ(e->text(), "N1\r\n日X2\r\nN9");
        EXPECT_GE(changes, 1);
    }
}

TYPED_TEST_P(EditorContract, ViewsOfTheTextMatchCopiesAfterEveryKindOfEdit)
{
    using Edit = std::function<void(zorvan::TextEditor&)>;
    const std::vector<std::pair<const char*, Edit>> edits = {
        {"loaded", [](zorvan::TextEditor&) {}},
        {"all lines rewritten", [](zorvan::TextEditor& e) { e.replaceLines(0, e.lineCount(), {"日本X1", "", "N2"}); }},
        {"all lines rewritten, no final break", [](zorvan::TextEditor& e) {
             e.replaceLines(0, e.lineCount(), {"X1"});
             e.replaceLinesText(0, e.lineCount(), "N1日\r\nX2\r\n");
         }},
        {"one line rewritten", [](zorvan::TextEditor& e) { e.replaceLine(1, "Y日本"); }},
        {"a line added", [](zorvan::TextEditor& e) { e.replaceLines(e.lineCount(), 0, {"Z9"}); }},
    };
    for (const auto& [name, edit] : edits) {
        auto e = this->make("G01日X1.\r\n(本)\r\nN3\r\n");
        edit(*e);
        const long length = e->length();
        for (long start = 0; start <= length; ++start) {
            for (long len = 0; start + len <= length + 1; ++len) {
                std::string buffer;
                ASSERT_EQ(e->textView(start, len, buffer), e->textRange(start, len))
                    << name << ": " << start << "+" << len;
            }
        }
    }
}

TYPED_TEST_P(EditorContract, ALinePastTheEndIsEmpty)
{
    struct Case {
        const char* text;
        int index;
    } cases[] = {
        {"A\r\nB", 2}, {"A\r\nB", 1000}, {"A\r\nB\r\n", 2}, {"A\r\nB\r\n", 3}, {"", 0}, {"", 1}, {"A", -1},
    };
    for (const auto& c : cases) {
        auto e = this->make(c.text);
        EXPECT_EQ(e->line(c.index), "") << c.text << " line " << c.index;
    }
}

TYPED_TEST_P(EditorContract, NewLinesWithoutAFinalBreakReadAsIfTheyHadOne)
{
    struct Case {
        const char* text;
        int first, count;
        const char* lines;
        const char* expected;
    } cases[] = {
        {"A\r\nB\r\nC", 1, 1, "x", "A\r\nx\r\nC"},            // one character
        {"A\r\nB\r\nC", 0, 1, "xy", "xy\r\nB\r\nC"},
        {"A\r\nB\r\nC", 2, 1, "x", "A\r\nB\r\nx"},            // the last line
        {"A\r\nB\r\nC", 0, 3, "x", "x"},                      // every line
        {"A\r\nB\r\n", 0, 2, "x", "x\r\n"},                   // every line, final break kept
        {"A\r\nB\r\n", 1, 1, "x\r\ny", "A\r\nx\r\ny\r\n"},
        {"A\r\nB", 2, 0, "x", "A\r\nB\r\nx"},                 // added after the last line
        {"日\r\n本", 1, 1, "語", "日\r\n語"},
    };
    for (const auto& c : cases) {
        auto e = this->make(c.text);
        e->replaceLinesText(c.first, c.count, c.lines);
        EXPECT_EQ(e->text(), c.expected) << c.text << " [" << c.first << "," << c.count << ") <- " << c.lines;
    }
}

TYPED_TEST_P(EditorContract, ViewsAtTheEndAfterABigRewriteThatKeepsTheFinalEmptyLine)
{
    // A rewrite of more than 1 MiB is kept in a block of its own; the empty line after the final
    // break must still be found where the text ends.
    std::string lines;
    while (lines.size() <= (1u << 20) + 64)
        lines += "N" + std::to_string(lines.size()) + "X1.\r\n";
    for (const char* before : {"A\r\nB\r\n", "A\r\nB"}) {
        auto e = this->make(before);
        e->replaceLinesText(0, e->lineCount(), lines);
        const std::string expected = std::string_view(before).ends_with("\r\n") ? lines : lines.substr(0, lines.size() - 2);
        ASSERT_EQ(e->text(), expected) << before;
        const long end = e->length();
        std::string buffer;
        EXPECT_EQ(e->textView(end, 0, buffer), "") << before;
        EXPECT_EQ(e->textView(end, 5, buffer), "") << before;
        EXPECT_EQ(e->textView(end - 2, 2, buffer), expected.substr(expected.size() - 2)) << before;
        EXPECT_EQ(e->textRange(end - 4, 4), expected.substr(expected.size() - 4)) << before;
        EXPECT_EQ(e->line(e->lineCount()), "") << before;
    }
}

#include "app/editor_undo_contract.h"

REGISTER_TYPED_TEST_SUITE_P(EditorContract, CountsLinesWithoutTheEmptyLastOne,
                            FindsMatchesAtTheEdgesOfTheTextAndAcrossBreaks,
                            MapsPositionsAndLinesCountingBreaksAsTwo,
                            ReplacesTheSelectionAndLeavesTheCaretAfterIt, ClampsTheSelectionToTheText,
                            FindsCaseSensitivelyInsideTheRange, ReplacesLinesInOneEdit,
                            KeepsTheSelectionOffsetsAcrossALineRewrite,
                            ColoursCharactersAndKeepsThemAcrossEditsElsewhere,
                            SetTextResetsColoursAndCaret, TellsEachChangeOnceWithTheLinesItTouched,
                            ReplacesLinesFromPiecesAndColoursThem, ReplacingAllButAFewLinesKeepsTheirTextAndColours,
                            InsertedLinesColourTheWholeTextOverItsColours,
                            APieceThatFailsChangesNothing,
                            ViewsOfTheTextMatchCopiesAfterEveryKindOfEdit, ALinePastTheEndIsEmpty,
                            NewLinesWithoutAFinalBreakReadAsIfTheyHadOne,
                            ViewsAtTheEndAfterABigRewriteThatKeepsTheFinalEmptyLine,
                            EachChangeIsOneStepThatUndoesAndRedoes,
                            StepsComeBackInOrderAndANewChangeDropsTheUndoneOnes,
                            TheModifiedFlagFollowsTheSavePoint, AFailingChangeLeavesNoStep, AGroupIsOneStep,
                            SetTextForgetsTheHistory, TheHistoryIsBoundedOldestFirst,
                            ALoadedTextReadsModifiedUntilSavedWhateverIsUndone,
                            TrimmingPastTheSavePointLeavesTheTextModifiedDownToTheOldestStep,
                            AChangeThatLeavesTheTextAsItWasIsNoStep);
