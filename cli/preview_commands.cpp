// zorvan-cli extents: the span of the program's path on each axis, from the preview's interpreter.
#include "cli/commands.h"

#include "preview/logic/interpreter.h"

#include <charconv>
#include <ostream>

namespace zorvan::cli {

namespace {

// Three decimals with a dot; a value that rounds to zero carries no sign.
std::string threeDecimals(double value)
{
    char buffer[64];
    auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 3);
    std::string text(buffer, ec == std::errc() ? end : buffer);
    if (text == "-0.000")
        text = "0.000";
    return text;
}

}  // namespace

void printDiagnostics(const preview::Toolpath& path, std::ostream& err)
{
    for (const auto& d : path.diagnostics)
        err << d.line << ": " << preview::diagnosticText(d) << '\n';
}

int runExtents(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--moves"}, {}});
    const std::string moves = options.text("--moves", "all");
    if (moves != "all" && moves != "feed")
        throw UsageError("--moves must be all or feed: '" + moves + "'");
    const std::string text = loadDocumentInput(options.file, io.in, options.encoding).text;
    const preview::Toolpath path = preview::interpretProgram(text);
    const preview::Box3& box = moves == "feed" ? path.feedExtents : path.extents;
    if (!box.empty()) {
        static const char kAxes[3] = {'X', 'Y', 'Z'};
        for (int i = 0; i < 3; ++i)
            io.out << kAxes[i] << ' ' << threeDecimals(box.min[i]) << ' ' << threeDecimals(box.max[i]) << '\n';
    }
    printDiagnostics(path, io.err);
    return box.empty() ? Refused : Done;
}

}  // namespace zorvan::cli
