#include "app/logic/memory_editor.h"
#include "app/editor_contract.h"

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
