#include "inspect/logic/program_info.h"

#include "inspect/logic/code_help.h"
#include "preview/logic/shown_number.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <future>
#include <map>

namespace zorvan::inspect {

namespace {

constexpr std::size_t kMostValues = 64;  // speeds and feeds listed per tool

bool isFeed(int kind)
{
    return preview::isFeedKind(static_cast<preview::MoveKind>(kind));
}

void addValue(std::vector<double>& values, double v)
{
    const auto it = std::lower_bound(values.begin(), values.end(), v);
    if (it != values.end() && *it == v)
        return;
    if (values.size() < kMostValues)
        values.insert(it, v);
}

// Whether the line holds a word: a letter or "#" outside comments, and not a "%" line.
bool holdsWord(const char* p, const char* end)
{
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (p < end && *p == '%')
        return false;
    for (; p < end; ++p) {
        const char c = *p;
        if (c == '(') {
            const void* close = std::memchr(p, ')', static_cast<std::size_t>(end - p));
            if (!close)
                return false;
            p = static_cast<const char*>(close);
        } else if (c == ';') {
            return false;
        } else if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '#') {
            return true;
        }
    }
    return false;
}

// The text of the first comment of a line, without its parentheses.
std::string commentOf(std::string_view line)
{
    const std::size_t open = line.find('(');
    if (open == std::string_view::npos)
        return {};
    const std::size_t close = line.find(')', open + 1);
    return std::string(line.substr(open + 1, (close == std::string_view::npos ? line.size() : close) - open - 1));
}

// The number of a "T<n>" word in a comment (T at a word's start, digits after it).
void toolsNamed(std::string_view comment, std::vector<int>& out)
{
    for (std::size_t i = 0; i + 1 < comment.size(); ++i) {
        const bool start = i == 0 || !std::isalnum(static_cast<unsigned char>(comment[i - 1]));
        if (!start || (comment[i] != 'T' && comment[i] != 't') || !std::isdigit(static_cast<unsigned char>(comment[i + 1])))
            continue;
        int n = 0;
        const auto [ptr, ec] = std::from_chars(comment.data() + i + 1, comment.data() + comment.size(), n);
        if (ec == std::errc() && (ptr == comment.data() + comment.size() || (*ptr != '.' && !std::isdigit(static_cast<unsigned char>(*ptr)))))
            out.push_back(n);
    }
}

double seconds(double minutes)
{
    return minutes * 60;
}

}  // namespace

namespace {

// What the text itself tells, read beside the run.
struct TextFacts {
    int lines = 0, blocks = 0;
    std::string programNumber;
    std::map<int, std::string> comments;  // the first comment of each line that has one
    std::map<int, std::string> named;     // the first comment naming T<n>, by n
};

TextFacts readText(std::string_view text)
{
    TextFacts facts;
    const char* p = text.data();
    const char* end = p + text.size();
    int line = 0;
    while (p < end) {
        const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        const char* lineEnd = nl ? static_cast<const char*>(nl) : end;
        const std::string_view row(p, static_cast<std::size_t>(lineEnd - p));
        if (holdsWord(p, lineEnd))
            ++facts.blocks;
        if (facts.programNumber.empty()) {
            const std::size_t at = row.find_first_not_of(" \t");
            if (at != std::string_view::npos && at + 1 < row.size() && (row[at] == 'O' || row[at] == ':')
                && std::isdigit(static_cast<unsigned char>(row[at + 1]))) {
                std::size_t digits = at + 1;
                while (digits < row.size() && std::isdigit(static_cast<unsigned char>(row[digits])))
                    ++digits;
                facts.programNumber = "O" + std::string(row.substr(at + 1, digits - at - 1));
            }
        }
        if (std::memchr(p, '(', row.size())) {
            std::string comment = commentOf(row);
            std::vector<int> numbers;
            toolsNamed(comment, numbers);
            for (const int n : numbers)
                facts.named.emplace(n, comment);
            facts.comments.emplace(line, std::move(comment));
        }
        p = nl ? lineEnd + 1 : end;
        ++line;
    }
    facts.lines = line;
    return facts;
}

}  // namespace

