// zorvan-cli extents: the span of the program's path on each axis, from the preview's interpreter.
#include "cli/commands.h"

#include "preview/logic/interpreter.h"
#include "preview/logic/shown_number.h"

#include <bit>
#include <cstdint>
#include <map>
#include <ostream>
#include <tuple>

namespace zorvan::cli {

// One line per cause (line, kind and value), in the order of first appearance, with how often it
// came when more than once: a fault in a subprogram run ten thousand times is one line.
void printDiagnostics(const preview::Toolpath& path, std::ostream& err)
{
    // The value by its bits: a NaN is a value like any other here.
    using Cause = std::tuple<std::uint32_t, preview::DiagnosticCode, std::uint64_t>;
    std::map<Cause, std::size_t> seen;
    std::vector<std::pair<const preview::Diagnostic*, std::size_t>> causes;
    for (const auto& d : path.diagnostics) {
        auto [it, fresh] = seen.try_emplace(Cause{d.line, d.code, std::bit_cast<std::uint64_t>(d.value)}, causes.size());
        if (fresh)
            causes.emplace_back(&d, 0);
        ++causes[it->second].second;
    }
    for (const auto& [d, count] : causes) {
        err << d->line << ": " << preview::diagnosticText(*d);
        if (count > 1)
            err << " (" << count << " 回)";
        err << '\n';
    }
}

// CutShort when a bound of the interpreter cut the path short (also when nothing of it was left to
// show), else `status`.
int statusAfterBounds(const preview::Toolpath& path, int status)
{
    for (const auto& d : path.diagnostics)
        if (d.code == preview::DiagnosticCode::PathCutShort || d.code == preview::DiagnosticCode::RunCutShort)
            return CutShort;
    return status;
}

int runExtents(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--moves"}, {}});
    if (options.outPath || options.inPlace)
        throw UsageError("extents prints the span; -o and --in-place do not apply");
    const std::string moves = options.text("--moves", "all");
    if (moves != "all" && moves != "feed")
        throw UsageError("--moves must be all or feed: '" + moves + "'");
    const std::string text = loadDocumentInput(options.file, io.in, options.encoding).text;
    const preview::Toolpath path = preview::interpretProgram(text);
    const preview::Box3& box = moves == "feed" ? path.feedExtents : path.extents;
    if (!box.empty()) {
        static const char kAxes[3] = {'X', 'Y', 'Z'};
        for (int i = 0; i < 3; ++i)
            io.out << kAxes[i] << ' ' << preview::shownNumber(box.min[i], 3) << ' '
                   << preview::shownNumber(box.max[i], 3) << '\n';
    }
    printDiagnostics(path, io.err);
    return statusAfterBounds(path, box.empty() ? Refused : Done);
}

}  // namespace zorvan::cli
