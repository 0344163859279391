#include "calc/logic/calc_engine.h"

#include "calc/logic/calc_text.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace zorvan {

namespace {

[[noreturn]] void fault(const char* text)
{
    throw CalcError(text);
}

// Stores a wide result as a double; a NaN is an invalid operation, an infinity an overflow.
double stored(long double r)
{
    const double d = static_cast<double>(r);
    if (std::isnan(d))
        fault(kInvalidOperationText);
    if (std::isinf(d))
        fault(kOverflowText);
    return d;
}

long double powerWide(long double B, long double X)
{
    if (X == 0)
        return 1;
    if (B == 0 && X > 0)
        return 0;
    if (std::trunc(X) == X && std::fabs(X) <= 2147483647.0L) {
        auto n = static_cast<unsigned long>(std::fabs(X));
        long double result = 1;
        long double base = B;
        for (;;) {
            if (n & 1)
                result *= base;
            n >>= 1;
            if (n == 0)
                break;
            base *= base;
        }
        if (X > 0)
            return result;
        if (result == 0)
            fault(B == 0 ? kDivideByZeroText : kOverflowText);
        return 1 / result;  // an infinite power gives a reciprocal too small to show: 0
    }
    if (B < 0)
        fault(kInvalidOperationText);
    if (B == 0)
        fault(kDivideByZeroText);  // ln 0 with a negative exponent
    return std::exp(X * std::log(B));
}

// Keys whose handling reads the display as a number.
bool readsDisplay(char k)
{
    static constexpr char keys[] = {calckey::Min, calckey::MPlus, calckey::MMinus, calckey::Dms,
        calckey::Enter, ' ', 'C', 'c', 'S', 's', 'T', 't', 'E', 'e', 'R', 'r', 'X', 'x', '\\',
        '+', '-', '*', '/', '=', '~', 'o', 'u'};
    return std::memchr(keys, k, sizeof keys) != nullptr;
}

std::optional<std::uint8_t> operatorCode(char k)
{
    switch (k) {
    case '+': return calcop::Add;
    case '-': return calcop::Subtract;
    case '*': return calcop::Multiply;
    case '/': return calcop::Divide;
    case '~': return calcop::Remainder;
    case 'o': return calcop::Power;
    case 'u': return calcop::Root;
    case '=': return calcop::End;
    default: return std::nullopt;
    }
}

bool isHigh(std::uint8_t code)
{
    return code == calcop::Multiply || code == calcop::Divide || code == calcop::Remainder
        || code == calcop::Power || code == calcop::Root;
}

bool isLow(std::uint8_t code)
{
    return code == calcop::Add || code == calcop::Subtract;
}

CalcMessage conversionMessage(const std::string& display)
{
    return {"'" + display + "' は浮動小数点数ではありません", {}};
}

}  // namespace

CalcMemory& programCalcMemory()
{
    static CalcMemory memory;
    return memory;
}

double calcPower(double B, double X)
{
    return stored(powerWide(B, X));
}

double ApplyOperator(std::uint8_t code, double L, double R)
{
    const long double l = L;
    switch (code) {
    case calcop::Add: return stored(l + R);
    case calcop::Subtract: return stored(l - R);
    case calcop::Multiply: return stored(l * R);
    case calcop::Divide:
        if (R == 0)
            fault(L == 0 ? kInvalidOperationText : kDivideByZeroText);
        return stored(l / R);
    case calcop::Remainder:
        if (R == 0 || L == 0)
            return 0;
        if (std::isinf(R))
            return L;
        return std::fmod(L, R);
    case calcop::Power: return stored(powerWide(L, R));
    case calcop::Root:
        if (R == 0)
            fault(kDivideByZeroText);
        return stored(powerWide(L, 1.0L / R));
    default:
        // The end marker and unknown codes are never applied.
        fault(kInvalidOperationText);
    }
}

CalcEngine::CalcEngine(CalcMemory& memory) : memory_(memory)
{
    ResetEngine();
}

void CalcEngine::ResetEngine()
{
    Operators.fill(0);
    Operands.fill(0);
    Depth = 0;
    NewEntry = true;
    InverseMode = false;
    RestorePending = false;
    DmsStage = 0;
    if (memory_.MemoryM != 0)
        indicator_ = "M";
}