ProgramInfo summarizeProgram(std::string_view text, const preview::InterpreterOptions& options)
{
    ProgramInfo info;
    // The text is read on a thread of its own while the program runs.
    std::future<TextFacts> textThread = std::async(std::launch::async, readText, text);
    std::vector<ToolSummary> tools;
    std::map<int, std::size_t> indexOf;  // tool number to its place in `tools`
    preview::MachineState last;
    int lastTool = 0;
    std::size_t lastIndex = 0, noted = static_cast<std::size_t>(-1);
    double lastFeed = 0, lastSpeed = 0;
    preview::InterpreterOptions run = options;
    run.keepResumePoints = false;
    run.keepVertices = false;  // nothing is drawn: the sums are all that is needed
    run.runStarts = [&] {
        tools.clear();
        indexOf.clear();
        last = {};
        lastTool = 0;
        noted = static_cast<std::size_t>(-1);
    };
    run.afterBlock = [&](std::uint32_t line, const preview::MachineState& s) {
        const int tool = s.toolInSpindle;
        if (tool != lastTool || tools.empty()) {  // a change of tool: find or add its entry
            auto [it, fresh] = indexOf.try_emplace(tool, tools.size());
            if (fresh) {
                tools.emplace_back();
                tools.back().tool = tool;
            }
            lastIndex = it->second;
            lastTool = tool;
        }
        ToolSummary& t = tools[lastIndex];
        const int l = static_cast<int>(line);
        if (t.firstLine < 0)
            t.firstLine = l;
        t.lastLine = l;
        double feed = 0, rapid = 0;
        for (int k = 0; k < preview::kMoveKinds; ++k)
            (isFeed(k) ? feed : rapid) += s.length[k] - last.length[k];
        t.feedDistance += feed;
        t.rapidDistance += rapid;
        const double rapidMinutes = s.rapidMinutes - last.rapidMinutes;
        t.rapidTime += seconds(rapidMinutes);
        t.feedTime += seconds(s.minutes - last.minutes - rapidMinutes);
        // Most blocks cut at the feed and speed of the one before: only a change is looked up.
        if (feed > 0 && (s.feed != lastFeed || s.spindle != lastSpeed || lastIndex != noted)) {
            addValue(t.feeds, s.feed);
            if (s.spindle > 0)  // no S given yet: no speed to list
                addValue(t.speeds, s.spindle);
            lastFeed = s.feed;
            lastSpeed = s.spindle;
            noted = lastIndex;
        }
        std::copy(s.length, s.length + preview::kMoveKinds, last.length);
        last.minutes = s.minutes;
        last.rapidMinutes = s.rapidMinutes;
        last.inch = s.inch;
    };
    const preview::Toolpath path = preview::interpretProgram(text, run);
    info.inch = last.inch;
    info.diagnostics = path.diagnostics.size();
    for (const auto& d : path.diagnostics)
        info.cutShort = info.cutShort || d.code == preview::DiagnosticCode::PathCutShort
            || d.code == preview::DiagnosticCode::RunCutShort;

    // Extents by the tool of each move (a move counts whole, with its start).
    for (std::size_t i = 0; i < path.tools.size() && i < path.toolExtents.size(); ++i) {
        const auto it = indexOf.find(path.tools[i]);
        if (it != indexOf.end())
            tools[it->second].extents.add(path.toolExtents[i]);
    }

    const TextFacts facts = textThread.get();
    info.lines = facts.lines;
    info.blocks = facts.blocks;
    info.programNumber = facts.programNumber;
    for (ToolSummary& t : tools) {
        // A comment on the line that changes to a tool names it first, else one naming T<n>.
        const auto onLine = facts.comments.find(t.firstLine);
        if (t.tool != 0 && onLine != facts.comments.end())
            t.comment = onLine->second;
        const auto named = facts.named.find(t.tool);
        if (t.comment.empty() && named != facts.named.end())
            t.comment = named->second;
    }

    // Tool 0 (before any change) is listed only when it moved.
    for (ToolSummary& t : tools) {
        if (t.tool == 0 && t.feedDistance == 0 && t.rapidDistance == 0 && tools.size() > 1)
            continue;
        info.totals.feedDistance += t.feedDistance;
        info.totals.rapidDistance += t.rapidDistance;
        info.totals.feedTime += t.feedTime;
        info.totals.rapidTime += t.rapidTime;
        info.totals.extents.add(t.extents);
        for (double v : t.speeds)
            addValue(info.totals.speeds, v);
        for (double v : t.feeds)
            addValue(info.totals.feeds, v);
        if (info.totals.firstLine < 0 || t.firstLine < info.totals.firstLine)
            info.totals.firstLine = t.firstLine;
        info.totals.lastLine = std::max(info.totals.lastLine, t.lastLine);
        info.tools.push_back(std::move(t));
    }
    return info;
}

