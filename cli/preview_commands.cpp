// zorvan-cli extents and path: the span of the program's path on each axis, and the path itself,
// from the preview's interpreter.
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

namespace {

const char* const kMoveNames[] = {"rapid", "feed", "arc", "cycle-rapid", "cycle-feed"};

std::string movesOption(const DocumentOptions& options, const char* prints)
{
    if (options.outPath || options.inPlace)
        throw UsageError(std::string(prints) + "; -o and --in-place do not apply");
    const std::string moves = options.text("--moves", "all");
    if (moves != "all" && moves != "feed")
        throw UsageError("--moves must be all or feed: '" + moves + "'");
    return moves;
}

}  // namespace

// One vertex a line: source line (from 0), move kind, X Y Z; the programmed end of an arc adds
// "centre" with its X Y Z, G02 or G03 and the plane G17, G18 or G19. A vertex the tool reached
// from a place the program does not tell begins with "jump".
int runPath(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--moves"}, {}});
    const bool feedOnly = movesOption(options, "path prints the path") == "feed";
    const std::string text = loadDocumentInput(options.file, io.in, options.encoding).text;
    const preview::Toolpath path = preview::interpretProgram(text);
    std::size_t nextBreak = 0, nextArc = 0;
    std::string row;
    for (std::size_t v = 0; v < path.vertexCount(); ++v) {
        const bool jump = nextBreak < path.breaks.size() && path.breaks[nextBreak] == v;
        if (jump)
            ++nextBreak;
        const preview::ArcRecord* arc = nullptr;
        if (nextArc < path.arcs.size() && path.arcs[nextArc].end == v)
            arc = &path.arcs[nextArc++];
        if (feedOnly && !preview::isFeedKind(path.kind[v]))
            continue;
        row.clear();
        if (jump)
            row += "jump ";
        row += std::to_string(path.line[v]);
        row += ' ';
        row += kMoveNames[static_cast<int>(path.kind[v])];
        for (const float c : {path.x[v], path.y[v], path.z[v]})
            row += ' ' + preview::shownNumber(c, 4);
        if (arc) {
            row += " centre";
            for (const float c : arc->centre)
                row += ' ' + preview::shownNumber(c, 4);
            row += arc->counterClockwise ? " G03 G" : " G02 G";
            row += std::to_string(arc->plane);
        }
        row += '\n';
        io.out << row;
    }
    printDiagnostics(path, io.err);
    return statusAfterBounds(path, Done);
}

int runExtents(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--moves"}, {}});
    const std::string moves = movesOption(options, "extents prints the span");
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