void CalcEngine::RefreshIndicators()
{
    indicator_ = memory_.MemoryM != 0 ? "M" : "";
    if (InverseMode)
        indicator_ += " inv";
    captions_ = InverseMode ? std::array<std::string, 3>{"Asin", "Acos", "Atan"}
                            : std::array<std::string, 3>{"sin", "cos", "tan"};
}

bool CalcEngine::pasteText(const std::string& text)
{
    if (!calcTextValue(text))
        return false;
    display_ = text;
    return true;
}

double CalcEngine::displayValue() const
{
    const std::optional<double> v = calcTextValue(display_);
    if (!v)
        throw CalcError(conversionMessage(display_).text);
    return *v;
}

void CalcEngine::show(double v)
{
    display_ = calcValueText(v);
}

std::optional<CalcMessage> CalcEngine::FormKeyPress(char& Key)
{
    char code[16];
    std::snprintf(code, sizeof code, "0x%02x",
        static_cast<unsigned>(static_cast<int>(static_cast<signed char>(Key))));
    keyCode_ = code;

    if (RestorePending) {
        RestorePending = false;
        show(Operands[Depth]);
    }

    if ((Key >= '0' && Key <= '9') || Key == '.') {
        digitEntry(Key);
        return std::nullopt;
    }

    // A display that does not read as a number stops a key that needs its value, before
    // anything changes. Keys that do not use the value (Esc, "Z", Backspace...) still work,
    // so they recover from such a display.
    if (readsDisplay(Key) && !calcTextValue(display_))
        return conversionMessage(display_);

    std::optional<CalcMessage> message;
    try {
        bool endsKey = false;
        functionStep(Key, endsKey, message);
        if (endsKey)
            return message;
        DmsStage = 0;
        InverseMode = false;
        RefreshIndicators();
        if (const auto c = operatorCode(Key)) {
            operatorStep(*c);
            Key = '\0';
        }
    } catch (const CalcError& e) {
        // An arithmetic fault: the display keeps its text and the engine starts afresh, so no
        // half-done operation is left on the stack.
        ResetEngine();
        RefreshIndicators();
        return CalcMessage{e.text(), {}};
    }
    return message;
}

void CalcEngine::digitEntry(char k)
{
    if (NewEntry) {
        if (k == '0') {
            display_ = "0";
        } else {
            display_ = k == '.' ? "0." : std::string(1, k);
            NewEntry = false;
        }
        return;
    }
    if (k == '.' && display_.find('.') != std::string::npos)
        return;
    display_ += k;
}

void CalcEngine::functionStep(char& k, bool& endsKey, std::optional<CalcMessage>& message)
{
    const double v = readsDisplay(k) ? displayValue() : 0;
    switch (k) {
    case calckey::Min:
        memory_.MemoryM = v;
        break;
    case calckey::MPlus:
        memory_.MemoryM = stored(static_cast<long double>(memory_.MemoryM) + v);
        NewEntry = true;
        break;
    case calckey::MMinus:
        memory_.MemoryM = stored(static_cast<long double>(memory_.MemoryM) - v);
        NewEntry = true;
        break;
    case calckey::MR:
        show(memory_.MemoryM);
        NewEntry = true;
        break;
    case calckey::MC:
        memory_.MemoryM = 0;
        NewEntry = true;
        break;
    case calckey::Dms:
        if (!InverseMode) {
            angleEntry(v);
            endsKey = true;
        } else {
            angleDisplay(v);
        }
        break;
    case calckey::Backspace:
        backspace();
        break;
    case calckey::Enter:
    case ' ':
        k = '=';
        break;
    case calckey::Esc:
        ResetEngine();
        display_ = "0";
        break;
    case 'C': case 'c': case 'S': case 's': case 'T': case 't':
        message = trigonometry(k);
        break;
    case 'E': case 'e':
        show(stored(static_cast<long double>(v) * v));
        NewEntry = true;
        break;
    case 'R': case 'r':
        show(calcPower(v, 0.5));
        NewEntry = true;
        break;
    case 'X': case 'x':
        if (v == 0)
            fault(kDivideByZeroText);
        show(stored(1.0L / v));
        NewEntry = true;
        break;
    case '\\':
        show(v * -1);
        NewEntry = true;
        break;
    case 'P': case 'p':
        show(CalcPi);
        NewEntry = true;
        break;
    case 'Z': case 'z':
        display_ = "0";
        NewEntry = true;
        break;
    case 'I': case 'i':
        InverseMode = !InverseMode;
        DmsStage = 0;
        RefreshIndicators();
        endsKey = true;
        break;
    default:
        break;
    }
}

