#include "nc/logic/find_replace.h"


namespace zorvan::nc {

namespace {

// Appends `text` to `out` with every `what` replaced by `with`; returns the count, the byte in
// `text` behind the last match and the size of `out` behind the last replacement.
struct Replacing {
    long count = 0;
    std::size_t textEnd = 0;
    std::size_t outEnd = 0;
};
Replacing appendReplaced(std::string& out, std::string_view text, std::string_view what, std::string_view with)
{
    Replacing done;
    std::size_t from = 0;
    for (;;) {
        const std::size_t at = what.empty() ? std::string_view::npos : text.find(what, from);
        if (at == std::string_view::npos)
            break;
        out.append(text.substr(from, at - from));
        out.append(with);
        from = at + what.size();
        ++done.count;
        done.textEnd = from;
        done.outEnd = out.size();
    }
    out.append(text.substr(from));
    return done;
}

// Replace-all without a question from `from` on, as one edit of the lines from the first match
// to the last.
ReplaceOutcome replaceRest(TextEditor& editor, const std::string& what, const std::string& with, long from,
                           Recolour recolour)
{
    ReplaceOutcome outcome;
    const long first = editor.find(what, from, editor.length());
    if (first < 0)
        return outcome;
    const int firstLine = editor.lineFromPosition(first);
    const long lineStart = editor.positionFromLine(firstLine);
    std::string buffer;
    const std::string_view rest = editor.textView(lineStart, editor.length() - lineStart, buffer);
    const std::size_t firstAt = byteOffsetOfCharacter(rest, first - lineStart);

    // Matches are looked for up to the end of the text; the new lines end with the line of the
    // last one, so what was copied behind it is cut off again.
    std::string lines;
    lines.reserve(rest.size() + rest.size() / 8 + 64);
    lines.append(rest.substr(0, firstAt));
    const Replacing done = appendReplaced(lines, rest.substr(firstAt), what, with);
    const std::size_t lastMatchEnd = firstAt + done.textEnd;
    std::size_t spanEnd = rest.find("\r\n", lastMatchEnd);
    if (spanEnd == std::string_view::npos)
        spanEnd = rest.size();
    const std::size_t caretByte = done.outEnd;  // counted in `lines`, which began with the prefix
    lines.resize(caretByte + (spanEnd - lastMatchEnd));
    lines += "\r\n";
    const int lastLine = editor.lineFromPosition(lineStart + countCharacters(rest.substr(0, spanEnd)));
    const long caret = lineStart + countCharacters(std::string_view(lines).substr(0, caretByte));

    bool given = false;
    auto next = [&](std::string& piece) {
        if (given)
            return false;
        given = true;
        piece = std::move(lines);
        return true;
    };
    {
        QuietEditor quiet(editor);  // the command colours the lines itself
        editor.replaceLinesFromPieces(firstLine, lastLine - firstLine + 1, next, linesColouring(recolour));
    }
    editor.setModified(true);
    editor.setCaret(caret);
    outcome.replaced = done.count;
    return outcome;
}

}  // namespace

long replaceEvery(std::string& out, std::string_view text, std::string_view what, std::string_view with)
{
    return appendReplaced(out, text, what, with).count;
}

bool findStep(TextEditor& editor, const std::string& what, bool fromTop)
{
    const long from = fromTop ? 0 : editor.selectionStart() + editor.selectionLength();
    const long at = editor.find(what, from, editor.length());
    if (at < 0)
        return false;
    editor.setSelection(at, countCharacters(what));
    return true;
}

ReplaceOutcome replaceStep(TextEditor& editor, SearchState& state, bool fromTop,
                           const std::function<ReplaceAnswer()>& ask, Recolour recolour)
{
    const std::string& what = state.searchText;
    const std::string& with = state.replacementText;
    long from = fromTop ? 0 : editor.selectionStart() + editor.selectionLength();
    long replaced = 0;
    for (;;) {
        if (state.replaceAll && !state.confirm) {
            ReplaceOutcome outcome = replaceRest(editor, what, with, from, recolour);
            outcome.replaced += replaced;
            return outcome;
        }
        const long at = editor.find(what, from, editor.length());
        if (at < 0)
            return {ReplaceOutcome::End::NotFound, replaced};
        editor.setSelection(at, countCharacters(what));
        bool replace = true;
        if (state.confirm) {
            switch (ask()) {
            case ReplaceAnswer::Yes: break;
            case ReplaceAnswer::No: replace = false; break;
            case ReplaceAnswer::All: state.replaceAll = true; break;
            case ReplaceAnswer::Cancel: return {ReplaceOutcome::End::Cancelled, replaced};
            }
        }
        if (replace) {
            {
                QuietEditor quiet(editor);  // the command colours the lines itself
                editor.replaceSelection(with);
            }
            colourLines(editor, recolour, editor.lineFromPosition(at), editor.lineFromPosition(editor.caret()));
            ++replaced;
        }
        if (!state.replaceAll)
            return {ReplaceOutcome::End::Stopped, replaced};
        from = editor.selectionStart() + editor.selectionLength();
    }
}

}  // namespace zorvan::nc
