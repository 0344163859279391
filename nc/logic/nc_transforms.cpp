#include "nc/logic/nc_transforms.h"

#include "app/logic/colouring.h"
#include "app/logic/ordered_work.h"
#include "app/logic/user_error.h"
#include "nc/logic/line_rewriting.h"
#include "nc/logic/nc_words.h"
#include "nc/logic/program_modes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <optional>
#include <vector>

namespace zorvan::nc {

TextEditor::LinesColouring linesColouring(Recolour recolour)
{
    switch (recolour) {
    case Recolour::WrittenLines: return [](std::string_view text) { return colouring::LineRuns(text, 0); };
    case Recolour::AsLoaded: return [](std::string_view text) { return colouring::WholeTextRuns(text); };
    case Recolour::None: break;
    }
    return {};
}

void colourLines(TextEditor& editor, Recolour recolour, int first, int last)
{
    if (recolour == Recolour::WrittenLines && first <= last)
        colouring::ColourLines(editor, first, last);
}

namespace {

// Calls `fn(lineText)` for each of the `count` lines of a range's text; the last one takes the
// rest, whatever it holds.
template <typename Fn> void forEachLineOf(std::string_view text, int count, Fn&& fn)
{
    for (int i = 0; i < count; ++i) {
        std::size_t at = i + 1 < count ? text.find("\r\n") : std::string_view::npos;
        fn(text.substr(0, at));
        text = at == std::string_view::npos ? std::string_view{} : text.substr(at + 2);
    }
}

// The colour runs of a line other than the default, counted from its first character.
std::vector<TextEditor::ColourRun> lineColours(const TextEditor& editor, int line)
{
    std::vector<TextEditor::ColourRun> runs;
    const long start = editor.positionFromLine(line);
    const long chars = countCharacters(editor.line(line));
    for (long i = 0; i < chars; ++i) {
        const TextColour colour = editor.colourAt(start + i);
        if (colour == TextColour::Default)
            continue;
        if (!runs.empty() && runs.back().colour == colour && runs.back().start + runs.back().length == i)
            ++runs.back().length;
        else
            runs.push_back({i, 1, colour});
    }
    return runs;
}

double checkedResult(long double value, char letter)
{
    double stored = static_cast<double>(value);
    if (!std::isfinite(stored))
        throw ValueTooLarge(letter);
    return stored;
}

// The cosine or sine with values near zero made exactly zero, so quarter turns come out clean.
long double cleaned(long double value) { return (value > -1e-8L && value < 1e-8L) ? 0.0L : value; }

constexpr char kAxisLetters[3] = {'X', 'Y', 'Z'};
constexpr char kCentreLetters[3] = {'I', 'J', 'K'};

[[noreturn]] void refuse(std::string why) { throw LineRefusal{std::move(why)}; }

std::string letterText(char letter) { return std::string(1, letter); }

void refuseLowerCase(const ScannedLine& scanned, const char* command)
{
    if (scanned.lowerCase)
        refuse("小文字のアドレス " + letterText(scanned.lowerCase) + " は機械によって読み方が違うため" + command
               + "できません");
}

ProgramWord plainWord(std::string_view line, const ScannedLine& scanned, char letter, const char* command)
{
    ProgramWord word = wordAt(line, scanned.at[letter - 'A']);
    if (word.macro)
        refuse(letterText(letter) + " の値がマクロ変数で与えられているため" + command + "できません");
    return word;
}

// Where a new word of `letter` goes: behind the nearest word before it in the order X Y Z I J K,
// else in front of the nearest after it, else at the end of the line.
std::size_t insertionPlace(std::string_view line, const ScannedLine& scanned, char letter)
{
    static constexpr std::string_view kOrder = "XYZIJK";
    const std::size_t own = kOrder.find(letter);
    for (std::size_t i = own; i-- > 0;)
        if (scanned.has(kOrder[i]))
            return wordAt(line, scanned.at[kOrder[i] - 'A']).end();
    for (std::size_t i = own + 1; i < kOrder.size(); ++i)
        if (scanned.has(kOrder[i]))
            return scanned.at[kOrder[i] - 'A'];
    return line.size();
}

// The coordinate shift: absolute positions move by the offsets, incremental words and the words
// of lines that name no position stay.
struct ShiftLines {
    double offsets[3];
    DecimalSettings settings;
    ProgramModes modes;
    long line = 0;
    ScannedLine scanned;
    LineEdits edits;

