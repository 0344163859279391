// Macro variables (#1 .. #999; system variables from #1000 up cannot be read here) and the bracketed expressions of a block: the four operations,
// unary minus, MOD, brackets and the common functions (angles in degrees). A variable never set
// is vacant: it counts as 0 in arithmetic, and an address given only a vacant variable is absent.
#pragma once

#include "preview/logic/toolpath.h"

#include <cstdint>
#include <vector>

namespace zorvan::preview {

class MacroVariables {
public:
    static constexpr int kCount = 1000;
    MacroVariables() : value_(kCount, 0.0), set_(kCount, 0) {}
    bool readable(int n) const { return n >= 0 && n < kCount; }
    bool isSet(int n) const { return readable(n) && set_[n]; }
    double get(int n) const { return isSet(n) ? value_[n] : 0.0; }
    void set(int n, double v)
    {
        value_[n] = v;
        set_[n] = 1;
    }
    void clear(int n) { set_[n] = 0; }
    bool operator==(const MacroVariables&) const = default;

private:
    std::vector<double> value_;
    std::vector<std::uint8_t> set_;
};

struct MacroValue {
    double value = 0;
    bool vacant = false;
};

// Reads an expression, a variable reference or a number starting at `p`; `p` ends after it.
// On a fault `failed` is set with its code and value, and reading stops.
class MacroReader {
public:
    MacroReader(const char*& p, const char* end, const MacroVariables& variables)
        : p_(p), end_(end), vars_(variables)
    {
    }
    MacroValue expression();  // the + - OR XOR level
    MacroValue bracketed();   // "[" expression "]"
    MacroValue variable();    // "#" followed by a number, a bracket or another variable
    // The variable number of "#n" / "#[...]" at p (for the left side of an assignment).
    int variableNumber();

    bool failed = false;
    DiagnosticCode error = DiagnosticCode::BadExpression;
    double errorValue = 0;
    // A variable out of reach (a system variable) was read as vacant.
    bool unreadable = false;
    double unreadableNumber = 0;

private:
    // Brackets, signs, functions and indirect variables nest by recursion: past this many
    // levels the expression is refused before the stack runs out.
    static constexpr int kMostNesting = 200;
    struct Nesting;

    MacroValue term();
    MacroValue factor();
    MacroValue function(const char* name, int length);
    bool take(char c);
    int word(const char*& start);  // length of the upper-case run at p (not consumed)
    void fail(DiagnosticCode code, double value = 0);
    void skipBlanks();
    bool tooDeep();  // fails when the nesting is past kMostNesting

    const char*& p_;
    const char* end_;
    const MacroVariables& vars_;
    int depth_ = 0;
};

}  // namespace zorvan::preview
