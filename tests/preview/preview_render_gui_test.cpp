// The picture of a small program in each view against its golden image, zorvan-cli plot, the
// hit test and the fitting of the view.
// Run with ZORVAN_UPDATE_GOLDEN=1 to write the golden images anew (then look at them).
#include "preview/logic/interpreter.h"
#include "preview/render/path_renderer.h"
#include "support/cli_run.h"
#include "support/test_files.h"

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>

using namespace zorvan::preview;

namespace {

// Two tools: a pocket outline with arcs, then a row of drilled holes under G98/G99.
const char* const kSample =
    "%\r\n"
    "O100 (サンプル)\r\n"
    "G90G54G17G21\r\n"
    "T1M06\r\n"
    "G00X0Y0Z10.\r\n"
    "G01Z-2.F300\r\n"
    "G01X40.F600\r\n"
    "G03X50.Y10.R10.\r\n"
    "G01Y30.\r\n"
    "G03X40.Y40.I-10.J0\r\n"
    "G01X10.\r\n"
    "G03X0Y30.I0J-10.\r\n"
    "G01Y0\r\n"
    "G00Z10.\r\n"
    "T2M06\r\n"
    "G00X10.Y20.\r\n"
    "G98G81X10.Y20.Z-8.R2.F100\r\n"
    "G99X20.\r\n"
    "G91X10.K2\r\n"
    "G80G90G00Z30.\r\n"
    "M30\r\n"
    "%\r\n";

QString goldenPath(const char* view)
{
    return QDir(qEnvironmentVariable("ZORVAN_SOURCE_DIR")).filePath(QStringLiteral("tests/preview/golden/%1.png").arg(view));
}

// Share of pixels whose channels differ by more than 48.
double differingShare(const QImage& a, const QImage& b)
{
    if (a.size() != b.size())
        return 1;
    const QImage x = a.convertToFormat(QImage::Format_RGB32), y = b.convertToFormat(QImage::Format_RGB32);
    long differing = 0;
    for (int row = 0; row < x.height(); ++row) {
        const QRgb* p = reinterpret_cast<const QRgb*>(x.constScanLine(row));
        const QRgb* q = reinterpret_cast<const QRgb*>(y.constScanLine(row));
        for (int col = 0; col < x.width(); ++col)
            if (std::abs(qRed(p[col]) - qRed(q[col])) > 48 || std::abs(qGreen(p[col]) - qGreen(q[col])) > 48
                || std::abs(qBlue(p[col]) - qBlue(q[col])) > 48)
                ++differing;
    }
    return static_cast<double>(differing) / (x.width() * x.height());
}

TEST(PreviewRender, EachViewMatchesItsGolden)
{
    const Toolpath path = interpretProgram(kSample);
    ASSERT_TRUE(path.diagnostics.empty()) << diagnosticText(path.diagnostics[0]);
    const PathChunks chunks = buildChunks(path);
    RenderOptions options;
    options.legend = false;  // fonts differ between machines
    const bool update = qEnvironmentVariableIsSet("ZORVAN_UPDATE_GOLDEN");
    for (View view : {View::Top, View::Front, View::Side, View::Iso}) {
        SCOPED_TRACE(viewName(view));
        const QImage image = renderPath(path, chunks, fitView(path.extents, view, QSize(240, 180)), options);
        if (update) {
            QDir().mkpath(QFileInfo(goldenPath(viewName(view))).path());
            ASSERT_TRUE(image.convertToFormat(QImage::Format_RGB32).save(goldenPath(viewName(view)), "PNG"));
        }
        const QImage golden(goldenPath(viewName(view)));
        ASSERT_FALSE(golden.isNull());
        EXPECT_LT(differingShare(image, golden), 0.001);
    }
}

TEST(PreviewRender, AWrongPathDoesNotMatchTheGolden)
{
    // The tolerance is tight enough to see a sign error in one arc.
    std::string wrong = kSample;
    wrong.replace(wrong.find("G03X50.Y10.R10."), 15, "G02X50.Y10.R10.");
    const Toolpath path = interpretProgram(wrong);
    RenderOptions options;
    options.legend = false;
    const QImage image = renderPath(path, buildChunks(path), fitView(path.extents, View::Top, QSize(240, 180)), options);
    EXPECT_GT(differingShare(image, QImage(goldenPath("top"))), 0.001);
}

TEST(PreviewRender, APathWithoutExtentOnOneScreenAxisDrawsEveryColumnOfItsSpan)
{
    struct Case {
        const char* name;
        const char* program;
        View view;
    };
    const Case cases[] = {
        {"a straight line along X from the top", "G00X0Y0Z0\r\nG01X100.F100\r\n", View::Top},
        {"a flat contour from the front", "G00X0Y0Z-1.\r\nG01X100.F100\r\nY50.\r\nX0\r\nY0\r\n", View::Front},
    };
    RenderOptions options;
    options.legend = false;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Toolpath path = interpretProgram(c.program);
        const ViewTransform t = fitView(path.extents, c.view, QSize(240, 180));
        const QImage image = renderPath(path, buildChunks(path), t, options);
        const QPoint from = t.toPixel(0, 0, path.extents.min[2]).toPoint(), to = t.toPixel(100, 0, path.extents.min[2]).toPoint();
        int drawn = 0;
        for (int x = from.x(); x <= to.x(); ++x)
            drawn += image.pixel(x, from.y()) != options.background.rgb();
        EXPECT_EQ(drawn, to.x() - from.x() + 1);
    }
}