    void shiftWord(std::string_view text, char letter, double offset)
    {
        if (offset == 0 || !scanned.has(letter))
            return;
        const ProgramWord word = plainWord(text, scanned, letter, "座標移動");
        if (word.unreadable)
            return;  // an unreadable number stays as written
        const double sum = checkedResult(static_cast<long double>(word.value) + offset, letter);
        if (auto formatted = formatValue(sum, settings))
            edits.replaceNumber(word, std::move(*formatted));
    }

    void operator()(PieceLine& piece)
    {
        const std::string_view text = piece.view();
        const long index = line++;
        scanLine(text, scanned);
        if (!scanned.present && !scanned.lowerCase)
            return;
        const LineRole role = modes.apply(scanned, index);
        const bool absolute = !modes.incremental;
        bool axes = false;          // X, Y and Z move by their offsets
        bool plane = false;         // only the two axes of the plane (a G68 centre)
        switch (role) {
        case LineRole::Move: axes = absolute; break;
        case LineRole::Reference: axes = absolute; break;
        case LineRole::SetPosition: case LineRole::Mirror: axes = true; break;
        case LineRole::Rotate: plane = absolute; break;
        default: break;
        }
        if (!axes && !plane && !(role == LineRole::Move && modes.arcMotion() && modes.absoluteCentres))
            return;
        refuseLowerCase(scanned, "座標移動");
        int pa, pb;
        planeAxes(modes.plane, pa, pb);
        for (int i = 0; i < 3; ++i)
            if (axes || (plane && (i == pa || i == pb)))
                shiftWord(text, kAxisLetters[i], offsets[i]);
        if (role == LineRole::Move && modes.cycle != 0 && absolute) {
            // The R level of a cycle lies on the drilling axis.
            shiftWord(text, 'R', offsets[planeNormal(modes.plane)]);
        } else if (role == LineRole::Move && modes.arcMotion() && modes.absoluteCentres) {
            for (int i = 0; i < 3; ++i)
                shiftWord(text, kCentreLetters[i], offsets[i]);
        }
        edits.apply([&piece](std::size_t at, std::size_t length, std::string_view text) { piece.replace(at, length, text); });
    }
};

// The rotation about X, then Y, then Z, step by step as the rotation command has always
// computed it, with cosines and sines near zero made exactly zero.
struct AxisRotation {
    long double ca, sa, cb, sb, cc, sc;
    bool identity;

    explicit AxisRotation(const AxisValues& angles)
        : ca(cleaned(std::cos(static_cast<long double>(angles.x)))),
          sa(cleaned(std::sin(static_cast<long double>(angles.x)))),
          cb(cleaned(std::cos(static_cast<long double>(angles.y)))),
          sb(cleaned(std::sin(static_cast<long double>(angles.y)))),
          cc(cleaned(std::cos(static_cast<long double>(angles.z)))),
          sc(cleaned(std::sin(static_cast<long double>(angles.z)))),
          identity(ca == 1 && cb == 1 && cc == 1 && sa == 0 && sb == 0 && sc == 0)
    {
        for (int i = 0; i < 3; ++i) {
            double unit[3] = {0, 0, 0};
            unit[i] = 1;
            long double column[3];
            applyKnown(unit, column);
            for (int k = 0; k < 3; ++k)
                matrix[k][i] = static_cast<double>(column[k]);
        }
    }
    double matrix[3][3];

    // The turned point; a coordinate that depends on an unknown one (NaN) is unknown.
    void apply(const double p[3], long double out[3]) const
    {
        if (std::isnan(p[0]) || std::isnan(p[1]) || std::isnan(p[2])) {
            const double known[3] = {std::isnan(p[0]) ? 0 : p[0], std::isnan(p[1]) ? 0 : p[1], std::isnan(p[2]) ? 0 : p[2]};
            applyKnown(known, out);
            for (int k = 0; k < 3; ++k)
                for (int i = 0; i < 3; ++i)
                    if (std::isnan(p[i]) && matrix[k][i] != 0)
                        out[k] = std::numeric_limits<double>::quiet_NaN();
            return;
        }
        applyKnown(p, out);
    }