namespace {

std::string values(const std::vector<double>& v)
{
    std::string out;
    for (double x : v)
        out += (out.empty() ? "" : " ") + plainNumber(x);
    return out;
}

std::string box(const preview::Box3& b)
{
    if (b.empty())
        return "-";
    std::string out;
    static const char kAxes[3] = {'X', 'Y', 'Z'};
    for (int i = 0; i < 3; ++i)
        out += std::string(i ? " " : "") + kAxes[i] + plainNumber(b.min[i]) + "〜" + plainNumber(b.max[i]);
    return out;
}

std::string durationSeconds(double s)
{
    return preview::shownDuration(s / 60);
}

std::string row(const ToolSummary& t, const std::string& name)
{
    return name + "\t" + t.comment + "\t" + std::to_string(t.firstLine) + "\t" + std::to_string(t.lastLine) + "\t"
        + plainNumber(t.feedDistance) + "\t" + plainNumber(t.rapidDistance) + "\t" + durationSeconds(t.feedTime) + "\t"
        + durationSeconds(t.rapidTime) + "\t" + box(t.extents) + "\t" + values(t.speeds) + "\t" + values(t.feeds) + "\n";
}

// A number for JSON: the shortest text that reads back the same; null when not finite.
std::string jsonNumber(double v)
{
    if (!std::isfinite(v))
        return "null";
    char buffer[32];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, v);
    return ec == std::errc() ? std::string(buffer, ptr) : "null";
}

std::string jsonString(std::string_view s)
{
    std::string out = "\"";
    for (const char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
            out += buffer;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string jsonValues(const std::vector<double>& v)
{
    std::string out = "[";
    for (std::size_t i = 0; i < v.size(); ++i)
        out += (i ? ", " : "") + jsonNumber(v[i]);
    return out + "]";
}

std::string jsonBox(const preview::Box3& b)
{
    if (b.empty())
        return "null";
    return "{\"min\": [" + jsonNumber(b.min[0]) + ", " + jsonNumber(b.min[1]) + ", " + jsonNumber(b.min[2]) + "], \"max\": ["
        + jsonNumber(b.max[0]) + ", " + jsonNumber(b.max[1]) + ", " + jsonNumber(b.max[2]) + "]}";
}

std::string jsonTool(const ToolSummary& t, bool withTool)
{
    std::string out = "{";
    if (withTool)
        out += "\"tool\": " + std::to_string(t.tool) + ", \"comment\": " + jsonString(t.comment) + ", ";
    out += "\"first_line\": " + std::to_string(t.firstLine) + ", \"last_line\": " + std::to_string(t.lastLine)
        + ", \"feed_distance\": " + jsonNumber(t.feedDistance) + ", \"rapid_distance\": " + jsonNumber(t.rapidDistance)
        + ", \"feed_time\": " + jsonNumber(t.feedTime) + ", \"rapid_time\": " + jsonNumber(t.rapidTime)
        + ", \"extents\": " + jsonBox(t.extents) + ", \"speeds\": " + jsonValues(t.speeds)
        + ", \"feeds\": " + jsonValues(t.feeds);
    if (!withTool)
        out += ", \"time\": " + jsonNumber(t.feedTime + t.rapidTime);
    return out + "}";
}

}  // namespace

std::string infoText(const ProgramInfo& info)
{
    std::string out = "プログラム\t" + (info.programNumber.empty() ? std::string("-") : info.programNumber) + "\n";
    out += "行数\t" + std::to_string(info.lines) + "\n";
    out += "ブロック数\t" + std::to_string(info.blocks) + "\n";
    out += std::string("単位\t") + (info.inch ? "inch" : "mm") + "\n";
    out += "時間\t" + durationSeconds(info.totals.feedTime + info.totals.rapidTime) + "\n";
    if (info.diagnostics > 0)
        out += "注意\t" + std::to_string(info.diagnostics) + "\n";
    if (info.cutShort)
        out += "打ち切り\t上限に達したので途中までの集計です\n";
    out += "\n工具\tコメント\t最初の行\t最後の行\t切削距離\t早送り距離\t切削時間\t早送り時間\t範囲\t回転数\t送り\n";
    for (const ToolSummary& t : info.tools)
        out += row(t, "T" + std::to_string(t.tool));
    out += row(info.totals, "合計");
    return out;
}

std::string infoJson(const ProgramInfo& info)
{
    std::string out = "{\"program\": " + jsonString(info.programNumber) + ", \"lines\": " + std::to_string(info.lines)
        + ", \"blocks\": " + std::to_string(info.blocks) + ", \"units\": " + (info.inch ? "\"inch\"" : "\"mm\"")
        + ", \"diagnostics\": " + std::to_string(info.diagnostics) + ", \"cut_short\": " + (info.cutShort ? "true" : "false")
        + ",\n \"tools\": [";
    for (std::size_t i = 0; i < info.tools.size(); ++i)
        out += std::string(i ? ",\n  " : "\n  ") + jsonTool(info.tools[i], true);
    out += "],\n \"totals\": " + jsonTool(info.totals, false) + "}\n";
    return out;
}

}  // namespace zorvan::inspect
