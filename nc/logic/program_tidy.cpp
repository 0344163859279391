#include "nc/logic/program_tidy.h"

#include "nc/logic/line_rewriting.h"
#include "nc/logic/nc_blocks.h"

namespace zorvan::nc {

namespace {

void dropTrailingBlanks(std::string& text)
{
    while (!text.empty() && isBlank(text.back()))
        text.pop_back();
}

// The line without its comments into `out`; false when it had none. The blanks that set a comment
// apart go with it: those after it (before it at the end of the line).
bool removeComments(std::string_view line, std::string& out)
{
    out.clear();
    bool removed = false;
    for (std::size_t i = 0; i < line.size();) {
        if (line[i] != '(') {
            out += line[i++];
            continue;
        }
        removed = true;
        const std::size_t end = commentEnd(line, i);
        std::size_t next = end;
        while (next < line.size() && isBlank(line[next]))
            ++next;
        if (next == line.size()) {
            dropTrailingBlanks(out);
            i = next;
        } else if (isBlankLine(out) || isBlank(out.back())) {
            i = next;
        } else {
            i = end;
        }
    }
    return removed;
}

bool endsValue(char c) { return isDigitChar(c) || c == '.' || c == ']'; }

// The line with its blanks between words made one blank or none, into `out`.
void arrangeBlanks(std::string_view line, BlankStyle style, std::string& out)
{
    out.clear();
    int depth = 0;               // of brackets
    bool afterComment = false;   // the last thing written was a comment
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == '(') {
            const std::size_t end = commentEnd(line, i);
            out.append(line.substr(i, end - i));
            i = end;
            afterComment = true;
        } else if (isBlank(c)) {
            std::size_t end = i;
            while (end < line.size() && isBlank(line[end]))
                ++end;
            const bool betweenWords = i > 0 && !afterComment && end < line.size() && line[end] != '(';
            if (!betweenWords)
                out.append(line.substr(i, end - i));
            else if (style == BlankStyle::Insert)
                out += ' ';
            i = end;
        } else {
            if (style == BlankStyle::Insert && depth == 0 && isUpperLetter(c) && i > 0 && !afterComment
                && endsValue(line[i - 1]))
                out += ' ';
            if (c == '[')
                ++depth;
            else if (c == ']' && depth > 0)
                --depth;
            out += c;
            afterComment = false;
            ++i;
        }
    }
}

}  // namespace

bool tidyLine(std::string_view line, const TidyOptions& options, std::string& out)
{
    std::string withoutComments;
    if (options.comments && line.find('(') != std::string_view::npos && removeComments(line, withoutComments)) {
        if (isBlankLine(withoutComments))
            return false;
        line = withoutComments;
    }
    if (options.blanks != BlankStyle::Keep)
        arrangeBlanks(line, options.blanks, out);
    else
        out.assign(line);
    return !(options.emptyLines && isBlankLine(out));
}

void tidyProgram(TextEditor& editor, const TidyOptions& options, Recolour recolour)
{
    const LineRange range = numericLineRange(editor);
    if (range.count() == 0)
        return;
    std::string buffer;
    const std::string_view old = readRangeText(editor, range, buffer);  // valid until the text changes
    const std::vector<std::string_view> pieces = cutIntoPieces(old);
    // Most lines of a long program need nothing: they are passed over without a copy.
    auto mayChange = [&](std::string_view line) {
        return options.blanks == BlankStyle::Insert
            || (options.blanks == BlankStyle::Remove && line.find_first_of(" \t") != std::string_view::npos)
            || (options.comments && line.find('(') != std::string_view::npos)
            || (options.emptyLines && isBlankLine(line));
    };
    auto make = [&](std::size_t p) {
        std::string tidied;  // one per piece: the pieces are made on several threads
        auto transform = [&](PieceLine& line) {
            if (!mayChange(line.view()))
                return;
            if (!tidyLine(line.view(), options, tidied))
                line.drop();
            else if (tidied != line.view())
                line.assign(tidied);
        };
        return rewritePiece(pieces[p], transform);
    };
    const int newLines = replaceRangeFromPieces(editor, range, pieces.size(), pieceWorkers(), recolour, make);
    finishLines(editor, range, newLines);
}

}  // namespace zorvan::nc
