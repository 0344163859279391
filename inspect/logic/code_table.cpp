#include "inspect/logic/code_table.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace zorvan::inspect {

extern const char kNcCodesText[];
extern const unsigned long kNcCodesSize;

namespace {

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

bool isUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}

long tenths(double value)
{
    return std::lround(value * 10);
}

}  // namespace

CodeTable CodeTable::read(std::string_view text, std::vector<int>* badLines)
{
    CodeTable table;
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trimmed(text.substr(start, end - start));
        start = end + 1;
        ++number;
        if (line.empty() || line.front() == '#')
            continue;
        const std::size_t gap = line.find_first_of(" \t");
        const std::string_view code = line.substr(0, gap);
        const std::string_view meaning = gap == std::string_view::npos ? std::string_view() : trimmed(line.substr(gap));
        bool good = !code.empty() && isUpper(code[0]) && !meaning.empty();
        long key = -1;
        if (good && code.size() > 1) {
            double value = 0;
            const auto [ptr, ec] = std::from_chars(code.data() + 1, code.data() + code.size(), value);
            good = ec == std::errc() && ptr == code.data() + code.size() && value >= 0 && value < 1e6
                && std::isdigit(static_cast<unsigned char>(code[1]));
            key = tenths(value);
        }
        if (!good) {
            if (badLines)
                badLines->push_back(number);
            continue;
        }
        if (table.entries_.emplace(std::pair{code[0], key}, std::string(meaning)).second)
            table.codes_.emplace_back(code);
    }
    return table;
}

std::optional<std::string_view> CodeTable::find(char letter, double value) const
{
    if (!std::isfinite(value) || value < 0 || value > 1e9)
        return std::nullopt;
    const auto it = entries_.find({letter, tenths(value)});
    if (it == entries_.end())
        return std::nullopt;
    return std::string_view(it->second);
}

std::optional<std::string_view> CodeTable::findAddress(char letter) const
{
    const auto it = entries_.find({letter, -1});
    if (it == entries_.end())
        return std::nullopt;
    return std::string_view(it->second);
}

std::string_view builtinCodeTableText()
{
    return {kNcCodesText, kNcCodesSize};
}

const CodeTable& builtinCodeTable()
{
    static const CodeTable table = CodeTable::read(builtinCodeTableText());
    return table;
}

std::string codeName(char letter, double value)
{
    char buffer[48];
    const long t = std::isfinite(value) && std::fabs(value) < 1e9 ? tenths(value) : 0;
    if (!std::isfinite(value) || std::fabs(value) >= 1e9)
        std::snprintf(buffer, sizeof buffer, "%c%g", letter, value);
    else if (t % 10 == 0)
        std::snprintf(buffer, sizeof buffer, "%c%02ld", letter, t / 10);
    else
        std::snprintf(buffer, sizeof buffer, "%c%s%ld.%ld", letter, t < 0 ? "-" : "", std::labs(t) / 10, std::labs(t) % 10);
    return buffer;
}

}  // namespace zorvan::inspect
