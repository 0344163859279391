// zorvan-cli colours [--pass all|line] [FILE]: the runs of coloured characters after one of the
// two colouring passes, one line each: LINE COLUMN LENGTH COLOUR.
#include "cli/commands.h"

#include "app/logic/colouring.h"
#include "app/logic/document_file.h"

#include <charconv>
#include <ostream>

namespace zorvan::cli {

namespace {

const char* colourName(TextColour colour)
{
    switch (colour) {
    case TextColour::Red: return "red";
    case TextColour::Blue: return "blue";
    case TextColour::Green: return "green";
    case TextColour::Default: break;
    }
    return "";
}

// Maximal stretches of one line's characters (line breaks excluded) with one non-default colour.
// The lines come with their colours in one step, and the text is formatted into a buffer
// written in large pieces: a long program has hundreds of thousands of runs.
void printRuns(const MemoryEditor& editor, std::ostream& out)
{
    std::string buffer;
    constexpr std::size_t kFlushAt = 1 << 16;
    buffer.reserve(kFlushAt + 128);
    auto number = [&buffer](long value) {
        char digits[24];
        auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        buffer.append(digits, end);
    };
    const int lines = editor.lineCount();
    for (int line = 0; line < lines && out; ++line) {
        long chars = 0;
        const TextColour* colours = editor.lineColours(line, chars);
        if (!colours)
            continue;
        long column = 0;
        while (column < chars) {
            const TextColour colour = colours[column];
            long end = column + 1;
            while (end < chars && colours[end] == colour)
                ++end;
            if (colour != TextColour::Default) {
                number(line);
                buffer += ' ';
                number(column);
                buffer += ' ';
                number(end - column);
                buffer += ' ';
                buffer += colourName(colour);
                buffer += '\n';
            }
            column = end;
        }
        if (buffer.size() >= kFlushAt) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
}

}  // namespace

int runColours(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--pass"}, {}});
    if (options.outPath || options.inPlace)
        throw UsageError("colours prints the runs; -o and --in-place do not apply");
    const std::string pass = options.text("--pass", "all");
    if (pass != "all" && pass != "line")
        throw UsageError("expected all or line for --pass: '" + pass + "'");

    MemoryEditor editor(loadDocumentInput(options.file, io.in, options.encoding).text);
    if (pass == "all")
        colouring::ColourAll(editor);
    else
        colouring::ColourLines(editor, 0, editor.lineCount() - 1);
    printRuns(editor, io.out);
    return Done;
}

}  // namespace zorvan::cli
