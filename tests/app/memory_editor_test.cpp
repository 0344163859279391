#include "app/logic/memory_editor.h"
#include "app/editor_contract.h"

#include <functional>

namespace {

struct MemoryFactory {
    std::unique_ptr<zorvan::TextEditor> make(std::string_view text)
    {
        return std::make_unique<zorvan::MemoryEditor>(text);
    }
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Memory, EditorContract, MemoryFactory);

TEST(MemoryEditor, RewritesEveryLineOfALongTextInPlace)
{
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "X" + std::to_string(i) + "\r\n";
    zorvan::MemoryEditor e(text);
    for (int i = 0; i < e.lineCount(); ++i)
        e.replaceLine(i, e.line(i) + ".");
    EXPECT_EQ(e.line(999), "X999.");
    EXPECT_EQ(e.positionFromLine(999), 10 * 5 + 90 * 6 + 899 * 7);  // "X0.\r\n" ... "X998.\r\n"
    EXPECT_EQ(e.lineFromPosition(e.positionFromLine(500)), 500);
}

TEST(MemoryEditor, KeepsItsTextWhileOldLineTextsAreDropped)
{
    // Rewriting lines leaves their old text behind until it outgrows the live text and is
    // dropped; the lines must read the same before and after.
    std::string text;
    for (int i = 0; i < 2000; ++i)
        text += "N" + std::to_string(i) + "X0.\r\n";
    zorvan::MemoryEditor e(text);
    for (int round = 1; round <= 40; ++round)
        for (int i = 0; i < e.lineCount(); ++i)
            e.replaceLine(i, "N" + std::to_string(i) + "X" + std::to_string(round) + ".0000000000");
    EXPECT_EQ(e.line(0), "N0X40.0000000000");
    EXPECT_EQ(e.line(1999), "N1999X40.0000000000");
    EXPECT_EQ(e.lineCount(), 2000);
    e.setCaret(e.positionFromLine(5));
    e.replaceSelection("G01");
    EXPECT_EQ(e.line(5), "G01N5X40.0000000000");
}

TEST(MemoryEditor, HandsItsTextOverAndIsLeftEmpty)
{
    struct Case {
        const char* name;
        std::function<void(zorvan::MemoryEditor&)> edit;
        const char* text;
    } cases[] = {
        {"loaded", [](zorvan::MemoryEditor&) {}, "X1\r\n日\r\n"},
        {"rewritten", [](zorvan::MemoryEditor& e) { e.replaceLinesText(0, 2, "N1\r\nN2\r\n"); }, "N1\r\nN2\r\n"},
        {"edited", [](zorvan::MemoryEditor& e) { e.replaceLine(0, "Y2"); }, "Y2\r\n日\r\n"},
    };
    for (const auto& c : cases) {
        zorvan::MemoryEditor e("X1\r\n日\r\n");
        c.edit(e);
        EXPECT_EQ(e.takeText(), c.text) << c.name;
        EXPECT_EQ(e.text(), "") << c.name;
        EXPECT_EQ(e.lineCount(), 0) << c.name;
    }
}