TEST(PreviewRender, ClickFindsTheSegmentOfALine)
{
    const Toolpath path = interpretProgram(kSample);
    const PathChunks chunks = buildChunks(path);
    const ViewTransform t = fitView(path.extents, View::Top, QSize(400, 300));
    struct Case {
        double x, y;
        int line;
    };
    const Case cases[] = {
        {20, 0, 6},     // G01X40.
        {50, 20, 8},    // G01Y30.
        {47.07, 2.93, 7},  // on the first arc
        {0, 15, 12},    // G01Y0
    };
    for (const auto& c : cases) {
        const long v = segmentAt(path, chunks, t, t.toPixel(c.x, c.y, -2));
        ASSERT_GE(v, 0) << c.line;
        EXPECT_EQ(static_cast<int>(path.line[v]), c.line);
    }
    EXPECT_EQ(segmentAt(path, chunks, t, QPointF(2, 2)), -1);  // the corner of the picture is empty
}

TEST(PreviewRender, ZoomKeepsThePointUnderThePointer)
{
    ViewTransform t = fitView(Box3{{0, 0, 0}, {100, 50, 10}}, View::Top, QSize(400, 300));
    const QPointF before = t.toPixel(70, 20, 0);
    t.zoomAt(before, 3);
    const QPointF after = t.toPixel(70, 20, 0);
    EXPECT_NEAR(after.x(), before.x(), 1e-9);
    EXPECT_NEAR(after.y(), before.y(), 1e-9);
    t.panBy(QPointF(10, -5));
    EXPECT_NEAR(t.toPixel(70, 20, 0).x(), before.x() + 10, 1e-9);
    EXPECT_NEAR(t.toPixel(70, 20, 0).y(), before.y() - 5, 1e-9);
}

