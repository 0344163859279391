#include "nc/logic/find_replace.h"

#include "app/logic/text_pieces.h"

namespace zorvan::nc {

namespace {

// Appends `text` up to its last `what` to `out`, every `what` replaced by `with`; returns the count
// and the byte in `text` behind the last match (what follows it is the caller's to copy or not).
struct Replacing {
    long count = 0;
    std::size_t textEnd = 0;
};
Replacing appendReplacedMatches(std::string& out, std::string_view text, std::string_view what,
                                std::string_view with, const StagedReplaceAll::Progress& progress = {})
{
    constexpr std::size_t kBytesPerReport = 1 << 20;
    std::size_t reported = 0;
    Replacing done;
    for (;;) {
        const std::size_t at = what.empty() ? std::string_view::npos : text.find(what, done.textEnd);
        if (at == std::string_view::npos)
            return done;
        out.append(text.substr(done.textEnd, at - done.textEnd));
        out.append(with);
        done.textEnd = at + what.size();
        ++done.count;
        if (progress && done.textEnd - reported >= kBytesPerReport) {
            reported = done.textEnd;
            progress(static_cast<long long>(done.textEnd), static_cast<long long>(text.size()));
        }
    }
}

}  // namespace

StagedReplaceAll::StagedReplaceAll(const TextEditor& editor, std::string what, std::string with, long from)
    : what_(std::move(what)), with_(std::move(with))
{
    // From the start of the line that holds `from`: the new lines begin with the line of the first
    // match.
    restStart_ = editor.positionFromLine(editor.lineFromPosition(from));
    rest_ = editor.textView(restStart_, editor.length() - restStart_, buffer_);
    fromByte_ = byteOffsetOfCharacter(rest_, from - restStart_);
}

void StagedReplaceAll::replace(const Progress& progress)
{
    const std::size_t firstMatch = what_.empty() ? std::string::npos : rest_.find(what_, fromByte_);
    if (firstMatch == std::string::npos)
        return;
    // The line of the first match: a match starting on a line break belongs to the line it ends.
    const std::size_t lastBreak = firstMatch >= 2 ? rest_.rfind("\r\n", firstMatch - 2) : std::string::npos;
    const std::size_t lineAt = lastBreak == std::string::npos ? 0 : lastBreak + 2;
    const std::string_view rest = rest_.substr(lineAt);
    const std::size_t firstAt = firstMatch - lineAt;
    lineStart_ = restStart_ + countCharacters(rest_.substr(0, lineAt));

    // Matches are looked for up to the end of the text; the new lines end with the line of the
    // last one.
    // No match ends behind the last occurrence, so the new lines take about that much room.
    const std::size_t lastEnd = rest.rfind(what_) + what_.size();
    lines_.reserve(lastEnd + lastEnd / 8 + 64);
    lines_.append(rest.substr(0, firstAt));
    const Replacing done = appendReplacedMatches(lines_, rest.substr(firstAt), what_, with_, progress);
    const std::size_t lastMatchEnd = firstAt + done.textEnd;
    std::size_t spanEnd = rest.find("\r\n", lastMatchEnd);
    if (spanEnd == std::string_view::npos)
        spanEnd = rest.size();
    const std::size_t caretByte = lines_.size();
    lines_.append(rest.substr(lastMatchEnd, spanEnd - lastMatchEnd));
    lines_ += "\r\n";
    spanEnd_ = lineStart_ + countCharacters(rest.substr(0, spanEnd));
    caret_ = lineStart_ + countCharacters(std::string_view(lines_).substr(0, caretByte));
    replaced_ = done.count;
    rest_ = {};
    std::string().swap(buffer_);
}

long StagedReplaceAll::apply(TextEditor& editor, Recolour recolour)
{
    if (replaced_ == 0)
        return 0;
    const int firstLine = editor.lineFromPosition(lineStart_);
    const int lastLine = editor.lineFromPosition(spanEnd_);
    // The new lines go in as pieces, each coloured and put in apart, so that the window gets
    // its turn between them.
    const std::vector<std::string_view> pieces = cutIntoPieces(lines_);
    std::size_t given = 0;
    auto next = [&](std::string& piece) {
        if (given + 1 == pieces.size() && pieces[given].empty())
            ++given;  // nothing behind the last cut
        if (given == pieces.size())
            return false;
        piece.assign(pieces[given++]);
        if (given < pieces.size())
            piece += "\r\n";  // the break the cut took
        return true;
    };
    {
        QuietEditor quiet(editor);  // the command colours the lines itself
        editor.replaceLinesFromPieces(firstLine, lastLine - firstLine + 1, next, linesColouring(recolour));
    }
    std::string().swap(lines_);
    editor.setCaret(caret_);
    return replaced_;
}

namespace {

// Replace-all without a question from `from` on, as one edit of the lines from the first match
// to the last.
ReplaceOutcome replaceRest(TextEditor& editor, const std::string& what, const std::string& with, long from,
                           Recolour recolour)
{
    StagedReplaceAll staged(editor, what, with, from);
    staged.replace({});
    ReplaceOutcome outcome;
    outcome.replaced = staged.apply(editor, recolour);
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
