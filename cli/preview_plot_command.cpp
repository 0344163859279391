// zorvan-cli plot: the preview's picture of the program, written as a PNG file.
#include "cli/commands.h"

#include "app/logic/file_io.h"
#include "preview/logic/interpreter.h"
#include "preview/render/path_renderer.h"

#include <QBuffer>
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
int statusAfterBounds(const preview::Toolpath& path, int status);

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

    const std::string text = loadDocumentInput(options.file, io.in, options.encoding).text;
    const preview::Toolpath path = preview::interpretProgram(text);
    const preview::PathChunks chunks = preview::buildChunks(path);
    preview::RenderOptions render;
    render.legend = qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr;  // text needs fonts
    const QImage image = preview::renderPath(path, chunks, preview::fitView(path.extents, *view, size, render.legend ? preview::legendHeight(path) : 0), render);
    printDiagnostics(path, io.err);
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        throw std::runtime_error(*options.outPath + ": cannot write the picture");
    if (namesStandardOutput(*options.outPath)) {
        io.out.write(png.constData(), static_cast<std::streamsize>(png.size()));
        return statusAfterBounds(path, Done);
    }
    // The one writer of the tool's outputs: a full disk leaves no half picture, a pipe stays one.
    writeFileAtomically(QString::fromStdString(*options.outPath),
                        std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
    return statusAfterBounds(path, Done);
}

}  // namespace zorvan::cli