    void applyKnown(const double p[3], long double out[3]) const
    {
        const double x1 = p[0];
        const double y1 = static_cast<double>(p[1] * ca - p[2] * sa);
        const double z1 = static_cast<double>(p[1] * sa + p[2] * ca);
        const double x2 = static_cast<double>(x1 * cb + z1 * sb);
        const double y2 = y1;
        const double z2 = static_cast<double>(-x1 * sb + z1 * cb);
        out[0] = x2 * cc - y2 * sc;
        out[1] = x2 * sc + y2 * cc;
        out[2] = z2;
    }

    // The axis that axis `axis` turns into and the sign (+1 or -1), or -1 (sign 0) when it turns
    // into no axis.
    int image(int axis, int& sign) const
    {
        double unit[3] = {0, 0, 0};
        unit[axis] = 1;
        long double out[3];
        apply(unit, out);
        for (int k = 0; k < 3; ++k) {
            if (std::fabs(static_cast<double>(out[k])) < 1 - 1e-12)
                continue;
            const bool alone = std::fabs(static_cast<double>(out[(k + 1) % 3])) < 1e-12
                               && std::fabs(static_cast<double>(out[(k + 2) % 3])) < 1e-12;
            if (!alone)
                break;
            sign = out[k] > 0 ? 1 : -1;
            return k;
        }
        sign = 0;
        return -1;
    }

    // Whether the axes `given` are turned only into each other (and the others into the others).
    bool keepsApart(const bool given[3]) const
    {
        for (int i = 0; i < 3; ++i) {
            double unit[3] = {0, 0, 0};
            unit[i] = 1;
            long double out[3];
            apply(unit, out);
            for (int k = 0; k < 3; ++k)
                if (given[k] != given[i] && std::fabs(static_cast<double>(out[k])) > 1e-12)
                    return false;
        }
        return true;
    }
};

const char* gName(LineRole role)
{
    switch (role) {
    case LineRole::Reference: return "G28/G30 の中間点";
    case LineRole::MachineMove: return "G53 の機械座標";
    case LineRole::SetPosition: return "G92 の座標系設定";
    case LineRole::LocalShift: return "G52 のローカル座標系";
    default: return "";
    }
}

// The axis rotation on a program: points and incremental moves turn, arcs keep their plane and
// direction through the plane and G02/G03 words, and a line gets the words its turned point
// needs.
struct RotateLines {
    AxisRotation rotation;
    DecimalSettings settings;
    ProgramModes modes;
    double point[3] = {0, 0, 0};  // the program's own point as read so far (NaN: unknown)
    int writtenPlane = 17;        // the plane the rewritten program holds
    bool motionFlipped = false;  // whether the G02/G03 word of the modal arc was turned round
    long line = 0;
    bool ended = false;  // a program end has been read
    bool turnedKnown = false;       // turnedPoint is the turned `point`
    long double turnedPoint[3] = {0, 0, 0};
    ScannedLine scanned;
    LineEdits edits;

    std::string text(long double value, char letter) const
    {
        return formatValueForRotation(checkedResult(value, letter), settings);
    }

    // Writes the turned values into the line's axis words and adds the words it lacks where the
    // turned point moves on their axis: from `before` (the turned point before the line), or for
    // incremental values (`before` null) where the value is not 0.
    void writeAxes(std::string_view line, const long double turned[3], const bool which[3], const long double* before)
    {
        for (int i = 0; i < 3; ++i) {
            if (!which[i])
                continue;
            const char letter = kAxisLetters[i];
            const bool has = scanned.has(letter);
            if (!has && before && static_cast<double>(turned[i]) == static_cast<double>(before[i]))
                continue;
            if (std::isnan(static_cast<double>(turned[i]))) {
                if (!has && before && std::isnan(static_cast<double>(before[i])))
                    continue;  // the line does not move the turned point on this axis
                refuse("サブプログラムの呼び出しや原点復帰の後で位置が分からない軸があるため、" + letterText(letter)
                       + " を書けません");
            }
            std::string value = text(turned[i], letter);
            if (has) {
                edits.replaceNumber(wordAt(line, scanned.at[letter - 'A'], false), std::move(value));
                continue;
            }
            const bool same = before ? std::isfinite(static_cast<double>(before[i])) && value == text(before[i], letter)
                                     : numberTextValue(value) == 0;
            if (!same)
                edits.insert(insertionPlace(line, scanned, letter), letterText(letter) + value);
        }
    }

