// The placeholder and macro passes with the tables and value sets of any list file, on any
// document: the editor's pass (in pieces) makes what the whole-text pass makes, no result passes
// its limit, and a refused pass leaves the text as it was.
#include "app/logic/document_file.h"
#include "app/logic/memory_editor.h"
#include "app/logic/user_error.h"
#include "fuzz_check.h"
#include "lists/logic/conversion_tables.h"
#include "lists/logic/list_passes.h"
#include "lists/logic/value_sets.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace zorvan;
using namespace zorvan::lists;

namespace {

// Runs `pass` on an editor holding `text` and `whole` on the text itself; both must agree.
template <typename EditorPass, typename WholePass>
void check(const std::string& text, const EditorPass& pass, const WholePass& whole)
{
    MemoryEditor editor(text);
    std::string expected;
    bool refused = false;
    try {
        const PassResult result = whole(text);
        FUZZ_CHECK(result.text.size() <= passResultLimit(text.size()));
        expected = result.text;
    } catch (const UserError&) {
        refused = true;
    }
    try {
        pass(editor);
        FUZZ_CHECK(!refused && editor.text() == expected);
    } catch (const UserError&) {
        FUZZ_CHECK(refused && editor.text() == text);
    }
}

}  // namespace

// Input: the first byte chooses the pass, the bytes up to the first NUL are the list file, the
// rest the document.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
    const std::size_t nul = bytes.find('\0');
    const std::string_view list = bytes.substr(0, nul);
    const std::string text = nul == std::string_view::npos ? std::string() : readDocument(bytes.substr(nul + 1));
    constexpr std::size_t kMostRuns = 4;  // a few tables or sets of each input
    if (data[0] % 2 == 0) {
        const auto tables = parseConversionTables(list);
        for (std::size_t i = 0; i < tables.size() && i < kMostRuns; ++i)
            check(text, [&](TextEditor& e) { runMacroPass(e, tables[i]); },
                  [&](const std::string& t) { return convertMacros(t, tables[i]); });
    } else {
        const auto sets = parseValueSets(list);
        for (std::size_t i = 0; i < sets.size() && i < kMostRuns; ++i)
            check(text, [&](TextEditor& e) { runPlaceholderPass(e, sets[i]); },
                  [&](const std::string& t) { return fillPlaceholders(t, sets[i]); });
    }
    return 0;
}
