// zorvan-cli check: the program check, one finding a line as "LINE: severity: message [rule]"
// (lines 0-based), or a JSON document with --format json. Exit status 0 when nothing was found,
// 1 with findings, 2 on a usage error, 3 when the interpreter's bounds cut the program short.
#include "check/logic/check_settings.h"
#include "cli/commands.h"
#include "preview/logic/stock/tool_shape.h"

#include <cmath>
#include <cstdio>
#include <ostream>

namespace zorvan::cli {

namespace {

std::string jsonString(std::string_view text)
{
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (static_cast<unsigned char>(c) < 0x20) {
                char buffer[8];
                std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                out += buffer;
            } else {
                out += c;
            }
        }
    }
    return out + '"';
}

}  // namespace

int runCheck(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--rules", "--travel", "--tools", "--tolerance", "--format"}, {}});
    if (options.outPath || options.inPlace)
        throw UsageError("check prints its findings; -o and --in-place do not apply");
    check::CheckOptions checkOptions = check::readCheckSettings();
    if (options.has("--rules")) {
        std::string unknown;
        const auto rules = check::parseRuleList(options.text("--rules"), unknown);
        if (!rules)
            throw UsageError("--rules: no rule '" + unknown + "' (see zorvan-cli check --help and the README)");
        checkOptions.enabled = *rules;
    }
    if (options.has("--travel")) {
        checkOptions.travel = check::parseTravel(options.text("--travel"));
        if (!checkOptions.travel)
            throw UsageError("--travel must be X0:X1,Y0:Y1,Z0:Z1, each range from the smaller to the larger value: '"
                             + options.text("--travel") + "'");
    }
    if (options.has("--tolerance")) {
        const double tolerance = options.number("--tolerance", checkOptions.arcTolerance);
        if (!(tolerance > 0) || !std::isfinite(tolerance))
            throw UsageError("--tolerance must be a length above 0: '" + options.text("--tolerance") + "'");
        checkOptions.arcTolerance = tolerance;
    }
    const std::string format = options.text("--format", "text");
    if (format != "text" && format != "json")
        throw UsageError("--format must be text or json: '" + format + "'");
    if (options.has("--tools")) {
        const std::string tablePath = options.text("--tools");
        const std::string table = loadDocumentInput(tablePath, io.in).text;
        if (int bad = preview::stock::readToolTable(table, checkOptions.tools)) {
            io.err << tablePath << ':' << bad << ": no tool number or size (T<n> D<diameter> [R<radius>] ...)\n";
            return Usage;
        }
    }
    const std::string text = loadDocumentInput(options.file, io.in, options.encoding).text;
    bool cutShort = false;
    const std::vector<check::Finding> findings = check::checkProgram(text, checkOptions, &cutShort);
    const check::FindingCounts counts = check::countFindings(findings);
    if (format == "json") {
        io.out << "{\"file\": " << jsonString(options.file.value_or("-")) << ", \"cut_short\": " << (cutShort ? "true" : "false")
               << ", \"errors\": " << counts.errors << ", \"warnings\": " << counts.warnings << ", \"notes\": " << counts.notes
               << ",\n \"findings\": [";
        for (std::size_t i = 0; i < findings.size(); ++i) {
            const check::Finding& f = findings[i];
            io.out << (i ? ",\n  " : "\n  ") << "{\"line\": " << f.line << ", \"severity\": \"" << check::severityName(f.severity())
                   << "\", \"rule\": \"" << check::ruleInfo(f.rule).id << "\", \"message\": " << jsonString(f.message) << '}';
        }
        io.out << (findings.empty() ? "]}\n" : "\n ]}\n");
    } else {
        for (const check::Finding& f : findings)
            io.out << check::findingLine(f) << '\n';
    }
    if (cutShort) {
        io.err << "the program was cut short by the interpreter's bounds: the stock was not simulated to its end\n";
        return CutShort;
    }
    return findings.empty() ? Done : Refused;
}

}  // namespace zorvan::cli
