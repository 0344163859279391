#include "inspect/logic/code_help.h"

#include "preview/logic/shown_number.h"

#include <charconv>
#include <cmath>
#include <set>

namespace zorvan::inspect {

namespace {

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

char upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

}  // namespace

void variablesRead(std::string_view text, const preview::MacroVariables& variables,
                   std::vector<std::pair<int, std::optional<double>>>& out)
{
    std::set<int> seen;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '#')
            continue;
        const char* p = text.data() + i;
        preview::MacroReader reader(p, text.data() + text.size(), variables);
        const int n = reader.variableNumber();
        if (reader.failed || n < 0 || !seen.insert(n).second)
            continue;
        out.emplace_back(n, variables.isSet(n) ? std::optional<double>(variables.get(n)) : std::nullopt);
    }
}

namespace {

// "#1 = 10.5" / "#1 = 空".
std::string variableText(int n, const std::optional<double>& value)
{
    return "#" + std::to_string(n) + " = " + (value ? plainNumber(*value) : std::string("空"));
}

std::string usedVariables(const WordValue& v)
{
    std::string out;
    for (const auto& [n, value] : v.variables)
        out += (out.empty() ? "" : ", ") + variableText(n, value);
    return out.empty() ? out : " (" + out + ")";
}

}  // namespace

int runAssignment(const Word& word, preview::MacroVariables& variables)
{
    const std::string_view text = word.valueText;
    const std::string full = "#" + std::string(text);
    const char* p = full.data();
    const char* end = p + full.size();
    preview::MacroReader reader(p, end, variables);
    const int n = reader.variableNumber();
    while (p < end && (*p == ' ' || *p == '\t'))
        ++p;
    if (reader.failed || p >= end || *p != '=' || n < 0)
        return -1;
    if (n == 0 || !variables.readable(n))
        return n;  // #0 stays vacant; a system variable is not set here
    ++p;
    const preview::MacroValue v = reader.expression();
    if (reader.failed)
        return n;
    if (v.vacant)
        variables.clear(n);
    else
        variables.set(n, v.value);
    return n;
}

