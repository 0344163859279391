#include "nc/logic/program_modes.h"

#include "nc/logic/nc_words.h"

#include <cmath>
#include <cstring>

namespace zorvan::nc {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The number text after a letter at `from`: a sign, then digits and ".".
std::size_t numberEnd(std::string_view line, std::size_t from)
{
    std::size_t end = from;
    if (end < line.size() && (line[end] == '-' || line[end] == '+'))
        ++end;
    while (end < line.size() && (isDigit(line[end]) || line[end] == '.'))
        ++end;
    return end;
}

// A G number times ten ("01" 10, "54.1" 541); plain digits with at most one place are read
// directly, anything else through the number reader.
int gCode(std::string_view number)
{
    int whole = 0;
    std::size_t i = 0;
    while (i < number.size() && isDigit(number[i]) && i < 6)
        whole = whole * 10 + (number[i++] - '0');
    if (i == number.size())
        return whole * 10;
    if (number[i] == '.' && i > 0 && (i + 1 == number.size() || (i + 2 == number.size() && isDigit(number[i + 1]))))
        return whole * 10 + (i + 1 < number.size() ? number[i + 1] - '0' : 0);
    return static_cast<int>(std::lround(numberTextValue(number) * 10));
}

// The bytes the scan stops at: capitals, "(", ";" and the small letters of the words it knows.
struct StopBytes {
    bool stop[256] = {};
    constexpr StopBytes()
    {
        for (int c = 'A'; c <= 'Z'; ++c)
            stop[c] = true;
        for (char c : {'(', ';', 'x', 'y', 'z', 'i', 'j', 'k', 'r', 'g'})
            stop[static_cast<unsigned char>(c)] = true;
    }
};
constexpr StopBytes kStops;

}  // namespace

void scanLine(std::string_view line, ScannedLine& scanned)
{
    scanned.present = 0;
    scanned.gCount = 0;
    scanned.lowerCase = 0;
    const std::size_t n = line.size();
    const char* data = line.data();
    for (std::size_t i = 0; i < n; ++i) {
        while (i < n && !kStops.stop[static_cast<unsigned char>(data[i])])
            ++i;
        if (i == n)
            break;
        const char c = data[i];
        if (c >= 'A' && c <= 'Z') {
            const std::uint32_t bit = 1u << (c - 'A');
            if (!(scanned.present & bit)) {
                scanned.present |= bit;
                scanned.at[c - 'A'] = i;
            }
            if (c == 'G' && scanned.gCount < ScannedLine::kMostG) {
                const std::size_t end = numberEnd(line, i + 1);
                if (end > i + 1) {
                    scanned.g[scanned.gCount] = gCode(line.substr(i + 1, end - i - 1));
                    scanned.gAt[scanned.gCount++] = i;
                }
                i = end - 1;
            }
        } else if (c == '(') {
            const void* close = std::memchr(line.data() + i, ')', n - i);
            if (!close)
                return;
            i = static_cast<std::size_t>(static_cast<const char*>(close) - line.data());
        } else if (c == ';') {
            return;
        } else if (c >= 'a' && c <= 'z' && !scanned.lowerCase) {
            switch (c) {
            case 'x': case 'y': case 'z': case 'i': case 'j': case 'k': case 'r': case 'g':
                scanned.lowerCase = c;
                break;
            default:
                break;
            }
        }
    }
}

ProgramWord wordAt(std::string_view line, std::size_t letterAt, bool withValue)
{
    ProgramWord word;
    word.letterAt = letterAt;
    const std::size_t from = letterAt + 1;
    std::size_t p = from;
    if (p < line.size() && line[p] == '-')
        ++p;
    if (p < line.size() && (line[p] == '#' || line[p] == '['))
        word.macro = true;
    const std::size_t end = numberEnd(line, from);
    word.numberLength = end - from;
    if (!withValue)
        return word;
    std::size_t wordEnd = end;
    if (numberProblem(line, from, end, wordEnd) != NumberProblem::None) {
        word.unreadable = true;
        return word;
    }
    std::string_view number = line.substr(from, end - from);
    if (!number.empty() && number.front() == '+')
        number.remove_prefix(1);
    word.value = numberTextValue(number);
    return word;
}

std::optional<ProgramWord> programWord(std::string_view line, const ScannedLine& scanned, char letter)
{
    if (!scanned.has(letter))
        return std::nullopt;
    return wordAt(line, scanned.at[letter - 'A']);
}

