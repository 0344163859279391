// The toolpath preview on any program: it is worked out within small budgets, then drawn in
// each view on a small picture with the caret line's highlight, the tool marker and a hit
// test. Whatever the text, the run ends, the path keeps its own rules (vertices, ranges, lines
// and tools agree) and the drawing stays inside the picture.
#include "fuzz_check.h"
#include "preview/logic/interpreter.h"
#include "preview/logic/shown_number.h"
#include "preview/render/path_renderer.h"

#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <string_view>

using namespace zorvan::preview;

namespace {

constexpr std::size_t kVertices = 20000;

void checkPath(const Toolpath& path, const InterpreterOptions& options)
{
    const std::size_t n = path.vertexCount();
    FUZZ_CHECK(n <= options.maxVertices);
    FUZZ_CHECK(path.y.size() == n && path.z.size() == n && path.line.size() == n && path.kind.size() == n
               && path.tool.size() == n);
    FUZZ_CHECK(!path.tools.empty());
    for (std::size_t v = 0; v < n; ++v) {
        FUZZ_CHECK(path.tool[v] < path.tools.size());
        FUZZ_CHECK(static_cast<int>(path.line[v]) < path.lineCount());
        FUZZ_CHECK(static_cast<int>(path.kind[v]) < kMoveKinds);
    }
    // Ranges follow each other through the vertices, each made by the line it names.
    for (std::size_t r = 0; r < path.ranges.size(); ++r) {
        const VertexRange& range = path.ranges[r];
        FUZZ_CHECK(range.begin < path.rangeEnd(r) && path.rangeEnd(r) <= n);
        FUZZ_CHECK(r == 0 || path.ranges[r - 1].begin < range.begin);
        for (std::uint32_t v = range.begin; v < path.rangeEnd(r); ++v)
            FUZZ_CHECK(path.line[v] == range.line);
    }
    for (int line = 0; line < path.lineCount(); ++line) {
        const long after = path.vertexAfterLine(line);
        FUZZ_CHECK(after >= -1 && after < static_cast<long>(n));
        for (std::uint32_t r : path.rangesOfLine(line))
            FUZZ_CHECK(path.ranges[r].line == static_cast<std::uint32_t>(line));
    }
    FUZZ_CHECK(path.diagnostics.size() <= options.maxDiagnostics + 1);
    // Spans and times show as short texts however far or long the path goes.
    for (int i = 0; i < 3; ++i)
        FUZZ_CHECK(shownNumber(path.extents.min[i], 3).size() < 24 && shownNumber(path.extents.max[i], 3).size() < 24);
    FUZZ_CHECK(shownDuration(path.minutes).size() < 32);
    for (std::size_t i = 0; i < path.diagnostics.size(); ++i) {
        const Diagnostic& d = path.diagnostics[i];
        FUZZ_CHECK(static_cast<int>(d.line) < path.lineCount());
        FUZZ_CHECK(diagnosticText(d) != "?" && diagnosticText(d).size() < 200);
        // A cut ends the run: nothing is reported after it.
        if (d.code == DiagnosticCode::PathCutShort || d.code == DiagnosticCode::RunCutShort)
            FUZZ_CHECK(i + 1 == path.diagnostics.size());
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    InterpreterOptions options;
    options.maxVertices = kVertices;
    options.maxWork = 2'000'000;
    options.maxDiagnostics = 200;
    options.leastIncrement = size % 2 == 1;
    const Toolpath path = interpretProgram(text, options);
    FUZZ_CHECK(!path.cancelled);
    checkPath(path, options);

    // The state at a line, run again from its resume point, and at the last line.
    const int asked = path.lineCount() > 0 ? static_cast<int>((size / 3) % static_cast<std::size_t>(path.lineCount())) : 0;
    for (int line : {asked, path.lineCount() - 1, path.lineCount()}) {
        const auto states = stateOfLine(text, path, line, options);
        if (states)
            FUZZ_CHECK(!(states->after.minutes < states->before.minutes));  // time only grows
    }

    const PathChunks chunks = buildChunks(path);
    RenderOptions render;
    render.legend = false;  // text needs a font database, which needs an application
    const int caretLine = path.lineCount() > 0 ? static_cast<int>(size % static_cast<std::size_t>(path.lineCount())) : 0;
    for (View view : {View::Top, View::Front, View::Side, View::Iso}) {
        ViewTransform t = fitView(path.extents, view, QSize(64, 64));
        if (view == View::Iso) {
            t.zoomAt(QPointF(10, 50), 7.5);  // part of the path outside the picture
            t.panBy(QPointF(-20, 13));
        }
        QImage image = renderPath(path, chunks, t, render);
        FUZZ_CHECK(image.size() == QSize(64, 64));
        QPainter painter(&image);
        drawLineHighlight(painter, path, t, caretLine);
        drawToolMarker(painter, path, t, path.vertexAfterLine(caretLine));
        for (QPointF pixel : {QPointF(32, 32), QPointF(3, 60)}) {
            const long v = segmentAt(path, chunks, t, pixel);
            FUZZ_CHECK(v >= -1 && v < static_cast<long>(path.vertexCount()));
        }
    }
    return 0;
}
