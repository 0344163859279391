// NC lines read as blocks for the commands that move a program (shift, rotation, calculation,
// swap, extreme search): the address words that stand outside comments, the G codes, and the
// modal state a program carries from line to line (G90/G91, plane, motion, canned cycle).
//
// A comment runs from "(" to the next ")" of the same line (or to the line's end); ";" ends the
// words of a line. Letters inside comments are never words. A word is an upper-case letter and
// its number text: an optional "-" or "+" sign, then digits and "."; "#" or "[" after the letter
// (after an optional "-") makes it a macro word whose value the text does not hold.
#pragma once

#include "app/logic/text_editor.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>
#include <algorithm>

namespace zorvan::nc {

struct ProgramWord {
    std::size_t letterAt = 0;      // byte index of the letter in the line
    std::size_t numberLength = 0;  // bytes of number text after the letter (may be 0)
    double value = 0;              // 0 when there is no number
    bool macro = false;            // "#" or "[" follows: the value is not in the text
    bool unreadable = false;       // a number no control reads ("X3..5"): value 0, left as written
    std::size_t end() const { return letterAt + 1 + numberLength; }
};

struct ScannedLine {
    static constexpr int kMostG = 12;
    std::uint32_t present = 0;     // bit (letter - 'A') for each letter with a word outside comments
    std::size_t at[26] = {};       // the first such occurrence of each present letter
    int g[kMostG] = {};            // G codes times ten (G90.1 is 901)
    std::size_t gAt[kMostG] = {};  // byte index of each G letter
    int gCount = 0;
    char lowerCase = 0;  // a lower-case x y z i j k r or g outside comments (the first), else 0

    bool has(char letter) const { return present & (1u << (letter - 'A')); }
    bool hasG(int code) const
    {
        for (int i = 0; i < gCount; ++i)
            if (g[i] == code)
                return true;
        return false;
    }
};

// Reads the words of `line` outside its comments.
void scanLine(std::string_view line, ScannedLine& scanned);
// The first word of `letter` outside comments (the letter must be present in `scanned`).
// The word whose letter stands at `letterAt`; its value only when `withValue`.
ProgramWord wordAt(std::string_view line, std::size_t letterAt, bool withValue = true);
std::optional<ProgramWord> programWord(std::string_view line, const ScannedLine& scanned, char letter);

// What a line's axis words mean, by its G codes.
enum class LineRole {
    Move,         // a move, or a canned-cycle hole while a cycle is on
    NoMove,       // dwell, data setting, macro call, cancels, codes not followed: words are no positions
    Reference,    // G28/G30: an intermediate point, then a machine position
    MachineMove,  // G53: machine coordinates
    SetPosition,  // G92: the tool's coordinates become the values given (always absolute)
    LocalShift,   // G52
    Rotate,       // G68: a centre in the plane and an angle R
    Mirror,       // G51.1: mirror lines at the values given (always absolute)
};

// The modal state a program carries from block to block.
struct ProgramModes {
    bool incremental = false;      // G91
    int plane = 17;                // 17, 18 or 19
    int motion = 0;                // 0 to 3 (G00 to G03)
    int cycle = 0;                 // 73 to 89 while a canned cycle is on, else 0
    bool absoluteCentres = false;  // G90.1
    // The line whose G02/G03 word set the modal arc motion, -1 when it was set before the lines
    // followed (or it is no arc).
    long motionLine = -1;

    // Takes the line's G codes; `line` is its index, kept for the motion word.
    LineRole apply(const ScannedLine& scanned, long line);
    bool arcMotion() const { return cycle == 0 && (motion == 2 || motion == 3); }
    bool operator==(const ProgramModes&) const = default;
};

// The axis index (0 X, 1 Y, 2 Z) of a plane's normal: G17 Z, G18 Y, G19 X; and the two axes of the
// plane in its order: G17 (X, Y), G18 (Z, X), G19 (Y, Z).
int planeNormal(int plane);
void planeAxes(int plane, int& a, int& b);
// The plane whose normal is the axis `axis`.
int planeOfNormal(int axis);

// The state after lines [0, line) of the editor (nothing read when `line` is 0), and the point
// its X, Y and Z words name (absolute words set it, incremental ones add to it; 0 at the start).
struct ProgramStart {
    ProgramModes modes;
    double point[3] = {0, 0, 0};
};
ProgramStart stateBefore(const TextEditor& editor, int line);
// Follows the point through one line's words of the role `role` (see ProgramStart).
void followPoint(const ProgramModes& modes, LineRole role, std::string_view line, const ScannedLine& scanned,
                 double point[3]);

// Where a plane word goes in a line: behind a block-delete slash and the sequence number.
std::size_t blockStart(std::string_view line);

// The changes to one line, made together: each names bytes of the line as it was read.
class LineEdits {
public:
    void replaceNumber(const ProgramWord& word, std::string text) { add(word.letterAt + 1, word.numberLength, std::move(text)); }
    void remove(const ProgramWord& word) { add(word.letterAt, word.numberLength + 1, {}); }
    void insert(std::size_t at, std::string text) { add(at, 0, std::move(text)); }
    void replace(std::size_t at, std::size_t length, std::string text) { add(at, length, std::move(text)); }
    // Puts `digit` in place of the units digit of the G word at `letterAt` (G02 to G03, G17 to G18).
    void setUnitsDigit(std::string_view line, std::size_t letterAt, char digit)
    {
        const ProgramWord word = wordAt(line, letterAt);
        std::size_t end = word.end();
        const std::size_t point = line.substr(letterAt, end - letterAt).find('.');
        if (point != std::string_view::npos)
            end = letterAt + point;
        if (end > letterAt + 1)
            add(end - 1, 1, std::string(1, digit));
    }
    bool empty() const { return edits_.empty(); }
    // Calls `replace(at, length, text)` for each edit, from the back of the line.
    template <typename Replace> void apply(Replace&& replace)
    {
        // From the back, so the places of the edits before stay right; of two at one place the
        // later one goes in first and so ends up behind.
        // Mostly the edits came in order, apart from each other: then they go from the last one.
        bool apart = true;
        for (std::size_t i = 1; i < edits_.size() && apart; ++i)
            apart = edits_[i - 1].at + edits_[i - 1].length <= edits_[i].at && edits_[i - 1].at < edits_[i].at;
        if (apart) {
            for (auto it = edits_.rbegin(); it != edits_.rend(); ++it)
                replace(it->at, it->length, std::string_view(it->text));
            edits_.clear();
            return;
        }
        // A removal at the place of an insertion goes first, so it takes only the old text.
        std::sort(edits_.begin(), edits_.end(), [](const Edit& a, const Edit& b) {
            if (a.at != b.at)
                return a.at > b.at;
            if ((a.length > 0) != (b.length > 0))
                return a.length > 0;
            return a.order > b.order;
        });
        for (const Edit& edit : edits_)
            replace(edit.at, edit.length, std::string_view(edit.text));
        edits_.clear();
    }

private:
    struct Edit {
        std::size_t at, length;
        std::string text;
        int order;
    };
    void add(std::size_t at, std::size_t length, std::string text)
    {
        edits_.push_back({at, length, std::move(text), static_cast<int>(edits_.size())});
    }
    std::vector<Edit> edits_;
};

// A command that cannot keep the program's path and changes nothing: `why` in Japanese.
struct LineRefusal {
    std::string why;
};
// "<line> 行目: <why>"
std::string refusalMessage(long lineIndex, const std::string& why);

}  // namespace zorvan::nc