LineRole ProgramModes::apply(const ScannedLine& scanned, long line)
{
    LineRole role = LineRole::Move;
    auto take = [&role](LineRole r) {
        if (role == LineRole::Move)
            role = r;
    };
    for (int i = 0; i < scanned.gCount; ++i) {
        const int g = scanned.g[i];
        switch (g) {
        case 0: case 10: case 20: case 30:
            motion = g / 10;
            motionLine = line;
            cycle = 0;
            break;
        case 800: cycle = 0; break;
        case 730: case 740: case 760: case 810: case 820: case 830: case 840: case 850: case 860: case 870:
        case 880: case 890:
            cycle = g / 10;
            break;
        case 170: plane = 17; break;
        case 180: plane = 18; break;
        case 190: plane = 19; break;
        case 900: incremental = false; break;
        case 910: incremental = true; break;
        case 901: absoluteCentres = true; break;
        case 911: absoluteCentres = false; break;
        case 280: case 300: take(LineRole::Reference); break;
        case 530: take(LineRole::MachineMove); break;
        case 920: take(LineRole::SetPosition); break;
        case 520: take(LineRole::LocalShift); break;
        case 680: take(LineRole::Rotate); break;
        case 511: take(LineRole::Mirror); break;
        // Codes whose words are positions of the modal move, or that change nothing the path shows.
        case 80: case 50: case 51: case 150: case 400: case 410: case 420: case 430: case 440: case 490:
        case 540: case 541: case 550: case 560: case 570: case 580: case 590: case 610: case 620: case 630:
        case 640: case 930: case 940: case 950: case 960: case 970: case 980: case 990: case 200: case 210:
        case 310:
            break;
        default:
            // Dwell (its X is a time), data setting, macro calls, cancels and whatever else: the
            // line's words are not positions.
            role = LineRole::NoMove;
        }
    }
    return role;
}

int planeNormal(int plane) { return plane == 18 ? 1 : plane == 19 ? 0 : 2; }

void planeAxes(int plane, int& a, int& b)
{
    a = 0, b = 1;
    if (plane == 18)
        a = 2, b = 0;
    else if (plane == 19)
        a = 1, b = 2;
}

int planeOfNormal(int axis) { return axis == 0 ? 19 : axis == 1 ? 18 : 17; }

void followPoint(const ProgramModes& modes, LineRole role, std::string_view line, const ScannedLine& scanned,
                 double point[3])
{
    if (role == LineRole::NoMove || role == LineRole::Rotate || role == LineRole::LocalShift)
        return;
    const bool incremental = modes.incremental && role != LineRole::SetPosition && role != LineRole::Mirror
                             && role != LineRole::MachineMove;
    static constexpr char kAxes[3] = {'X', 'Y', 'Z'};
    for (int i = 0; i < 3; ++i) {
        if (!scanned.has(kAxes[i]))
            continue;
        const ProgramWord word = wordAt(line, scanned.at[kAxes[i] - 'A']);
        if (word.macro || word.unreadable)
            continue;
        point[i] = incremental ? point[i] + word.value : word.value;
    }
}

ProgramStart stateBefore(const TextEditor& editor, int line)
{
    ProgramStart start;
    ProgramModes& modes = start.modes;
    if (line <= 0)
        return start;
    const LineSpan span = lineSpan(editor, 0, line - 1);
    std::string buffer;
    std::string_view text = editor.textView(span.start, span.length, buffer);
    ScannedLine scanned;
    for (;;) {
        const std::size_t at = text.find('\n');
        std::string_view one = text.substr(0, at);
        if (!one.empty() && one.back() == '\r')
            one.remove_suffix(1);
        scanLine(one, scanned);
        if (scanned.present) {
            const LineRole role = modes.apply(scanned, -1);
            followPoint(modes, role, one, scanned, start.point);
        }
        if (at == std::string_view::npos)
            break;
        text.remove_prefix(at + 1);
    }
    modes.motionLine = -1;
    return start;
}

// Where a plane word goes: behind a block-delete slash and the sequence number.
std::size_t blockStart(std::string_view line)
{
    std::size_t i = 0;
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '/'))
        ++i;
    if (i < line.size() && line[i] == 'N') {
        ++i;
        while (i < line.size() && line[i] >= '0' && line[i] <= '9')
            ++i;
    }
    return i;
}

std::string refusalMessage(long lineIndex, const std::string& why)
{
    return std::to_string(lineIndex) + " 行目: " + why;
}

}  // namespace zorvan::nc
