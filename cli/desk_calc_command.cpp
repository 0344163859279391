#include "cli/desk_calc_command.h"

#include "calc/logic/calc_engine.h"
#include "calc/logic/calc_text.h"

#include <algorithm>
#include <ostream>
#include <utility>

namespace zorvan {

namespace {

constexpr const char* kUsage = "usage: zorvan-cli desk-calc [--trace] KEYS...\n";

std::optional<DeskCalcKey> namedKey(std::string_view name)
{
    static const std::pair<std::string_view, char> codes[] = {{"Min", calckey::Min},
        {"M+", calckey::MPlus}, {"M-", calckey::MMinus}, {"MR", calckey::MR},
        {"MC", calckey::MC}, {"DMS", calckey::Dms}, {"BS", calckey::Backspace},
        {"Enter", calckey::Enter}, {"Esc", calckey::Esc}};
    const std::string written = "{" + std::string(name) + "}";
    for (const auto& [keyName, code] : codes) {
        if (name == keyName)
            return DeskCalcKey{written, code, -1};
    }
    if (name.size() == 2 && name[0] == 'M' && name[1] >= 'A' && name[1] <= 'F')
        return DeskCalcKey{written, 0, name[1] - 'A'};
    return std::nullopt;
}

// Length of the UTF-8 character that starts with this byte.
std::size_t utf8Length(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

void report(const std::optional<CalcMessage>& message, std::ostream& err)
{
    if (message)
        err << message->text << '\n';
}

}  // namespace

std::optional<std::vector<DeskCalcKey>> parseDeskCalcKeys(std::string_view arg)
{
    std::vector<DeskCalcKey> keys;
    std::size_t i = 0;
    while (i < arg.size()) {
        if (arg[i] == '{') {
            const std::size_t close = arg.find('}', i + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            auto key = namedKey(arg.substr(i + 1, close - i - 1));
            if (!key)
                return std::nullopt;
            keys.push_back(std::move(*key));
            i = close + 1;
            continue;
        }
        const std::size_t len = std::min(utf8Length(static_cast<unsigned char>(arg[i])), arg.size() - i);
        const std::string_view character = arg.substr(i, len);
        std::string bytes = calcKeyBytes(character);
        if (bytes.empty())
            bytes = "?";  // no form in the system code page
        for (char byte : bytes)
            keys.push_back(DeskCalcKey{std::string(character), byte, -1});
        i += len;
    }
    return keys;
}

int runDeskCalcCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
{
    bool trace = false;
    std::size_t first = 0;
    if (!args.empty() && args[0] == "--trace") {
        trace = true;
        first = 1;
    }
    if (first == args.size()) {
        err << "zorvan-cli desk-calc: no keys given\n" << kUsage;
        return 2;
    }
    std::vector<DeskCalcKey> keys;
    for (std::size_t a = first; a < args.size(); ++a) {
        auto parsed = parseDeskCalcKeys(args[a]);
        if (!parsed) {
            err << "zorvan-cli desk-calc: malformed key name in '" << args[a] << "'\n" << kUsage;
            return 2;
        }
        keys.insert(keys.end(), parsed->begin(), parsed->end());
    }

    CalcMemory memory;
    CalcEngine engine(memory);
    for (const DeskCalcKey& key : keys) {
        if (key.slot >= 0) {
            report(engine.MemAClick(key.slot), err);
        } else {
            char code = key.code;
            report(engine.FormKeyPress(code), err);
        }
        if (trace)
            out << key.name << '\t' << engine.displayText() << '\t' << engine.indicatorText() << '\n';
    }
    if (!trace)
        out << engine.displayText() << '\n';
    return 0;
}

}  // namespace zorvan