TEST(PreviewRender, PointsWithoutAPixelAreLeftOut)
{
    // Vertices past the range of floats (inf) or made of NaN among ordinary ones: the segments
    // touching them are left out, the others drawn.
    constexpr float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    Toolpath path;
    path.x = {0, 40, inf, 0, nan, 0, 1e30f, 40};
    path.y = {0, 0, 0, 40, 5, 20, -1e30f, 20};
    path.z.assign(path.x.size(), 0);
    path.kind.assign(path.x.size(), MoveKind::Feed);
    path.kind[3] = MoveKind::Rapid;
    path.tool.assign(path.x.size(), 0);
    path.line.assign(path.x.size(), 0);
    path.tools = {1};
    RenderOptions options;
    options.legend = false;
    const ViewTransform t = fitView(Box3{{0, 0, 0}, {40, 40, 0}}, View::Top, QSize(120, 120));
    for (View view : {View::Top, View::Front, View::Side, View::Iso}) {
        SCOPED_TRACE(viewName(view));
        ViewTransform v = t;
        v.view = view;
        EXPECT_FALSE(renderPath(path, buildChunks(path), v, options).isNull());
    }
    const QImage top = renderPath(path, buildChunks(path), t, options);
    const QPointF middle = t.toPixel(20, 0, 0);
    EXPECT_NE(top.pixel(middle.toPoint()), options.background.rgb());  // the first segment is drawn
}

TEST(PreviewRender, NoPointOutsideTheNumbersReachesThePainter)
{
    // A path that reaches infinity: highlight, tool marker and legend hand Qt no NaN (Qt warns
    // for each such point).
    static int warnings = 0;
    warnings = 0;
    const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString&) {
        if (type == QtWarningMsg)
            ++warnings;
    });
    constexpr float inf = std::numeric_limits<float>::infinity();
    Toolpath path = interpretProgram("G00X0Y0Z0\nG01X1.F1\nG01X-1" + std::string(60, '0') + "Y1" + std::string(60, '0') + "\n");
    path.x.push_back(inf);
    path.y.push_back(-inf);
    path.z.push_back(0);
    path.ranges.push_back({2, static_cast<std::uint32_t>(path.x.size() - 1)});
    path.finish(3);
    QImage image(200, 150, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    for (View view : {View::Top, View::Iso}) {
        const ViewTransform t = fitView(Box3{{0, 0, 0}, {1, 1, 0}}, view, image.size());
        drawLineHighlight(painter, path, t, 2);
        for (long vertex = 0; vertex < static_cast<long>(path.vertexCount()); ++vertex)
            drawToolMarker(painter, path, t, vertex);
    }
    drawLegend(painter, path, image.size());
    painter.end();
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, 0);
}

TEST(PreviewRender, FittingABoxPastTheRangeOfDoublesGivesAUsableView)
{
    constexpr double big = std::numeric_limits<double>::max(), inf = std::numeric_limits<double>::infinity();
    const Box3 boxes[] = {
        {{-big, -big, -big}, {big, big, big}},
        {{0, 0, 0}, {inf, 10, 0}},
        {{-inf, -inf, -inf}, {inf, inf, inf}},
    };
    for (const Box3& box : boxes)
        for (View view : {View::Top, View::Iso}) {
            SCOPED_TRACE(viewName(view));
            const ViewTransform t = fitView(box, view, QSize(200, 100));
            EXPECT_TRUE(std::isfinite(t.scale) && t.scale > 0);
            EXPECT_TRUE(std::isfinite(t.centreU) && std::isfinite(t.centreV));
        }
}

TEST(PreviewPlotCli, WritesThePictureAndRefusesBadOptions)
{
    QTemporaryDir dir;
    const QString program = dir.filePath("p.ncd"), picture = dir.filePath("p.png");
    writeFile(program, kSample);
    CliRun run = runZorvanCli({"plot", "--view", "iso", "--size", "320x200", "-o", picture.toStdString(),
                               program.toStdString()});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(QImage(picture).size(), QSize(320, 200));

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"plot", "--view", "under", "-o", picture.toStdString(), program.toStdString()},
             {"plot", "--size", "12x", "-o", picture.toStdString(), program.toStdString()},
             {"plot", program.toStdString()}}) {
        EXPECT_EQ(runZorvanCli(args).status, 2) << args[1];
    }
}

}  // namespace
