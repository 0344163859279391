#include "nc/logic/find_replace.h"


namespace zorvan::nc {

namespace {

// Appends `text` up to its last `what` to `out`, every `what` replaced by `with`; returns the count
// and the byte in `text` behind the last match (what follows it is the caller's to copy or not).
struct Replacing {
    long count = 0;
    std::size_t textEnd = 0;
};
Replacing appendReplacedMatches(std::string& out, std::string_view text, std::string_view what,
                                std::string_view with)
{
    Replacing done;
    for (;;) {
        const std::size_t at = what.empty() ? std::string_view::npos : text.find(what, done.textEnd);
        if (at == std::string_view::npos)
            return done;
        out.append(text.substr(done.textEnd, at - done.textEnd));
        out.append(with);
        done.textEnd = at + what.size();
        ++done.count;
    }
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
    // last one.
    // No match ends behind the last occurrence, so the new lines take about that much room.
    const std::size_t lastEnd = rest.rfind(what) + what.size();
    std::string lines;
    lines.reserve(lastEnd + lastEnd / 8 + 64);
    lines.append(rest.substr(0, firstAt));
    const Replacing done = appendReplacedMatches(lines, rest.substr(firstAt), what, with);
    const std::size_t lastMatchEnd = firstAt + done.textEnd;
    std::size_t spanEnd = rest.find("\r\n", lastMatchEnd);
    if (spanEnd == std::string_view::npos)
        spanEnd = rest.size();
    const std::size_t caretByte = lines.size();
    lines.append(rest.substr(lastMatchEnd, spanEnd - lastMatchEnd));
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
    const Replacing done = appendReplacedMatches(out, text, what, with);
    out.append(text.substr(done.textEnd));
    return done.count;
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
