#include "nc/logic/nc_blocks.h"

#include <charconv>
#include <iterator>

namespace zorvan::nc {

namespace {

std::size_t digitsEnd(std::string_view line, std::size_t from)
{
    while (from < line.size() && isDigitChar(line[from]))
        ++from;
    return from;
}

// Whether the letter at `at` starts a word: a letter right after another belongs to a keyword
// ("GOTO", "MOD").
bool startsWord(std::string_view line, std::size_t at) { return at == 0 || !isUpperLetter(line[at - 1]); }

}  // namespace

std::size_t commentEnd(std::string_view line, std::size_t open)
{
    const std::size_t close = line.find(')', open + 1);
    return close == std::string_view::npos ? line.size() : close + 1;
}

bool isBlankLine(std::string_view line)
{
    for (char c : line)
        if (!isBlank(c))
            return false;
    return true;
}

BlockStart readBlockStart(std::string_view line)
{
    BlockStart block;
    std::size_t i = 0;
    bool filler = false;  // comments or a block delete seen
    auto skipFiller = [&] {
        while (i < line.size()) {
            if (isBlank(line[i])) {
                ++i;
            } else if (line[i] == '(') {
                i = commentEnd(line, i);
                filler = true;
            } else {
                break;
            }
        }
    };
    skipFiller();
    if (i < line.size() && line[i] == '/') {
        ++i;
        if (i < line.size() && isDigitChar(line[i]))
            ++i;
        filler = true;
        skipFiller();
    }
    block.wordAt = i;
    if (i == line.size()) {
        block.kind = filler ? BlockKind::CommentOnly : BlockKind::Empty;
        return block;
    }
    const char c = line[i];
    const char after = i + 1 < line.size() ? line[i + 1] : '\0';
    if (c == '%') {
        block.kind = BlockKind::Percent;
    } else if ((c == 'O' && (isDigitChar(after) || after == '<')) || (c == ':' && isDigitChar(after))) {
        block.kind = BlockKind::ProgramStart;
    } else {
        block.kind = BlockKind::Block;
        if (c == 'N' && isDigitChar(after)) {
            block.sequence = readAddressWord(line.substr(i), 'N');
            block.sequence->letterAt += i;
        }
    }
    return block;
}

std::optional<long long> wholeNumber(std::string_view digits)
{
    long long value = 0;
    auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || value < 0)
        return std::nullopt;
    return value;
}

Jumps jumpsOf(std::string_view line)
{
    Jumps jumps;
    if (line.find('M') == std::string_view::npos && line.find("GOTO") == std::string_view::npos)
        return jumps;
    auto add = [&](std::size_t at, std::size_t end) {
        const auto value = wholeNumber(line.substr(at, end - at));
        if (!value || jumps.count == static_cast<int>(std::size(jumps.items)))
            return;
        // Kept left to right: a P read before a GOTO of the same line goes in front of it.
        int k = jumps.count++;
        while (k > 0 && jumps.items[k - 1].at > at) {
            jumps.items[k] = jumps.items[k - 1];
            --k;
        }
        jumps.items[k] = {at, end - at, *value};
    };
    bool returns = false;  // the block holds M99
    std::optional<std::pair<std::size_t, std::size_t>> p;
    for (std::size_t i = 0; i < line.size();) {
        const char c = line[i];
        if (c == '(') {
            i = commentEnd(line, i);
        } else if (c == 'G' && line.substr(i, 4) == "GOTO" && startsWord(line, i)) {
            std::size_t at = i + 4;
            while (at < line.size() && isBlank(line[at]))
                ++at;
            const std::size_t end = digitsEnd(line, at);
            add(at, end);
            i = end > at ? end : i + 4;
        } else if ((c == 'M' || c == 'P') && startsWord(line, i)) {
            const std::size_t end = digitsEnd(line, i + 1);
            if (c == 'M' && wholeNumber(line.substr(i + 1, end - i - 1)) == 99)
                returns = true;
            else if (c == 'P' && !p && end > i + 1)
                p = std::pair(i + 1, end);
            i = end > i + 1 ? end : i + 1;
        } else {
            ++i;
        }
    }
    if (returns && p)
        add(p->first, p->second);
    return jumps;
}

}  // namespace zorvan::nc
