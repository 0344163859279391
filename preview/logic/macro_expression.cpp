#include "preview/logic/macro_expression.h"

#include "preview/logic/number_text.h"

#include <cmath>
#include <cstring>
#include <numbers>

namespace zorvan::preview {

namespace {

constexpr double kDegree = std::numbers::pi / 180;

bool named(const char* at, int length, const char* name)
{
    return static_cast<int>(std::strlen(name)) == length && std::memcmp(at, name, static_cast<std::size_t>(length)) == 0;
}

// The integer a logical operator (AND, OR, XOR) works on: the value truncated, when it has one.
bool integerOperand(double value, long long& integer)
{
    if (!(value >= -0x1p63 && value < 0x1p63))
        return false;  // NaN, or past the range of long long
    integer = static_cast<long long>(value);
    return true;
}

}  // namespace

// One more level of nesting for as long as it lives.
struct MacroReader::Nesting {
    explicit Nesting(MacroReader& reader) : reader_(reader) { ++reader_.depth_; }
    ~Nesting() { --reader_.depth_; }
    Nesting(const Nesting&) = delete;
    Nesting& operator=(const Nesting&) = delete;
    MacroReader& reader_;
};

bool MacroReader::tooDeep()
{
    if (depth_ <= kMostNesting)
        return false;
    fail(DiagnosticCode::BadExpression);
    return true;
}

void MacroReader::skipBlanks()
{
    while (p_ < end_ && (*p_ == ' ' || *p_ == '\t'))
        ++p_;
}

bool MacroReader::take(char c)
{
    skipBlanks();
    if (p_ < end_ && *p_ == c) {
        ++p_;
        return true;
    }
    return false;
}

int MacroReader::word(const char*& start)
{
    skipBlanks();
    start = p_;
    const char* q = p_;
    while (q < end_ && *q >= 'A' && *q <= 'Z')
        ++q;
    return static_cast<int>(q - p_);
}

void MacroReader::fail(DiagnosticCode code, double value)
{
    if (failed)
        return;
    failed = true;
    error = code;
    errorValue = value;
}

MacroValue MacroReader::expression()
{
    MacroValue left = term();
    while (!failed) {
        const char* at;
        int n = word(at);
        if (take('+')) {
            left = {left.value + term().value, false};
        } else if (take('-')) {
            left = {left.value - term().value, false};
        } else if (named(at, n, "OR") || named(at, n, "XOR")) {
            p_ += n;
            const double right = term().value;
            long long a = 0, b = 0;
            if (failed || !integerOperand(left.value, a) || !integerOperand(right, b)) {
                fail(DiagnosticCode::BadExpression);
                return {};
            }
            left = {static_cast<double>(n == 2 ? (a | b) : (a ^ b)), false};
        } else {
            break;
        }
    }
    return left;
}

MacroValue MacroReader::term()
{
    MacroValue left = factor();
    while (!failed) {
        const char* at;
        int n = word(at);
        if (take('*')) {
            left = {left.value * factor().value, false};
        } else if (take('/')) {
            double divisor = factor().value;
            if (divisor == 0) {
                fail(DiagnosticCode::DivisionByZero);
                return {};
            }
            left = {left.value / divisor, false};
        } else if (named(at, n, "MOD")) {
            p_ += n;
            double divisor = factor().value;
            if (divisor == 0) {
                fail(DiagnosticCode::DivisionByZero);
                return {};
            }
            left = {std::fmod(left.value, divisor), false};
        } else if (named(at, n, "AND")) {
            p_ += n;
            const double right = factor().value;
            long long a = 0, b = 0;
            if (failed || !integerOperand(left.value, a) || !integerOperand(right, b)) {
                fail(DiagnosticCode::BadExpression);
                return {};
            }
            left = {static_cast<double>(a & b), false};
        } else {
            break;
        }
    }
    return left;
}

MacroValue MacroReader::factor()
{
    const Nesting level(*this);
    if (tooDeep())
        return {};
    skipBlanks();
    if (p_ >= end_) {
        fail(DiagnosticCode::BadExpression);
        return {};
    }
    char c = *p_;
    if (c == '-') {
        ++p_;
        return {-factor().value, false};
    }
    if (c == '+') {
        ++p_;
        return {factor().value, false};
    }
    if (c == '[')
        return bracketed();
    if (c == '#')
        return variable();
    if (isDigitChar(c) || c == '.') {
        NumberText n = readNumberText(p_, end_, false);
        return {n.value, false};
    }
    const char* at;
    int n = word(at);
    if (n > 0) {
        p_ += n;
        return function(at, n);
    }
    fail(DiagnosticCode::BadExpression);
    return {};
}

MacroValue MacroReader::bracketed()
{
    if (!take('[')) {
        fail(DiagnosticCode::BadExpression);
        return {};
    }
    MacroValue v = expression();
    if (!failed && !take(']'))
        fail(DiagnosticCode::BadExpression);
    return {v.value, v.vacant};
}

int MacroReader::variableNumber()
{
    const Nesting level(*this);
    if (tooDeep())
        return -1;
    if (!take('#')) {
        fail(DiagnosticCode::BadExpression);
        return -1;
    }
    skipBlanks();
    double n = 0;
    if (p_ < end_ && *p_ == '[')
        n = bracketed().value;
    else if (p_ < end_ && *p_ == '#')
        n = variable().value;
    else if (p_ < end_ && isDigitChar(*p_))
        n = readNumberText(p_, end_, false).value;
    else
        fail(DiagnosticCode::BadExpression);
    if (failed)
        return -1;
    n = std::round(n);
    if (!(n >= 0 && n < MacroVariables::kCount)) {  // NaN too; only then is it an int
        fail(DiagnosticCode::UnreadableVariable, n);
        return -1;
    }
    return static_cast<int>(n);
}

MacroValue MacroReader::variable()
{
    int n = variableNumber();
    if (failed) {
        // An unreadable system variable reads as vacant; the fault is still reported.
        if (error != DiagnosticCode::UnreadableVariable)
            return {};
        failed = false;
        unreadable = true;
        unreadableNumber = errorValue;
        return {0, true};
    }
    return {vars_.get(n), !vars_.isSet(n)};
}

MacroValue MacroReader::function(const char* name, int length)
{
    auto call = [&](auto f) -> MacroValue {
        MacroValue v = bracketed();
        if (failed)
            return {};
        return {f(v.value), false};
    };
    if (named(name, length, "SIN"))
        return call([](double v) { return std::sin(v * kDegree); });
    if (named(name, length, "COS"))
        return call([](double v) { return std::cos(v * kDegree); });
    if (named(name, length, "TAN"))
        return call([](double v) { return std::tan(v * kDegree); });
    if (named(name, length, "ASIN"))
        return call([](double v) { return std::asin(v) / kDegree; });
    if (named(name, length, "ACOS"))
        return call([](double v) { return std::acos(v) / kDegree; });
    if (named(name, length, "SQRT") || named(name, length, "SQR"))
        return call([](double v) { return std::sqrt(v); });
    if (named(name, length, "ABS"))
        return call([](double v) { return std::fabs(v); });
    if (named(name, length, "ROUND") || named(name, length, "RND"))
        return call([](double v) { return std::round(v); });
    if (named(name, length, "FIX"))
        return call([](double v) { return std::trunc(v); });
    if (named(name, length, "FUP"))
        return call([](double v) { return v < 0 ? std::floor(v) : std::ceil(v); });
    if (named(name, length, "LN"))
        return call([](double v) { return std::log(v); });
    if (named(name, length, "EXP"))
        return call([](double v) { return std::exp(v); });
    if (named(name, length, "ATAN")) {
        // ATAN[y]/[x], ATAN[y,x] (0 to 360 degrees) or ATAN[v].
        if (!take('[')) {
            fail(DiagnosticCode::BadExpression);
            return {};
        }
        double y = expression().value;
        double x = 1;
        bool two = false;
        if (take(',')) {
            x = expression().value;
            two = true;
        }
        if (failed || !take(']')) {
            fail(DiagnosticCode::BadExpression);
            return {};
        }
        skipBlanks();
        if (!two && p_ + 1 < end_ && p_[0] == '/' && p_[1] == '[') {
            ++p_;
            x = bracketed().value;
            two = true;
        }
        if (failed)
            return {};
        if (!two)
            return {std::atan(y) / kDegree, false};
        double angle = std::atan2(y, x) / kDegree;
        return {angle < 0 ? angle + 360 : angle, false};
    }
    fail(DiagnosticCode::BadExpression);
    return {};
}

}  // namespace zorvan::preview
