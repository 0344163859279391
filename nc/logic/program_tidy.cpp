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

// The line with its blanks between words made one blank or none, appended to `out`. Comments, in
// brackets or from ";" to the end of the line, and the blanks before them stay. What stays is
// copied in stretches.
void arrangeBlanks(std::string_view line, BlankStyle style, std::string& out)
{
    std::size_t copied = 0;  // line[copied, i) is still to be written as it is
    auto copyTo = [&](std::size_t to) {
        out.append(line.substr(copied, to - copied));
        copied = to;
    };
    int depth = 0;              // of brackets
    bool afterComment = false;  // the last thing passed was a comment
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == ';')
            break;  // the rest of the line is a comment, copied as it is
        if (c == '(') {
            i = commentEnd(line, i);
            afterComment = true;
        } else if (isBlank(c)) {
            std::size_t end = i;
            while (end < line.size() && isBlank(line[end]))
                ++end;
            const bool betweenWords = i > 0 && !afterComment && end < line.size() && line[end] != '(' && line[end] != ';';
            const bool asWanted = style == BlankStyle::Insert && end == i + 1 && c == ' ';
            if (betweenWords && !asWanted) {
                copyTo(i);
                if (style == BlankStyle::Insert)
                    out += ' ';
                copied = end;
            }
            i = end;
        } else {
            if (style == BlankStyle::Insert && depth == 0 && isUpperLetter(c) && i > 0 && !afterComment
                && endsValue(line[i - 1])) {
                copyTo(i);
                out += ' ';
            }
            if (c == '[')
                ++depth;
            else if (c == ']' && depth > 0)
                --depth;
            afterComment = false;
            ++i;
        }
    }
    copyTo(line.size());
}

}  // namespace

namespace {

// Whether the options may change the line at all: most lines of a long program need nothing.
bool mayChange(std::string_view line, const TidyOptions& options)
{
    return options.blanks == BlankStyle::Insert
        || (options.blanks == BlankStyle::Remove && line.find_first_of(" \t") != std::string_view::npos)
        || (options.comments && line.find('(') != std::string_view::npos) || (options.emptyLines && isBlankLine(line));
}

// The tidied line appended to `out`; false, with nothing appended, when the line goes.
// `scratch` holds the line without its comments on the way.
bool appendTidied(std::string_view line, const TidyOptions& options, std::string& out, std::string& scratch)
{
    if (!mayChange(line, options)) {
        out += line;
        return true;
    }
    if (options.comments && line.find('(') != std::string_view::npos && removeComments(line, scratch)) {
        if (isBlankLine(scratch))
            return false;
        line = scratch;
    }
    const std::size_t start = out.size();
    if (options.blanks != BlankStyle::Keep)
        arrangeBlanks(line, options.blanks, out);
    else
        out += line;
    if (options.emptyLines && isBlankLine(std::string_view(out).substr(start))) {
        out.resize(start);
        return false;
    }
    return true;
}

}  // namespace

bool tidyLine(std::string_view line, const TidyOptions& options, std::string& out)
{
    std::string scratch;
    out.clear();
    return appendTidied(line, options, out, scratch);
}

void tidyProgram(TextEditor& editor, const TidyOptions& options, Recolour recolour)
{
    const LineRange range = numericLineRange(editor);
    if (range.count() == 0)
        return;
    std::string buffer;
    const std::string_view old = readRangeText(editor, range, buffer);  // valid until the text changes
    std::string tidied, scratch;
    auto changes = [&](std::string_view line) {
        tidied.clear();
        return mayChange(line, options) && (!appendTidied(line, options, tidied, scratch) || tidied != line);
    };
    // Only the lines from the first that changes to the last are rewritten; without any the text
    // stays untouched (no undo step, not modified). Each is looked for from its end of the range,
    // so a command that changes lines all over finds them at once.
    int firstChanged = 0;
    std::size_t from = 0;  // byte of that line in `old`
    for (;; ++firstChanged) {
        const std::size_t at = old.find("\r\n", from);
        if (changes(old.substr(from, at == std::string_view::npos ? std::string_view::npos : at - from)))
            break;
        if (at == std::string_view::npos)
            return;
        from = at + 2;
    }
    int lastChanged = range.count() - 1;
    std::size_t to = old.size();  // byte after that line in `old`
    for (;; --lastChanged) {
        const std::size_t lineStart = lastChanged == firstChanged ? from : old.rfind("\r\n", to - 1) + 2;
        if (lastChanged == firstChanged || changes(old.substr(lineStart, to - lineStart)))
            break;
        to = lineStart - 2;
    }
    const LineRange changed{range.first + firstChanged, range.first + lastChanged};
    const std::vector<std::string_view> pieces = cutIntoPieces(old.substr(from, to - from));
    auto make = [&](std::size_t p) {
        std::string pieceScratch;  // one per piece: the pieces are made on several threads
        auto write = [&](std::string_view line, std::string& out) {
            return appendTidied(line, options, out, pieceScratch);
        };
        return writePiece(pieces[p], write);
    };
    const int newLines = replaceRangeFromPieces(editor, changed, pieces.size(), pieceWorkers(), recolour, make);
    finishLines(editor, range, range.count() - changed.count() + newLines);
}

}  // namespace zorvan::nc
