// The desk calculator engine: one-character keys in, a number shown as text out.
//
// Every key goes through FormKeyPress. The current number lives as the display text, which is
// both what the user sees and where operands are read from. Two precedence levels of
// two-operand operators are kept on a small operand/operator stack; trigonometry works in
// degrees; angles can be entered and shown in degrees, minutes and seconds. The accumulating
// memory and the six store/recall slots are shared by the whole program (CalcMemory).
//
// Arithmetic is checked: a division by zero, a result beyond the double range or an invalid
// operation ends the key with a message, never with an infinite or NaN value on the stack.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

namespace zorvan {

// Keys that the calculator's buttons send besides printable characters.
namespace calckey {
inline constexpr char Min = 1;
inline constexpr char MPlus = 2;
inline constexpr char MMinus = 3;
inline constexpr char MR = 4;
inline constexpr char MC = 5;
inline constexpr char Dms = 6;  // angle entry; angle display with "inv"
inline constexpr char Backspace = 8;
inline constexpr char Enter = 13;
inline constexpr char Esc = 27;
}  // namespace calckey

// Degrees to radians, formed in extended precision and stored as a double.
inline constexpr double DegreeFactor =
    static_cast<double>(3.141592653589793238462643383279502884L * (1.0L / 180.0L));

inline constexpr double CalcPi = 3.141592653589793;

// Memory register and slots A to F; program-wide, they start at 0 and are never saved.
struct CalcMemory {
    double MemoryM = 0;
    std::array<double, 6> MemorySlots{};
};

// The one memory the calculator window uses.
CalcMemory& programCalcMemory();

// A message the engine asks its front end to show. With an empty caption it is an error for
// the application's standard error display; otherwise it is a box with the error icon, this
// caption and one "OK" button.
struct CalcMessage {
    std::string text;
    std::string caption;
};

// An arithmetic fault or a display that does not read as a number.
class CalcError {
public:
    explicit CalcError(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

// The texts of the three arithmetic faults.
inline constexpr const char* kDivideByZeroText = "0 による浮動小数点数除算";
inline constexpr const char* kOverflowText = "浮動小数点数のオーバーフロー";
inline constexpr const char* kInvalidOperationText = "不正な浮動小数点数演算命令";

// Operator codes on the stack; codes below 5 are the low level.
namespace calcop {
inline constexpr std::uint8_t Add = 0;
inline constexpr std::uint8_t Subtract = 1;
inline constexpr std::uint8_t Multiply = 5;
inline constexpr std::uint8_t Divide = 6;
inline constexpr std::uint8_t Remainder = 7;
inline constexpr std::uint8_t End = 10;
inline constexpr std::uint8_t Power = 15;
inline constexpr std::uint8_t Root = 16;
}  // namespace calcop

// B to the power X: 1 for X = 0, 0 for B = 0 and X > 0, repeated squaring for a whole X with
// |X| <= 2147483647, exp(X ln B) otherwise. Throws CalcError on a fault.
double calcPower(double B, double X);

// One two-operand operation by its code. Throws CalcError on a fault or an unknown code.
double ApplyOperator(std::uint8_t code, double L, double R);

class CalcEngine {
public:
    explicit CalcEngine(CalcMemory& memory = programCalcMemory());

    // Handles one key. Operator keys are consumed (Key becomes '\0'). Returns the message to
    // show, if any.
    std::optional<CalcMessage> FormKeyPress(char& Key);
    std::optional<CalcMessage> FormKeyPress(char&& Key) { return FormKeyPress(Key); }

    // Click on memory slot panel 0..5 (A..F): store the display, or recall with "inv".
    std::optional<CalcMessage> MemAClick(int slot);

    void ResetEngine();
    void RefreshIndicators();

    // Puts a text that reads as a number into the display unchanged; other texts are refused.
    bool pasteText(const std::string& text);

    const std::string& displayText() const { return display_; }
    const std::string& indicatorText() const { return indicator_; }
    const std::string& keyCodeText() const { return keyCode_; }
    // Captions of the sine, cosine and tangent buttons.
    const std::string& sinCaption() const { return captions_[0]; }
    const std::string& cosCaption() const { return captions_[1]; }
    const std::string& tanCaption() const { return captions_[2]; }

    bool newEntry() const { return NewEntry; }
    bool inverseMode() const { return InverseMode; }
    bool restorePending() const { return RestorePending; }
    int depth() const { return Depth; }
    int dmsStage() const { return DmsStage; }
    const CalcMemory& memory() const { return memory_; }

private:
    double displayValue() const;
    void show(double v);
    void digitEntry(char k);
    void functionStep(char& k, bool& endsKey, std::optional<CalcMessage>& message);
    std::optional<CalcMessage> trigonometry(char k);
    void angleEntry(double v);
    void angleDisplay(double v);
    void backspace();
    void operatorStep(std::uint8_t c);

    CalcMemory& memory_;
    std::string display_ = "0";
    std::string indicator_;
    std::string keyCode_;
    std::array<std::string, 3> captions_{"sin", "cos", "tan"};

    std::array<double, 4> Operands{};
    std::array<std::uint8_t, 4> Operators{};
    int Depth = 0;
    int DmsStage = 0;
    bool NewEntry = true;
    bool InverseMode = false;
    bool RestorePending = false;
};

}  // namespace zorvan
