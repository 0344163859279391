// zorvan-cli plot: the preview's picture of the program, written as a PNG file.
#include "cli/commands.h"

#include "preview/logic/interpreter.h"
#include "preview/render/path_renderer.h"

#include <QGuiApplication>

#include <charconv>
#include <ostream>

namespace zorvan::cli {

namespace {

QSize sizeOption(const DocumentOptions& options)
{
    const std::string text = options.text("--size", "800x600");
    const auto x = text.find('x');
    int w = 0, h = 0;
    if (x != std::string::npos) {
        auto [wEnd, wEc] = std::from_chars(text.data(), text.data() + x, w);
        auto [hEnd, hEc] = std::from_chars(text.data() + x + 1, text.data() + text.size(), h);
        if (wEc != std::errc() || hEc != std::errc() || wEnd != text.data() + x || hEnd != text.data() + text.size())
            w = h = 0;
    }
    if (w < 16 || h < 16 || w > 16384 || h > 16384)
        throw UsageError("--size must be WxH, 16 to 16384 pixels each: '" + text + "'");
    return {w, h};
}

}  // namespace

void printDiagnostics(const preview::Toolpath& path, std::ostream& err);

int runPlot(const std::vector<std::string>& args, Io& io)
{
    DocumentOptions options = parseDocumentOptions(args, {{"--view", "--size"}, {}});
    const auto view = preview::viewFromName(options.text("--view", "top"));
    if (!view)
        throw UsageError("--view must be top, front, side or iso: '" + options.text("--view") + "'");
    const QSize size = sizeOption(options);
    if (!options.outPath)
        throw UsageError("missing -o OUT.png");
    if (options.inPlace)
        throw UsageError("--in-place does not apply to plot");

    const std::string text = loadDocumentText(options.file, io.in);
    const preview::Toolpath path = preview::interpretProgram(text);
    const preview::PathChunks chunks = preview::buildChunks(path);
    preview::RenderOptions render;
    render.legend = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;  // text needs fonts
    const QImage image = preview::renderPath(path, chunks, preview::fitView(path.extents, *view, size), render);
    printDiagnostics(path, io.err);
    if (!image.save(QString::fromStdString(*options.outPath), "PNG"))
        throw std::runtime_error(*options.outPath + ": cannot write the picture");
    return Done;
}

}  // namespace zorvan::cli
