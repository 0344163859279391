#include "lists/logic/list_passes.h"

#include "app/logic/colouring.h"
#include "lists/logic/list_tokens.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace zorvan::lists {

bool removeMinusPairs(std::string& text, std::size_t& lastRemovalAt)
{
    const std::size_t first = text.find("--");
    if (first == std::string::npos)
        return false;
    // Compacts in place from the first pair on: each run of minus signs keeps its length mod 2.
    std::size_t out = first, in = first;
    const std::size_t n = text.size();
    while (in < n) {
        const char* from = text.data() + in;
        const void* dash = std::memchr(from, '-', n - in);
        const std::size_t runStart = dash ? static_cast<std::size_t>(static_cast<const char*>(dash) - text.data()) : n;
        if (runStart > in) {
            std::memmove(text.data() + out, from, runStart - in);
            out += runStart - in;
            in = runStart;
        }
        if (in == n)
            break;
        std::size_t runEnd = in;
        while (runEnd < n && text[runEnd] == '-')
            ++runEnd;
        if (runEnd - in >= 2)
            lastRemovalAt = out;
        if ((runEnd - in) % 2)
            text[out++] = '-';
        in = runEnd;
    }
    text.resize(out);
    return true;
}

namespace {

void finishWithMinusPairs(PassResult& result)
{
    std::size_t at = 0;
    if (removeMinusPairs(result.text, at)) {
        result.edited = true;
        result.caretByte = at;
    } else {
        result.caretByte = 0;
    }
}

}  // namespace

PassResult fillPlaceholders(std::string_view text, const ValueSet& set)
{
    std::array<std::string, kPlaceholderCount> values;
    for (int k = 1; k <= kPlaceholderCount; ++k)
        values[static_cast<std::size_t>(k - 1)] = withDocumentBreaks(set.value(k));

    PassResult result;
    std::string& out = result.text;
    out.reserve(text.size() + text.size() / 8 + 64);
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t dollar = text.find('$', i);
        if (dollar == std::string_view::npos || dollar + 1 >= text.size()) {
            out.append(text.substr(i));
            break;
        }
        const char next = text[dollar + 1];
        if (next >= '1' && next <= '9') {
            out.append(text.substr(i, dollar - i));
            out += values[static_cast<std::size_t>(next - '1')];
            result.edited = true;
        } else {
            // The character after a lone "$" is passed over whole (it may be several bytes, but
            // none of them can be a "$").
            out.append(text.substr(i, dollar + 2 - i));
        }
        i = dollar + 2;
    }
    const bool placeholders = result.edited;
    finishWithMinusPairs(result);
    result.edited = result.edited || placeholders;
    return result;
}

namespace {

// Every occurrence of `search` in `text` replaced by `replacement`, left to right; nothing when
// it does not occur.
bool replaceAll(std::string& text, std::string_view search, std::string_view replacement)
{
    std::size_t at = text.find(search);
    if (at == std::string::npos)
        return false;
    std::string out;
    out.reserve(text.size() + (replacement.size() > search.size() ? text.size() / 4 : 0));
    std::size_t from = 0;
    while (at != std::string::npos) {
        out.append(text, from, at - from);
        out.append(replacement);
        from = at + search.size();
        at = text.find(search, from);
    }
    out.append(text, from, std::string::npos);
    text = std::move(out);
    return true;
}

}  // namespace

PassResult convertMacros(std::string_view text, const TDoubleGrid& table)
{
    PassResult result;
    result.text = std::string(text);
    for (std::size_t r = 0; r < table.rowCount(); ++r) {
        const std::string search = withDocumentBreaks(table.searchTexts[r]);
        if (search.empty())
            continue;
        if (replaceAll(result.text, search, withDocumentBreaks(table.replacementTexts[r])))
            result.edited = true;
    }
    const bool replaced = result.edited;
    finishWithMinusPairs(result);
    result.edited = result.edited || replaced;
    return result;
}

namespace {

std::size_t countBreaks(std::string_view text)
{
    std::size_t count = 0;
    for (std::size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n", at + 2))
        ++count;
    return count;
}

template <typename Pass> void runPass(TextEditor& editor, nc::Recolour recolour, Pass&& pass)
{
    std::string buffer;
    const std::string_view old = editor.textView(0, editor.length(), buffer);
    PassResult result = pass(old);
    if (!result.edited) {
        editor.setCaret(0);
        return;
    }
    const long caret = countCharacters(std::string_view(result.text).substr(0, result.caretByte));
    if (result.text != old)
        replaceChangedLines(editor, old, std::move(result.text), recolour);
    editor.setCaret(caret);
    editor.setModified(true);
}

}  // namespace

void replaceChangedLines(TextEditor& editor, std::string_view old, std::string&& fresh, nc::Recolour recolour)
{
    // The common start and end of the two texts, widened to whole lines (lines end at CR LF).
    const std::size_t shorter = std::min(old.size(), fresh.size());
    std::size_t prefix = 0;
    while (prefix < shorter && old[prefix] == fresh[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < shorter - prefix && old[old.size() - 1 - suffix] == fresh[fresh.size() - 1 - suffix])
        ++suffix;
    const std::size_t lineStart = [&] {
        const std::size_t lastBreak = prefix >= 2 ? old.rfind("\r\n", prefix - 2) : std::string_view::npos;
        return lastBreak == std::string_view::npos ? 0 : lastBreak + 2;
    }();
    const std::size_t oldEnd = std::min(old.find("\r\n", old.size() - suffix), old.size());
    const std::size_t freshEnd = oldEnd + fresh.size() - old.size();

    const int first = static_cast<int>(countBreaks(old.substr(0, lineStart)));
    const int count = 1 + static_cast<int>(countBreaks(old.substr(lineStart, oldEnd - lineStart)));
    std::string lines;
    if (lineStart == 0 && freshEnd == fresh.size()) {
        lines = std::move(fresh);
    } else {
        lines.reserve(freshEnd - lineStart + 2);
        lines.append(fresh, lineStart, freshEnd - lineStart);
    }
    lines += "\r\n";

    bool given = false;
    auto next = [&](std::string& piece) {
        if (given)
            return false;
        piece = std::move(lines);
        given = true;
        return true;
    };
    TextEditor::LinesColouring colours;
    if (recolour == nc::Recolour::WrittenLines)
        colours = [](std::string_view text) { return colouring::LineRuns(text, 0); };
    QuietEditor quiet(editor);  // the pass colours the lines it writes itself
    editor.replaceLinesFromPieces(first, count, next, colours);
}

void runPlaceholderPass(TextEditor& editor, const ValueSet& set, nc::Recolour recolour)
{
    runPass(editor, recolour, [&](std::string_view text) { return fillPlaceholders(text, set); });
}

void runMacroPass(TextEditor& editor, const TDoubleGrid& table, nc::Recolour recolour)
{
    runPass(editor, recolour, [&](std::string_view text) { return convertMacros(text, table); });
}

}  // namespace zorvan::lists
