// The NC word reader on any line, and the numeric commands on any document: a word found is the
// letter's first occurrence with its number text after it, a replaced number reads back, and the
// commands either finish or refuse with a message, keeping the lines.
#include "app/logic/document_file.h"
#include "app/logic/memory_editor.h"
#include "app/logic/user_error.h"
#include "fuzz_check.h"
#include "nc/logic/nc_transforms.h"
#include "nc/logic/nc_words.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace zorvan;

namespace {

bool isNumberCharacter(char c) { return (c >= '0' && c <= '9') || c == '.' || c == '-'; }

void checkWords(const std::string& line)
{
    for (char letter = 'A'; letter <= 'Z'; ++letter) {
        auto word = nc::readAddressWord(line, letter);
        FUZZ_CHECK(word.has_value() == (line.find(letter) != std::string::npos));
        if (!word)
            continue;
        FUZZ_CHECK(word->letterAt == line.find(letter));
        FUZZ_CHECK(word->letterAt + 1 + word->numberLength <= line.size());
        const std::string number = line.substr(word->letterAt + 1, word->numberLength);
        for (char c : number)
            FUZZ_CHECK(isNumberCharacter(c));
        // A malformed number ("X3..5", "X1 .") has no value: the commands leave it as written.
        if (word->problem != nc::NumberProblem::None)
            continue;
        const double value = nc::numberTextValue(number);
        FUZZ_CHECK(value == word->value || (std::isnan(value) && std::isnan(word->value)));

        std::string rewritten = line;
        nc::replaceNumberText(rewritten, *word, "-12.5");
        auto again = nc::readAddressWord(rewritten, letter);
        // A point after blanks that was a fraction of "1" ("X1 .5") makes "-12.5 .5" two points.
        FUZZ_CHECK(again && again->letterAt == word->letterAt &&
                   (again->value == -12.5 || again->problem != nc::NumberProblem::None));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    checkWords(bytes);

    auto breaks = [](const std::string& text) {
        std::size_t n = 0;
        for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 2))
            ++n;
        return n;
    };
    MemoryEditor editor(readDocument(bytes));
    const std::size_t lineBreaks = breaks(editor.text());
    DecimalSettings settings;
    settings.DecimalNumber = size % 9;
    settings.DecimalView = static_cast<int>(size % 3);
    try {
        nc::shiftCoordinates(editor, {1.5, -2.25, 1e-3}, settings, nc::Recolour::WrittenLines);
        nc::rotateAxes(editor, {0.5, 0, 1}, settings, nc::Recolour::WrittenLines);
        nc::calculateValues(editor, 'Z', nc::Operation::Halve, 0, settings, nc::Recolour::WrittenLines);
        nc::reverseLines(editor, nc::Recolour::WrittenLines);
    } catch (const UserError&) {
        // a value too large to write: refused, nothing changed
    }
    // Lines are rewritten or reordered, never joined or split.
    FUZZ_CHECK(breaks(editor.text()) == lineBreaks);
    return 0;
}
