// zorvan-cli colours [--pass all|line] [FILE]: the runs of coloured characters after one of the
// two colouring passes, one line each: LINE COLUMN LENGTH COLOUR.
#include "cli/commands.h"

#include "app/logic/colouring.h"
#include "app/logic/document_file.h"

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
void printRuns(const TextEditor& editor, std::ostream& out)
{
    const int lines = editor.lineCount();
    long lineStart = 0;
    for (int line = 0; line < lines; ++line) {
        const long chars = countCharacters(editor.line(line));
        long column = 0;
        while (column < chars) {
            TextColour colour = editor.colourAt(lineStart + column);
            long end = column + 1;
            while (end < chars && editor.colourAt(lineStart + end) == colour)
                ++end;
            if (colour != TextColour::Default)
                out << line << ' ' << column << ' ' << (end - column) << ' ' << colourName(colour) << '\n';
            column = end;
        }
        lineStart += chars + 2;
    }
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

    MemoryEditor editor(loadDocumentInput(options.file, io.in).text);
    if (pass == "all")
        colouring::ColourAll(editor);
    else
        colouring::ColourLines(editor, 0, editor.lineCount() - 1);
    printRuns(editor, io.out);
    return Done;
}

}  // namespace zorvan::cli
