#include "preview/logic/block_parser.h"

#include "nc/logic/nc_words.h"
#include "preview/logic/number_text.h"

#include <cmath>
#include <cstring>

namespace zorvan::preview {

namespace {

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool startsWord(const char* p, const char* end, const char* word)
{
    std::size_t n = std::strlen(word);
    if (static_cast<std::size_t>(end - p) < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (upper(p[i]) != word[i])
            return false;
    return true;
}

// The code point of the UTF-8 character at p (a stray byte as itself).
double codePointAt(const char* p, const char* end)
{
    const auto lead = static_cast<unsigned char>(*p);
    const int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
    if (extra == 0 || end - p <= extra)
        return lead;
    std::uint32_t c = lead & (0x3F >> extra);
    for (int i = 1; i <= extra; ++i)
        c = (c << 6) | (static_cast<unsigned char>(p[i]) & 0x3F);
    return c;
}

// Whether a word's value may end before this character.
bool endsValue(char c)
{
    return isLetter(c) || isBlank(c) || c == '(' || c == ';' || c == '\r' || c == ',' || c == '#';
}

// The number after an address letter, with blanks anywhere in it ignored and a leading "+" or
// "-". Fails (returns false) when there is no digit or the number is malformed (`problem` tells
// how); p ends after what was read.
bool readWordNumber(const char*& p, const char* end, NumberText& number, nc::NumberProblem& problem)
{
    problem = nc::NumberProblem::None;
    while (p < end && isBlank(*p))
        ++p;
    bool negative = false;
    if (p < end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
        while (p < end && isBlank(*p))
            ++p;
    }
    const char* start = p;
    number = readNumberText(p, end, false);
    // Blanks between digits ("X1 000.") belong to the number: only then is a copy made.
    const char* q = p;
    while (q < end && isBlank(*q))
        ++q;
    if (q > p && q < end && *q == '.' && !(q + 1 < end && isDigitChar(q[1])) && !number.empty) {
        problem = nc::NumberProblem::StrayPoint;  // "Y0. .", "N210 .": a point standing alone
        p = q + 1;
        return false;
    }
    if (q > p && q < end && (isDigitChar(*q) || *q == '.')) {
        char buffer[64];
        int n = 0;
        for (const char* r = start; r < end && (isDigitChar(*r) || *r == '.' || isBlank(*r)); ++r) {
            if (!isBlank(*r) && n < 63)
                buffer[n++] = *r;
            p = r + 1;
        }
        while (p > start && isBlank(p[-1]))
            --p;
        const char* b = buffer;
        number = readNumberText(b, buffer + n, false);
    }
    if (negative)
        number.value = -number.value;
    if (number.twoPoints)
        problem = nc::NumberProblem::TwoPoints;
    else if (number.empty && p > start)
        problem = nc::NumberProblem::NoDigit;  // "X.", "X-."
    else if (number.hasPoint && p < end && (*p == '-' || *p == '+'))
        problem = nc::NumberProblem::SignAfterPoint;  // "X5.-3", "X.-5"
    return !number.empty && problem == nc::NumberProblem::None;
}

// IF, GOTO, WHILE and the DO/END of a loop.
bool isBranchWord(const char* p, const char* end)
{
    return startsWord(p, end, "IF") || startsWord(p, end, "GOTO") || startsWord(p, end, "WHILE")
        || startsWord(p, end, "DO") || startsWord(p, end, "END");
}

void report(std::vector<Diagnostic>& diagnostics, std::uint32_t line, const MacroReader& reader)
{
    if (reader.unreadable)
        diagnostics.push_back({line, DiagnosticCode::UnreadableVariable, reader.unreadableNumber});
    if (reader.failed)
        diagnostics.push_back({line, reader.error, reader.errorValue});
}

void assign(const char*& p, const char* end, std::uint32_t line, MacroVariables& variables,
            std::vector<Diagnostic>& diagnostics)
{
    MacroReader reader(p, end, variables);
    int n = reader.variableNumber();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (!reader.failed && (p >= end || *p != '=')) {
        reader.failed = true;
        reader.error = DiagnosticCode::BadExpression;
    }
    MacroValue v;
    if (!reader.failed) {
        ++p;
        v = reader.expression();
    }
    report(diagnostics, line, reader);
    if (reader.failed) {
        p = end;
        return;
    }
    if (n == 0)
        return;  // #0 stays vacant
    if (v.vacant)
        variables.clear(n);
    else
        variables.set(n, v.value);
}

}  // namespace

void parseBlock(std::string_view text, std::uint32_t line, const BlockOptions& options, MacroVariables& variables,
                Block& block, std::vector<Diagnostic>& diagnostics)
{
    block.present = block.plain = block.repeated = 0;
    block.gCount = block.mCount = 0;
    block.skipped = block.unreadable = false;
    block.corner = 0;

    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (p < end && *p == '%')
        return;
    if (p < end && *p == '/') {
        if (options.blockDelete)
            return;
        ++p;
    }
    // A value that cannot be read: the word is left out, the block makes no move.
    auto unreadable = [&](const char* at, char letter) {
        if (!block.unreadable)
            diagnostics.push_back({line, DiagnosticCode::BadCharacter, at < end ? codePointAt(at, end) : 0, letter});
        block.unreadable = true;
    };
    // A malformed number ("X3..5"): reported with the word as written, which makes no move.
    auto malformed = [&](const char* from, const char* to, char letter, nc::NumberProblem problem) {
        while (to > from && isBlank(to[-1]))
            --to;
        diagnostics.push_back({line, DiagnosticCode::UnreadableNumber, static_cast<double>(from - text.data()), letter,
                               std::string(from, to), static_cast<std::uint8_t>(problem)});
        block.unreadable = true;
    };
    while (p < end) {
        // ":" before a number is the program number of the ISO form, an "O".
        const char c = *p == ':' && p + 1 < end && isDigitChar(p[1]) ? 'O' : upper(*p);
        if (c >= 'A' && c <= 'Z') {
            if (p + 1 < end && isLetter(p[1]) && isBranchWord(p, end)) {
                diagnostics.push_back({line, DiagnosticCode::BranchSkipped});
                block.skipped = true;
                return;
            }
            const char* wordAt = p;
            ++p;
            const char* valueAt = p;
            while (valueAt < end && isBlank(*valueAt))
                ++valueAt;
            double v = 0;
            bool plain = false;
            if (valueAt < end
                && (*valueAt == '#' || *valueAt == '['
                    || (*valueAt == '-' && valueAt + 1 < end && (valueAt[1] == '#' || valueAt[1] == '[')))) {
                p = valueAt;
                bool negative = *p == '-';
                if (negative)
                    ++p;
                MacroReader reader(p, end, variables);
                MacroValue mv = *p == '#' ? reader.variable() : reader.bracketed();
                report(diagnostics, line, reader);
                if (reader.failed) {  // told by its own diagnostic; the word is left out
                    p = end;
                    break;
                }
                if (mv.vacant)
                    continue;  // an address given a vacant variable is not given
                if (!std::isfinite(mv.value)) {
                    // SQRT[-1], EXP[1000]: no position or code can be made of it, so it is not given
                    diagnostics.push_back({line, DiagnosticCode::BadExpression});
                    continue;
                }
                v = negative ? -mv.value : mv.value;
            } else {
                NumberText n;
                nc::NumberProblem problem;
                if (!readWordNumber(p, end, n, problem) || (p < end && !endsValue(*p))) {
                    const char* bad = p;
                    while (bad < end && isBlank(*bad))
                        ++bad;
                    // The rest of the word goes with it.
                    while (p < end && !isLetter(*p) && *p != '(' && *p != ';' && *p != '#')
                        ++p;
                    if (problem != nc::NumberProblem::None)
                        malformed(wordAt, p, c, problem);
                    else
                        unreadable(bad, c);
                    continue;
                }
                v = n.value;
                plain = !n.hasPoint;
            }
            if (c == 'G') {
                if (block.gCount < 12)
                    block.g[block.gCount++] = static_cast<int>(std::lround(v * 10));
            } else if (c == 'M') {
                if (block.mCount < 6)
                    block.m[block.mCount++] = static_cast<int>(std::lround(v));
            } else if (c != 'N') {
                const std::uint32_t bit = 1u << (c - 'A');
                if (block.present & bit)
                    block.repeated |= bit;
                block.value[c - 'A'] = v;
                block.present |= bit;
                block.plain = plain ? (block.plain | bit) : (block.plain & ~bit);
            }
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++p;
        } else if (c == '(') {
            const void* close = std::memchr(p, ')', static_cast<std::size_t>(end - p));
            p = close ? static_cast<const char*>(close) + 1 : end;
        } else if (c == '#') {
            assign(p, end, line, variables, diagnostics);
        } else if (c == ';') {
            break;
        } else if (c == ',' && p + 1 < end && (upper(p[1]) == 'C' || upper(p[1]) == 'R')) {
            // A corner after a straight move: ",C" a chamfer, ",R" a rounding of that size.
            const char kind = upper(p[1]);
            p += 2;
            NumberText n;
            nc::NumberProblem problem;
            const char* wordAt = p - 2;
            if (!readWordNumber(p, end, n, problem) || (p < end && !endsValue(*p))) {
                if (problem != nc::NumberProblem::None)
                    malformed(wordAt, p, kind, problem);
                else
                    unreadable(p < end ? p : p - 1, kind);
                continue;
            }
            block.corner = kind;
            block.cornerSize = std::fabs(n.value);
        } else if (*p == '.') {
            // A point that belongs to no word: "." alone in a block.
            const char* from = p++;
            while (p < end && (isDigitChar(*p) || *p == '.'))
                ++p;
            malformed(from, p, 0, p == from + 1 ? nc::NumberProblem::StrayPoint : nc::NumberProblem::NoDigit);
        } else {
            unreadable(p, 0);
            ++p;
            while (p < end && (static_cast<unsigned char>(*p) & 0xC0) == 0x80)
                ++p;  // the rest of a character of several bytes
        }
    }
}

}  // namespace zorvan::preview
