// The preview panel fed by an editor's change notices, offscreen: the path follows edits
// (debounced), the caret line is highlighted, a click reports the segment's line, the view is kept.
#include "app/ui/scintilla_editor.h"
#include "preview/render/path_renderer.h"
#include "preview/ui/preview_panel.h"

#include <Qsci/qsciscintilla.h>

#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>

using namespace zorvan;
using namespace zorvan::preview;

namespace {

const char* const kProgram =
    "G90G00X0Y0Z5.\r\n"     // 0
    "G01Z-1.F200\r\n"       // 1
    "X40.\r\n"              // 2
    "(COMMENT)\r\n"         // 3
    "Y30.\r\n"              // 4
    "G03X10.Y30.R15.\r\n"   // 5
    "G00Z5.\r\n";           // 6

// The panel's stored settings from an earlier run removed before it reads them.
bool forgetPreviewSettings()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan").remove("preview");
    return true;
}

struct Fixture {
    bool forgotten = forgetPreviewSettings();
    QsciScintilla widget;
    ScintillaEditor editor{&widget};
    PreviewPanel panel;

    Fixture()
    {
        editor.setText(kProgram);
        widget.resize(300, 400);
        widget.show();
        panel.resize(640, 480);
        panel.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&panel));
        panel.setTextSource([this] { return editor.text(); });
        editor.setChangeHandler([this](const TextChange& change) { panel.textChanged(change); });
        QObject::connect(&panel, &PreviewPanel::lineClicked, &widget,
                         [this](int line) { editor.setCaret(editor.positionFromLine(line)); });
        panel.documentReplaced();
        waitForPicture();
    }
    void waitForPicture()
    {
        QSignalSpy ready(&panel, &PreviewPanel::pathReady);
        if (panel.working()) {
            EXPECT_TRUE(ready.wait(10000));
        }
        for (int i = 0; i < 200 && !panel.canvas()->pictureReady(); ++i)
            QTest::qWait(10);
        ASSERT_TRUE(panel.canvas()->pictureReady());
    }
    // Pixels of the caret highlight's own colour and of red (danger) in the canvas as it paints now.
    std::pair<int, int> highlightAndRedPixels()
    {
        const QImage shot = panel.canvas()->grab().toImage();
        int highlight = 0, red = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                highlight += std::abs(c.red() - kCaretLineColour.red()) < 12 && std::abs(c.green() - kCaretLineColour.green()) < 12
                             && std::abs(c.blue() - kCaretLineColour.blue()) < 12;
                red += c.red() > 200 && c.green() < 80 && c.blue() < 80;
            }
        return {highlight, red};
    }
    QPoint pixelOf(double x, double y, double z) const
    {
        return panel.canvas()->transform().toPixel(x, y, z).toPoint();
    }
};

TEST(PreviewPanel, CaretLineIsHighlightedInAColourOfItsOwnNotRed)
{
    Fixture f;
    struct Case {
        int line;
        bool highlighted;
    };
    for (const Case c : {Case{2, true}, Case{3, false}, Case{5, true}, Case{0, false}}) {
        f.panel.setCaretLine(c.line);
        QTest::qWait(30);
        SCOPED_TRACE(c.line);
        const auto [highlight, red] = f.highlightAndRedPixels();
        EXPECT_EQ(highlight > 20, c.highlighted);
        EXPECT_EQ(red, 0);  // red is kept for danger
    }
}

TEST(PreviewPanel, ClickPutsTheCaretOnTheSegmentsLine)
{
    Fixture f;
    struct Case {
        double x, y;
        int line;
    };
    for (const Case c : {Case{20, 0, 2}, Case{40, 15, 4}, Case{25, 45, 5}}) {
        SCOPED_TRACE(c.line);
        QTest::mouseClick(f.panel.canvas(), Qt::LeftButton, {}, f.pixelOf(c.x, c.y, -1));
        EXPECT_EQ(f.editor.lineFromPosition(f.editor.caret()), c.line);
    }
    // A click on empty space leaves the caret where it is.
    f.editor.setCaret(0);
    QTest::mouseClick(f.panel.canvas(), Qt::LeftButton, {}, QPoint(3, 3));
    EXPECT_EQ(f.editor.caret(), 0);
}

TEST(PreviewPanel, EditsAreWorkedOutAgainOnceAfterAPause)
{
    Fixture f;
    QSignalSpy ready(&f.panel, &PreviewPanel::pathReady);
    const ViewTransform before = f.panel.canvas()->transform();
    f.editor.setCaret(f.editor.positionFromLine(2));
    f.editor.replaceLine(2, "X50.");
    f.editor.replaceLine(2, "X60.");
    f.editor.replaceLine(2, "X70.");
    EXPECT_EQ(ready.count(), 0);  // nothing yet: the pause has not passed
    ASSERT_TRUE(ready.wait(10000));
    QTest::qWait(PreviewPanel::kDebounceMs + 100);
    EXPECT_EQ(ready.count(), 1);
    EXPECT_DOUBLE_EQ(f.panel.canvas()->model()->path.extents.max[0], 70);
    EXPECT_EQ(f.panel.canvas()->transform().scale, before.scale);  // an edit does not move the view
    EXPECT_EQ(f.panel.canvas()->transform().centreU, before.centreU);
}

TEST(PreviewPanel, AnotherProgramElsewhereIsShownWhole)
{
    Fixture f;
    QSignalSpy ready(&f.panel, &PreviewPanel::pathReady);
    f.editor.setText("G00X1000.Y500.Z0\r\nG01X1100.F100\r\n");
    ASSERT_TRUE(ready.wait(10000));
    const ViewTransform& view = f.panel.canvas()->transform();
    EXPECT_DOUBLE_EQ(view.centreU, 1050);
    // In the middle of the part above the legend.
    EXPECT_NEAR(view.toPixel(1050, 500, 0).y(), (view.size.height() - legendHeight(f.panel.canvas()->model()->path)) / 2.0,
                1e-6);
}

TEST(PreviewPanel, TheFirstDiagnosticLinksToItsLine)
{
    Fixture f;
    f.editor.setText("G00X0Y0Z0\r\nG01X5.F100\r\nGOTO10\r\nG01X9.\r\n");
    QSignalSpy ready(&f.panel, &PreviewPanel::pathReady);
    ASSERT_TRUE(ready.wait(10000));
    auto* summary = f.panel.findChild<QLabel*>("PreviewSummary");
    ASSERT_NE(summary, nullptr);
    EXPECT_TRUE(summary->text().contains("注意 1 件"));
    QSignalSpy clicked(&f.panel, &PreviewPanel::lineClicked);
    emit summary->linkActivated("2");
    ASSERT_EQ(clicked.count(), 1);
    EXPECT_EQ(f.editor.lineFromPosition(f.editor.caret()), 2);
}

TEST(PreviewPanel, ViewChoiceIsKeptInItsOwnGroup)
{
    Fixture f;
    auto buttons = f.panel.findChildren<QToolButton*>();
    auto side = std::find_if(buttons.begin(), buttons.end(), [](QToolButton* b) { return b->text() == "側面"; });
    ASSERT_NE(side, buttons.end());
    (*side)->click();
    EXPECT_EQ(f.panel.canvas()->view(), View::Side);
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
    EXPECT_EQ(store.value("preview/View").toString(), "side");
    EXPECT_FALSE(store.contains("setting/View"));
}

}  // namespace
