// Renumbering and tidying any program (options from the first byte): nothing throws but the
// refusals the commands name, renumbering keeps the line count, and a tidy done twice changes
// nothing the second time.
#include "fuzz_check.h"
#include "app/logic/document_file.h"
#include "app/logic/memory_editor.h"
#include "app/logic/user_error.h"
#include "nc/logic/program_tidy.h"
#include "nc/logic/renumber.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using namespace zorvan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const unsigned choice = data[0];
    // The editor's text of a file of these bytes, as a load gives it.
    const std::string text =
        zorvan::loadDocument(std::string(reinterpret_cast<const char*>(data) + 1, size - 1)).text;

    MemoryEditor renumbered(std::string_view{text});
    const int lines = renumbered.lineCount();
    // Line breaks, not lines: a last line left empty by removing its number is no line any more.
    const auto breaks = [](const std::string& t) { return std::count(t.begin(), t.end(), '\n'); };
    nc::RenumberOptions options;
    options.start = choice % 3 == 0 ? 999999990 : 10;
    options.step = 1 + choice % 7;
    options.width = static_cast<int>(choice % 4);
    options.existingOnly = (choice & 8) != 0;
    if (choice & 16) {
        options.max = options.start + 40;
        options.wrap = (choice & 32) != 0;
    }
    try {
        if (choice & 64)
            nc::removeSequenceNumbers(renumbered, nc::Recolour::None);
        else
            nc::renumberProgram(renumbered, options, nc::Recolour::None);
        FUZZ_CHECK(breaks(renumbered.text()) == breaks(text));
    } catch (const UserError&) {
        FUZZ_CHECK(renumbered.text() == MemoryEditor(std::string_view{text}).text());  // refused: nothing changed
    }

    nc::TidyOptions tidy;
    tidy.blanks = choice % 3 == 0 ? nc::BlankStyle::Keep : choice % 3 == 1 ? nc::BlankStyle::Insert : nc::BlankStyle::Remove;
    tidy.emptyLines = (choice & 8) != 0;
    tidy.comments = (choice & 128) != 0;
    if (tidy == nc::TidyOptions{})
        return 0;
    MemoryEditor tidied(std::string_view{text});
    nc::tidyProgram(tidied, tidy, nc::Recolour::None);
    FUZZ_CHECK(tidied.lineCount() <= lines);
    const std::string once = tidied.text();
    nc::tidyProgram(tidied, tidy, nc::Recolour::None);
    FUZZ_CHECK(tidied.text() == once);
    return 0;
}