    void operator()(PieceLine& piece)
    {
        const std::string_view text = piece.view();
        const long index = line++;
        scanLine(text, scanned);
        // A subprogram starts where its caller left the tool, which its text does not tell.
        if (ended && !text.empty() && (text[0] == 'O' || text[0] == ':') && text.size() > 1 && text[1] >= '0'
            && text[1] <= '9')
            forgetPoint();
        constexpr std::uint32_t kRelevant = (1u << ('X' - 'A')) | (1u << ('Y' - 'A')) | (1u << ('Z' - 'A'))
                                            | (1u << ('I' - 'A')) | (1u << ('J' - 'A')) | (1u << ('K' - 'A'))
                                            | (1u << ('R' - 'A'));
        if (!(scanned.present & kRelevant) && scanned.gCount == 0 && !scanned.lowerCase) {
            if (calls(text))
                forgetPoint();
            return;
        }
        refuseLowerCase(scanned, "回転");
        const LineRole role = modes.apply(scanned, index);
        rewritePlaneWords(text);
        const bool given[3] = {scanned.has('X'), scanned.has('Y'), scanned.has('Z')};
        const bool any = given[0] || given[1] || given[2];
        for (int i = 0; i < 3; ++i) {
            if (!given[i])
                continue;
            if (plainWord(text, scanned, kAxisLetters[i], "回転").unreadable)
                return;  // no point can be made of the line: it stays as written
        }
        switch (role) {
        case LineRole::NoMove:
            break;
        case LineRole::Rotate:
        case LineRole::Mirror:
            if (any && !rotation.identity)
                refuse(role == LineRole::Rotate ? "G68 の座標回転の中心は軸回転できません"
                                                : "G51.1 のミラーの軸は軸回転できません");
            break;
        case LineRole::Reference:
        case LineRole::MachineMove:
        case LineRole::SetPosition:
        case LineRole::LocalShift:
            if (any)
                partialAxes(text, role, given);
            break;
        case LineRole::Move:
            move(text, index, given, any);
            break;
        }
        if (modes.arcMotion())
            turnArcWords(text, index);
        if (calls(text))
            forgetPoint();
        edits.apply([&piece](std::size_t at, std::size_t length, std::string_view text) { piece.replace(at, length, text); });
    }

    // Whether the line calls a subprogram (M98), past which the tool stands where it left it;
    // notes an end of a program (M02, M30, M99), after which an "O" line starts a subprogram.
    bool calls(std::string_view text)
    {
        if (!scanned.has('M'))
            return false;
        bool call = false;
        for (std::size_t at = scanned.at['M' - 'A']; at != std::string_view::npos; at = text.find('M', at + 1)) {
            const double m = wordAt(text, at).value;
            call = call || m == 98;
            ended = ended || m == 2 || m == 30 || m == 99;
        }
        return call;
    }

    void forgetPoint()
    {
        turnedKnown = false;
        for (double& p : point)
            p = std::numeric_limits<double>::quiet_NaN();
    }

    void rewritePlaneWords(std::string_view line)
    {
        for (int i = 0; i < scanned.gCount; ++i) {
            const int g = scanned.g[i];
            if (g != 170 && g != 180 && g != 190)
                continue;
            int sign;
            const int axis = rotation.image(planeNormal(g / 10), sign);
            const int plane = axis < 0 ? g / 10 : planeOfNormal(axis);
            if (plane != g / 10)
                edits.setUnitsDigit(line, scanned.gAt[i], static_cast<char>('0' + plane % 10));
            writtenPlane = plane;
        }
    }