std::string plainNumber(double value)
{
    std::string s = preview::shownNumber(value, 4);
    if (s.find('.') != std::string::npos && s.find('e') == std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    return s == "-0" ? "0" : s;
}

std::size_t byteOfColumn(std::string_view line, long column)
{
    std::size_t at = 0;
    for (long c = 0; c < column && at < line.size(); ++c) {
        ++at;
        while (at < line.size() && (static_cast<unsigned char>(line[at]) & 0xC0) == 0x80)
            ++at;
    }
    return at;
}

std::vector<Word> wordsOfLine(std::string_view line)
{
    std::vector<Word> words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    // A "#" after a finished value (a digit, "." or "]") starts an assignment of its own.
    auto endsValue = [&](std::size_t from, std::size_t j) {
        while (j > from && (line[j - 1] == ' ' || line[j - 1] == '\t'))
            --j;
        return j > from && ((line[j - 1] >= '0' && line[j - 1] <= '9') || line[j - 1] == '.' || line[j - 1] == ']');
    };
    // The value of a word runs to the next letter, "(" or ";" outside brackets.
    // In an assignment, a run of letters (SIN, MOD, AND) belongs to the expression.
    auto valueEnd = [&](std::size_t from, bool assignment) {
        int depth = 0;
        std::size_t j = from;
        for (; j < n; ++j) {
            const char c = line[j];
            if (c == '[')
                ++depth;
            else if (c == ']')
                depth = depth > 0 ? depth - 1 : 0;
            else if (assignment && depth == 0 && isLetter(c) && j + 1 < n && isLetter(line[j + 1])) {
                while (j + 1 < n && isLetter(line[j + 1]))
                    ++j;
            } else if (depth == 0 && (isLetter(c) || c == '(' || c == ';' || (c == '#' && endsValue(from, j))))
                break;
        }
        while (j > from && (line[j - 1] == ' ' || line[j - 1] == '\t' || line[j - 1] == '\r'))
            --j;
        return j;
    };
    while (i < n) {
        const char c = line[i];
        if (c == '(') {
            const std::size_t close = line.find(')', i);
            i = close == std::string_view::npos ? n : close + 1;
        } else if (c == ';') {
            break;
        } else if (isLetter(c)) {
            if (i + 1 < n && isLetter(line[i + 1])) {  // IF, GOTO, WHILE, DO, END: not address words
                while (i < n && isLetter(line[i]))
                    ++i;
                continue;
            }
            const std::size_t end = valueEnd(i + 1, false);
            words.push_back({i, end, upper(c), line.substr(i + 1, end - i - 1)});
            i = std::max(end, i + 1);
        } else if (c == '#') {
            const std::size_t end = valueEnd(i + 1, true);
            words.push_back({i, end, '#', line.substr(i + 1, end - i - 1)});
            i = std::max(end, i + 1);
        } else {
            ++i;
        }
    }
    return words;
}

std::optional<Word> wordAt(std::string_view line, std::size_t at)
{
    std::optional<Word> found;
    for (const Word& w : wordsOfLine(line))
        if (at >= w.begin && (at < w.end || (at == w.end && !found)))
            found = w;
    return found;
}

WordValue wordValue(const Word& word, const preview::MacroVariables& variables)
{
    WordValue v;
    std::string_view text = word.valueText;
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    const bool negative = !text.empty() && text.front() == '-' && text.size() > 1 && (text[1] == '#' || text[1] == '[');
    const std::string_view body = negative ? text.substr(1) : text;
    if (!body.empty() && (body.front() == '#' || body.front() == '[')) {
        v.expression = true;
        variablesRead(body, variables, v.variables);
        const char* p = body.data();
        preview::MacroReader reader(p, body.data() + body.size(), variables);
        const preview::MacroValue mv = body.front() == '#' ? reader.variable() : reader.bracketed();
        if (reader.failed)
            return v;
        v.vacant = mv.vacant;
        v.read = !mv.vacant && std::isfinite(mv.value);
        v.value = negative ? -mv.value : mv.value;
        return v;
    }
    // A plain number: blanks inside it are ignored, a "+" may lead.
    std::string digits;
    for (const char c : text)
        if (c != ' ' && c != '\t')
            digits += c;
    if (!digits.empty() && digits.front() == '+')
        digits.erase(0, 1);
    double value = 0;
    const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    v.read = ec == std::errc() && ptr == digits.data() + digits.size() && !digits.empty();
    if (!v.read && !digits.empty() && (digits == "." || digits == "-."))
        v.read = true, value = 0;
    v.value = value;
    return v;
}

std::string codeHelp(const CodeTable& table, std::string_view line, std::size_t at,
                     const preview::MacroVariables& variables)
{
    const std::vector<Word> words = wordsOfLine(line);
    // The word the place is in, else the one it ends (a caret right after a word).
    const Word* target = nullptr;
    for (const Word& w : words)
        if (at >= w.begin && (at < w.end || (at == w.end && !target)))
            target = &w;
    if (!target)
        return {};
    preview::MacroVariables vars = variables;
    for (const Word& w : words) {
        if (&w == target)
            break;
        if (w.letter == '#')
            runAssignment(w, vars);
    }
    const Word& word = *target;
    std::string written(line.substr(word.begin, word.end - word.begin));
    written[0] = upper(written[0]);
    if (word.letter == '#') {
        // "#100" read, or "#1=…" set: its number and value.
        const std::string full = "#" + std::string(word.valueText);
        const char* p = full.data();
        const char* end = p + full.size();
        preview::MacroReader reader(p, end, vars);
        const int n = reader.variableNumber();
        if (reader.failed && reader.error == preview::DiagnosticCode::UnreadableVariable)
            return written + ": システム変数 (ここでは読めません)";
        if (reader.failed || n < 0)
            return written + ": 読めない変数です";
        while (p < end && (*p == ' ' || *p == '\t'))
            ++p;
        if (p < end && *p == '=') {
            preview::MacroVariables after = vars;
            runAssignment(word, after);
            WordValue used;
            variablesRead(std::string_view(p + 1, static_cast<std::size_t>(end - p - 1)), vars, used.variables);
            return "#" + std::to_string(n) + " に代入: " + (after.isSet(n) ? plainNumber(after.get(n)) : std::string("空"))
                + usedVariables(used);
        }
        if (!vars.readable(n))
            return "#" + std::to_string(n) + ": システム変数 (ここでは読めません)";
        return "マクロ変数 " + variableText(n, vars.isSet(n) ? std::optional<double>(vars.get(n)) : std::nullopt);
    }
    const WordValue value = wordValue(word, vars);
    std::string valueLine;
    if (value.expression)
        valueLine = "値: " + (value.read ? plainNumber(value.value) : value.vacant ? std::string("空 (この語はないものとされます)") : std::string("読めません")) + usedVariables(value);
    else if (!value.read)
        valueLine = "値: 読めません";
    if (word.letter == 'G' || word.letter == 'M') {
        if (!value.read)
            return written + ": " + valueLine;
        const std::string name = codeName(word.letter, value.value);
        const auto meaning = table.find(word.letter, value.value);
        std::string text = name + (meaning ? " " + std::string(*meaning) : std::string(": 表にないコードです"));
        if (value.expression)
            text += "\n" + valueLine;
        return text;
    }
    const auto meaning = table.findAddress(word.letter);
    std::string text = written + ": " + (meaning ? std::string(*meaning) : std::string("表にないアドレスです"));
    if (value.expression || !value.read)
        text += "\n" + valueLine;
    else
        text += "\n値: " + plainNumber(value.value);
    return text;
}

}  // namespace zorvan::inspect