std::optional<CalcMessage> CalcEngine::trigonometry(char k)
{
    const long double x = displayValue();
    const char kind = static_cast<char>(k | 0x20);  // 'c', 's' or 't'
    long double r = 0;
    if (InverseMode) {
        if (kind != 't' && 1 - x * x < 0)
            fault(kInvalidOperationText);
        if (kind == 'c')
            r = std::atan2(std::sqrt(1 - x * x), x);
        else if (kind == 's')
            r = std::atan2(x, std::sqrt(1 - x * x));
        else
            r = std::atan2(x, 1.0L);
        r /= DegreeFactor;
    } else {
        const long double radians = x * DegreeFactor;
        r = kind == 'c' ? std::cos(radians) : kind == 's' ? std::sin(radians) : std::tan(radians);
    }
    InverseMode = false;
    RefreshIndicators();
    NewEntry = true;
    const double v = static_cast<double>(r);
    if (std::isnan(v))
        return CalcMessage{"計算できねーよ", "エラー"};
    if (std::isinf(v))
        fault(kOverflowText);
    show(v);
    return std::nullopt;
}

void CalcEngine::angleEntry(double v)
{
    double& slot = Operands[Depth];
    switch (DmsStage) {
    case 0:
        slot = v;
        DmsStage = 1;
        break;
    case 1:
        slot = stored(v * (1.0L / 60.0L) + slot);
        DmsStage = 2;
        break;
    default:
        slot = stored(v * (1.0L / 3600.0L) + slot);
        DmsStage = 0;
        break;
    }
    show(slot);
    NewEntry = true;
}

void CalcEngine::angleDisplay(double v)
{
    Operands[Depth] = v;
    RestorePending = true;
    display_ = calcAngleText(v);
}

void CalcEngine::backspace()
{
    std::string t = display_;
    if (!t.empty()) {
        // Drop the last character, not just its last byte.
        std::size_t cut = t.size() - 1;
        while (cut > 0 && (static_cast<unsigned char>(t[cut]) & 0xC0) == 0x80)
            --cut;
        t.erase(cut);
    }
    if (t == "-0" || t.empty())
        t = "0";
    display_ = t;
    if (t == "0")
        NewEntry = true;
}

void CalcEngine::operatorStep(std::uint8_t c)
{
    Operands[Depth] = displayValue();
    Operators[Depth] = c;
    ++Depth;
    NewEntry = true;
    const int n = Depth;

    if (isLow(c) && n >= 2) {
        while (Depth >= 2) {
            const int i = Depth - 2;
            Operands[i] = ApplyOperator(Operators[i], Operands[i], Operands[i + 1]);
            Operators[i] = Operators[i + 1];
            --Depth;
        }
        show(Operands[0]);
    } else if (isHigh(c) && n >= 2 && isHigh(Operators[n - 2])) {
        Operands[n - 2] = ApplyOperator(Operators[n - 2], Operands[n - 2], Operands[n - 1]);
        Operators[n - 2] = c;
        Depth = n - 1;
        show(Operands[n - 2]);
    } else if (c == calcop::End) {
        for (int i = n - 2; i >= 0; --i)
            Operands[i] = ApplyOperator(Operators[i], Operands[i], Operands[i + 1]);
        show(Operands[0]);
        ResetEngine();
    }
}

std::optional<CalcMessage> CalcEngine::MemAClick(int slot)
{
    if (slot < 0 || slot >= static_cast<int>(memory_.MemorySlots.size()))
        return std::nullopt;
    if (!InverseMode) {
        const std::optional<double> v = calcTextValue(display_);
        if (!v)
            return conversionMessage(display_);
        memory_.MemorySlots[slot] = *v;
        NewEntry = true;
    } else {
        show(memory_.MemorySlots[slot]);
        InverseMode = false;
        RefreshIndicators();
    }
    return std::nullopt;
}

}  // namespace zorvan