    // G28/G30, G53, G92, G52: only the given axes take the values, so the rotation must keep them
    // among themselves.
    void partialAxes(std::string_view line, LineRole role, const bool given[3])
    {
        if (!rotation.keepsApart(given))
            refuse(std::string(gName(role)) + "は指定のない軸と混ざるため回転できません");
        double values[3] = {0, 0, 0};
        for (int i = 0; i < 3; ++i)
            if (given[i])
                values[i] = wordAt(line, scanned.at[kAxisLetters[i] - 'A']).value;
        long double turned[3];
        rotation.apply(values, turned);
        writeAxes(line, turned, given, nullptr);
        followPoint(modes, role, line, scanned, point);
        turnedKnown = false;
        // Past the intermediate point the tool stands where the program does not tell.
        if (role == LineRole::Reference || role == LineRole::MachineMove)
            for (int i = 0; i < 3; ++i)
                if (given[i])
                    point[i] = std::numeric_limits<double>::quiet_NaN();
    }

    void move(std::string_view line, long index, const bool given[3], bool any)
    {
        (void)index;
        if (modes.cycle != 0) {
            int sign;
            const int normal = planeNormal(modes.plane);
            if (rotation.image(normal, sign) != normal || sign != 1)
                refuse("固定サイクルの穴あけ軸が回転で向きを変えるため回転できません");
        }
        if (!any)
            return;
        const bool all[3] = {true, true, true};
        if (modes.incremental) {
            double vector[3] = {0, 0, 0};
            for (int i = 0; i < 3; ++i)
                if (given[i])
                    vector[i] = wordAt(line, scanned.at[kAxisLetters[i] - 'A']).value;
            long double turned[3];
            rotation.apply(vector, turned);
            writeAxes(line, turned, all, nullptr);
            followPoint(modes, LineRole::Move, line, scanned, point);
            turnedKnown = false;
        } else {
            // The turned point before the line is kept from the line that set it.
            if (!turnedKnown)
                rotation.apply(point, turnedPoint);
            const long double before[3] = {turnedPoint[0], turnedPoint[1], turnedPoint[2]};
            followPoint(modes, LineRole::Move, line, scanned, point);
            rotation.apply(point, turnedPoint);
            writeAxes(line, turnedPoint, all, before);
            turnedKnown = true;
        }
    }

