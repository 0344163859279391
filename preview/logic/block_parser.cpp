#include "preview/logic/block_parser.h"

#include "preview/logic/number_text.h"

#include <cmath>
#include <cstring>

namespace zorvan::preview {

namespace {

bool startsWord(const char* p, const char* end, const char* word)
{
    std::size_t n = std::strlen(word);
    return static_cast<std::size_t>(end - p) >= n && std::memcmp(p, word, n) == 0;
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
    block.present = block.plain = 0;
    block.gCount = block.mCount = 0;
    block.skipped = false;

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
    bool badReported = false;
    while (p < end) {
        const char c = *p;
        if (c >= 'A' && c <= 'Z') {
            if (p + 1 < end && p[1] >= 'A' && p[1] <= 'Z' && isBranchWord(p, end)) {
                diagnostics.push_back({line, DiagnosticCode::BranchSkipped});
                block.skipped = true;
                return;
            }
            ++p;
            double v = 0;
            bool plain = false;
            if (p < end && (*p == '#' || *p == '[' || (*p == '-' && p + 1 < end && (p[1] == '#' || p[1] == '[')))) {
                bool negative = *p == '-';
                if (negative)
                    ++p;
                MacroReader reader(p, end, variables);
                MacroValue mv = *p == '#' ? reader.variable() : reader.bracketed();
                report(diagnostics, line, reader);
                if (reader.failed) {
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
                NumberText n = readNumberText(p, end);
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
        } else {
            if (!badReported)
                diagnostics.push_back({line, DiagnosticCode::BadCharacter});
            badReported = true;
            ++p;
        }
    }
}

}  // namespace zorvan::preview
