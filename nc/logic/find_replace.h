// Find and replace: a literal, case-sensitive, forward search from the caret (or the top) to the
// end of the text, without wrapping around. A replacement goes one match at a time, optionally
// after a question, or runs to the end of the text (replace-all). An empty search text never
// matches, so a replace-all always ends.
#pragma once

#include "app/logic/text_editor.h"
#include "nc/logic/nc_transforms.h"

#include <functional>
#include <string>
#include <string_view>

namespace zorvan::nc {

inline constexpr const char* kNotFoundMessage = "見つかりません";
inline constexpr const char* kNotFoundCaption = "検索確認";
inline constexpr const char* kReplaceQuestion = "置換しますか";

// The search state of the window, kept between the commands.
struct SearchState {
    enum class Kind { Find, Replace };
    std::string searchText;
    std::string replacementText;
    Kind lastKind = Kind::Find;
    bool confirm = false;     // ask before each replacement
    bool replaceAll = false;  // go on to the end of the text
};

// Searches `what` from the end of the selection (from 0 with `fromTop`); a match is selected.
// False when there is none, and the selection stays as it was.
bool findStep(TextEditor& editor, const std::string& what, bool fromTop);

// The answer to the question before a replacement.
enum class ReplaceAnswer { Yes, No, Cancel, All };

struct ReplaceOutcome {
    enum class End {
        Stopped,    // one match dealt with, replace-all off: the user goes on with find-next
        NotFound,   // no (further) match: the caller reports it
        Cancelled,  // the question was answered Cancel; the match stays selected
    };
    End end = End::NotFound;
    long replaced = 0;
};

// The replace step from the end of the selection (from 0 with `fromTop`). `ask` is called for
// every match while `state.confirm` is on; an All answer turns replace-all on. Without the
// question a replace-all is one edit of the text from the first match to the last, whose lines
// are coloured once; the caret ends behind the last replacement. With it, each replacement is an
// edit of its own, made when the user has answered.
ReplaceOutcome replaceStep(TextEditor& editor, SearchState& state, bool fromTop,
                           const std::function<ReplaceAnswer()>& ask, Recolour recolour = Recolour::WrittenLines);

// Whether the replace step of `state` is a replace-all without the question.
inline bool replacesAllWithoutQuestion(const SearchState& state) { return state.replaceAll && !state.confirm; }

// The replace-all without the question from character `from` on, in three steps, so that its
// heavy middle can run away from the editor's thread: the text from the line of `from` on is read
// when it is made (on the editor's thread); replace() makes the new lines from the first match to
// the last on any thread (telling its progress, which may throw to stop it); apply() writes them in
// one edit, whose lines are coloured once, puts the caret behind the last replacement and returns
// the number of replacements (the editor's text the same as when it was read).
class StagedReplaceAll {
public:
    using Progress = std::function<void(long long done, long long total)>;
    StagedReplaceAll(const TextEditor& editor, std::string what, std::string with, long from);
    StagedReplaceAll(const StagedReplaceAll&) = delete;  // it may view its own buffer
    StagedReplaceAll& operator=(const StagedReplaceAll&) = delete;
    void replace(const Progress& progress);
    long apply(TextEditor& editor, Recolour recolour = Recolour::WrittenLines);

private:
    std::string what_, with_;
    long restStart_ = 0;
    // The text from restStart_ on: a view into the editor, which stays as it is while the
    // operation runs (the window is locked), or into buffer_.
    std::string buffer_;
    std::string_view rest_;
    std::size_t fromByte_ = 0;
    std::string lines_;  // the new lines, each followed by CR LF
    long lineStart_ = 0, spanEnd_ = 0, caret_ = 0;
    long replaced_ = 0;
};

// Appends `text` to `out` with every `what` replaced by `with`, left to right, each search going
// on behind the match; the count of replacements. A replace-all from the top is this, applied to
// the lines in pieces when `what` holds no line break.
long replaceEvery(std::string& out, std::string_view text, std::string_view what, std::string_view with);

// The same, handing the result to `handOver(std::string_view)` in stretches (the text between matches,
// and `with` for each match), so a caller can bound what it holds.
template <typename Emit>
long replaceEveryInto(std::string_view text, std::string_view what, std::string_view with, Emit&& handOver)
{
    long count = 0;
    std::size_t done = 0;
    for (std::size_t at; !what.empty() && (at = text.find(what, done)) != std::string_view::npos; ++count) {
        if (at > done)
            handOver(text.substr(done, at - done));
        handOver(with);
        done = at + what.size();
    }
    if (done < text.size())
        handOver(text.substr(done));
    return count;
}

}  // namespace zorvan::nc