    // The plane, direction and centre of an arc line (also of a line that only sets G02/G03).
    void turnArcWords(std::string_view line, long index)
    {
        int sign;
        const int normal = planeNormal(modes.plane);
        const int axis = rotation.image(normal, sign);
        const bool arcWords = scanned.has('X') || scanned.has('Y') || scanned.has('Z') || scanned.has('I')
                              || scanned.has('J') || scanned.has('K') || scanned.has('R');
        bool motionWord = false;
        for (int i = 0; i < scanned.gCount; ++i)
            motionWord = motionWord || scanned.g[i] == 20 || scanned.g[i] == 30;
        if (!arcWords && !motionWord)
            return;
        if (axis < 0)
            refuse("円弧が回転で平面 (G17/G18/G19) から外れるため回転できません");
        const bool flip = sign < 0;
        if (motionWord) {
            for (int i = 0; i < scanned.gCount; ++i)
                if (flip && (scanned.g[i] == 20 || scanned.g[i] == 30))
                    edits.setUnitsDigit(line, scanned.gAt[i], scanned.g[i] == 20 ? '3' : '2');
            motionFlipped = flip;
        } else if (arcWords && (modes.motionLine < 0 ? flip : motionFlipped != flip)) {
            refuse("G02/G03 の行が範囲の前にあるか平面が変わった円弧の続きなので、回りの向きを書き換えられません");
        }
        if (!arcWords)
            return;
        const int plane = planeOfNormal(axis);
        if (plane != writtenPlane) {
            edits.insert(blockStart(line), "G" + std::to_string(plane));
            writtenPlane = plane;
        }
        if (rotation.identity || !(scanned.has('I') || scanned.has('J') || scanned.has('K')))
            return;
        if (modes.absoluteCentres)
            refuse("G90.1 の円弧中心は回転できません");
        int a, b, na, nb;
        planeAxes(modes.plane, a, b);
        planeAxes(plane, na, nb);
        double centre[3] = {0, 0, 0};
        for (int i : {a, b}) {
            if (scanned.has(kCentreLetters[i])) {
                const ProgramWord word = plainWord(line, scanned, kCentreLetters[i], "回転");
                centre[i] = word.value;
            }
        }
        long double turned[3];
        rotation.apply(centre, turned);
        for (int i : {a, b})
            if (i != na && i != nb && scanned.has(kCentreLetters[i]))
                edits.remove(wordAt(line, scanned.at[kCentreLetters[i] - 'A']));
        for (int i : {na, nb}) {
            const char letter = kCentreLetters[i];
            std::string value = text(turned[i], letter);
            if (scanned.has(letter) && (i == a || i == b))
                edits.replaceNumber(wordAt(line, scanned.at[letter - 'A']), std::move(value));
            else if (scanned.has(letter))
                edits.replaceNumber(plainWord(line, scanned, letter, "回転"), std::move(value));
            else if (numberTextValue(value) != 0)
                edits.insert(insertionPlace(line, scanned, letter), letterText(letter) + value);
        }
        (void)index;
    }
};

auto shiftTransform(const TextEditor& editor, const AxisValues& offsets, const DecimalSettings& settings)
{
    ShiftLines lines{{offsets.x, offsets.y, offsets.z}, settings, {}, 0, {}, {}};
    if (offsets.x != 0 || offsets.y != 0 || offsets.z != 0) {
        const LineRange range = numericLineRange(editor);
        lines.modes = stateBefore(editor, range.first).modes;
        lines.line = range.first;
    }
    const bool nothing = offsets.x == 0 && offsets.y == 0 && offsets.z == 0;
    return [lines, nothing](PieceLine& line) mutable {
        if (!nothing)
            lines(line);
    };
}

auto rotationTransform(const TextEditor& editor, const AxisValues& angles, const DecimalSettings& settings)
{
    const LineRange range = numericLineRange(editor);
    const ProgramStart start = stateBefore(editor, range.first);
    RotateLines lines{.rotation = AxisRotation(angles), .settings = settings, .modes = start.modes,
                      .writtenPlane = start.modes.plane, .line = range.first, .scanned = {}, .edits = {}};
    for (int i = 0; i < 3; ++i)
        lines.point[i] = start.point[i];
    return lines;
}

auto calculationTransform(char letter, Operation operation, double operand, const DecimalSettings& settings)
{
    if (dividesByZero(operation, operand))
        throw UserError(kDivisionByZeroMessage);
    return [letter, operation, k = static_cast<long double>(operand), settings](PieceLine& line) {
        const std::string_view text = line.view();
        const std::size_t first = text.find(letter);
        if (first == std::string_view::npos)
            return;
        // Mostly no comment stands before the letter; else the line is read as a block.
        ProgramWord word;
        if (text.substr(0, first).find_first_of("(;") == std::string_view::npos) {
            word = wordAt(text, first);
        } else {
            ScannedLine scanned;
            scanLine(text, scanned);
            if (!scanned.has(letter))
                return;
            word = wordAt(text, scanned.at[letter - 'A']);
        }
        if (word.macro)
            throw LineRefusal{letterText(letter) + " の値がマクロ変数で与えられているため計算できません"};
        if (word.unreadable)
            return;  // an unreadable number stays as written
        const long double v = word.value;
        long double result = v;
        switch (operation) {
        case Operation::Double: result = v * 2; break;
        case Operation::Halve: result = v * 0.5L; break;
        case Operation::Multiply: result = v * k; break;
        case Operation::Divide: result = v / k; break;
        case Operation::Add: result = v + k; break;
        case Operation::Subtract: result = v - k; break;
        }
        if (auto formatted = formatValue(checkedResult(result, letter), settings))
            line.replace(word.letterAt + 1, word.numberLength, *formatted);
    };
}

}  // namespace

bool dividesByZero(Operation operation, double operand) { return operation == Operation::Divide && operand == 0; }

void shiftCoordinates(TextEditor& editor, const AxisValues& offsets, const DecimalSettings& settings,
                      Recolour recolour)
{
    rewriteRange(editor, recolour, Lines::Carried, shiftTransform(editor, offsets, settings));
}

void rotateAxes(TextEditor& editor, const AxisValues& angles, const DecimalSettings& settings, Recolour recolour)
{
    rewriteRange(editor, recolour, Lines::Carried, rotationTransform(editor, angles, settings));
}

void calculateValues(TextEditor& editor, char letter, Operation operation, double operand,
                     const DecimalSettings& settings, Recolour recolour)
{
    rewriteRange(editor, recolour, Lines::Independent, calculationTransform(letter, operation, operand, settings));
}

StagedCommand stagedShift(const TextEditor& editor, const AxisValues& offsets, const DecimalSettings& settings,
                          Recolour recolour)
{
    return stageRewrite(editor, recolour, Lines::Carried, shiftTransform(editor, offsets, settings));
}

StagedCommand stagedRotation(const TextEditor& editor, const AxisValues& angles, const DecimalSettings& settings,
                             Recolour recolour)
{
    return stageRewrite(editor, recolour, Lines::Carried, rotationTransform(editor, angles, settings));
}

StagedCommand stagedCalculation(const TextEditor& editor, char letter, Operation operation, double operand,
                                const DecimalSettings& settings, Recolour recolour)
{
    return stageRewrite(editor, recolour, Lines::Independent, calculationTransform(letter, operation, operand, settings));
}

StagedCommand stagedReversal(const TextEditor& editor, Recolour recolour)
{
    const LineRange range = numericLineRange(editor);
    const int count = range.count();
    if (count < 2)
        return [](const auto&) -> EditStep { return [](TextEditor&) {}; };
    std::string buffer;
    auto old = std::make_shared<std::string>(readRangeText(editor, range, buffer));
    return [old, range, recolour](const std::function<void(long long, long long)>& progress) -> EditStep {
        const int count = range.count();
        std::vector<std::string_view> lines;
        lines.reserve(static_cast<std::size_t>(count));
        forEachLineOf(*old, count, [&](std::string_view text) { lines.push_back(text); });
        // The new lines in pieces of whole lines, which the editor takes in one by one.
        auto pieces = std::make_shared<std::vector<std::string>>();
        int written = 0;
        for (auto it = lines.rbegin(); it != lines.rend(); ++it) {
            if (pieces->empty() || pieces->back().size() >= kPieceBytes) {
                pieces->emplace_back().reserve(kPieceBytes + it->size() + 2);
                if (progress)
                    progress(written, count);
            }
            pieces->back() += *it;
            pieces->back() += "\r\n";
            ++written;
        }
        return [pieces, range, recolour](TextEditor& editor) {
            const int count = range.count();
            // Lines are swapped in pairs from the outside in; an odd count leaves the middle line
            // unwritten.
            const int pairs = count / 2;
            // The middle line of an odd count is not written, so it keeps the colours it has,
            // although the one edit below takes it out, puts it back and colours it.
            const int middle = range.first + pairs;
            const bool keepMiddle = count % 2 == 1 && recolour == Recolour::WrittenLines;
            std::vector<TextEditor::ColourRun> middleColours;
            if (keepMiddle)
                middleColours = lineColours(editor, middle);
            std::size_t taken = 0;
            auto next = [&](std::string& piece) {
                if (taken == pieces->size())
                    return false;
                piece = std::move((*pieces)[taken++]);
                return true;
            };
            {
                QuietEditor quiet(editor);  // the command colours the written lines itself
                editor.replaceLinesFromPieces(range.first, count, next, linesColouring(recolour));
            }
            if (keepMiddle) {
                const LineSpan span = lineSpan(editor, middle, middle);
                for (auto& run : middleColours)
                    run.start += span.start;
                editor.recolourRange(span.start, span.length, middleColours);
            }
            finish(editor, range);
        };
    };
}

void reverseLines(TextEditor& editor, Recolour recolour) { stagedReversal(editor, recolour)({})(editor); }

}  // namespace zorvan::nc
