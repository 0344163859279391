// The stock in the preview panel, offscreen: the display choice changes what is drawn and is kept,
// a click on a stock warning puts the caret on its line, F6 shows the stock up to the caret's line,
// and the stock box and tool table go through their dialogs and the settings store unchanged.
#include "app/ui/scintilla_editor.h"
#include "preview/logic/stock/stock_settings.h"
#include "preview/render/stock_renderer.h"
#include "preview/ui/formstock.h"
#include "preview/ui/formtools.h"
#include "preview/ui/preview_panel.h"
#include "preview/ui/stock_warning_list.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QSettings>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

using namespace zorvan;
using namespace zorvan::preview;
using namespace zorvan::preview::stock;

namespace {

const char* const kProgram =
    "(T1 D6.)\r\n"          // 0
    "T1M06\r\n"             // 1
    "G90G00X0Y0Z5.\r\n"     // 2
    "G01Z-2.F200\r\n"       // 3  a flat end mill plunging into the stock
    "X40.\r\n"              // 4
    "G00Y20.\r\n"           // 5  a rapid through the stock, 2 deep
    "G01X0\r\n"             // 6
    "G00Z5.\r\n";           // 7

bool isStockColour(QColor c)
{
    return c.red() > c.blue() + 30 && c.green() > c.blue() + 10 && c.red() - c.green() < 40;
}

bool forgetSettings()
{
    QSettings store(QSettings::NativeFormat, QSettings::UserScope, "Kw", "Zorvan");
    store.remove("preview");
    store.remove("stock");
    return true;
}

struct Fixture {
    bool forgotten = forgetSettings();
    QsciScintilla widget;
    ScintillaEditor editor{&widget};
    PreviewPanel panel;

    Fixture()
    {
        editor.setText(kProgram);
        panel.resize(640, 560);
        panel.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&panel));
        panel.setTextSource([this] { return editor.text(); });
        QObject::connect(&panel, &PreviewPanel::lineClicked, &widget,
                         [this](int line) { editor.setCaret(editor.positionFromLine(line)); });
        QSignalSpy stock(&panel, &PreviewPanel::stockReady);
        panel.documentReplaced();
        EXPECT_TRUE(stock.wait(10000));
        waitForPicture();
    }
    void waitForPicture()
    {
        for (int i = 0; i < 500 && !panel.canvas()->pictureReady(); ++i)
            QTest::qWait(10);
        ASSERT_TRUE(panel.canvas()->pictureReady());
    }
    // Pixels of the stock's colour (lit or shaded) and of the path's blue and green.
    std::pair<int, int> stockAndPathPixels()
    {
        const QImage shot = panel.canvas()->grab().toImage();
        int stockPixels = 0, pathPixels = 0;
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x) {
                const QColor c = shot.pixelColor(x, y);
                stockPixels += isStockColour(c);
                pathPixels += c.green() > c.red() + 40 || c.blue() > c.red() + 60;
            }
        return {stockPixels, pathPixels};
    }
};

TEST(StockView, TheDisplayChoiceChangesThePictureAndIsKept)
{
    Fixture f;
    struct Case {
        StockDisplay display;
        bool stock, path;
    };
    for (const Case c : {Case{StockDisplay::Stock, true, false}, Case{StockDisplay::Both, true, true},
                         Case{StockDisplay::Path, false, true}}) {
        SCOPED_TRACE(stockDisplayName(c.display));
        QComboBox* box = f.panel.displayBox();
        box->setCurrentIndex(box->findData(static_cast<int>(c.display)));
        emit box->activated(box->currentIndex());
        f.waitForPicture();
        const auto [stockPixels, pathPixels] = f.stockAndPathPixels();
        EXPECT_EQ(stockPixels > 2000, c.stock) << stockPixels;
        EXPECT_EQ(pathPixels > 50, c.path) << pathPixels;
        EXPECT_EQ(readPreviewSettings().show, c.display);
    }
}

TEST(StockView, TheStockIsDrawnAsCutInEveryView)
{
    // A block 40 x 30 x 5 cut by a 10 mm flat end mill down to Z -4 before X 10 and to Z -2 past
    // X 17: a ridge whose wall at X 17 is seen from the side over the lower part in front of it.
    HeightField field(StockBox{{0, 0, -5}, {40, 30, 0}}, 200);
    const ToolShape flat{ToolKind::Flat, 10};
    for (const auto& [x, z] : {std::pair{-2.0, -4.0}, {2.0, -4.0}, {5.0, -4.0}, {22.0, -2.0}, {26.0, -2.0}, {30.0, -2.0},
                              {34.0, -2.0}, {38.0, -2.0}, {42.0, -2.0}}) {
        const double a[3] = {x, -10, z}, b[3] = {x, 40, z};
        field.cut(a, b, flat);
    }
    struct Case {
        View view;
        double x, y, z;
        bool stock;
    };
    const Case cases[] = {
        {View::Top, 13, 15, 0, true},   {View::Top, 30, 15, -2, true},  {View::Top, 45, 15, 0, false},
        {View::Front, 13, 0, -1, true}, {View::Front, 30, 0, -1, false}, {View::Front, 5, 0, -3, false},
        {View::Front, 30, 0, -3, true},
        {View::Side, 40, 15, -1, true},  // the step's wall, seen over the lower part
        {View::Side, 40, 15, 1, false},  {View::Iso, 13, 15, 0, true},   {View::Iso, 30, 15, -2, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(viewName(c.view)) + " " + std::to_string(c.x) + " " + std::to_string(c.z));
        const ViewTransform t = fitView(stockExtents(field), c.view, QSize(400, 300));
        const QImage image = renderStock(field, t, QColor(250, 250, 248));
        EXPECT_EQ(isStockColour(image.pixelColor(t.toPixel(c.x, c.y, c.z).toPoint())), c.stock);
    }
}

TEST(StockView, AClickOnAWarningPutsTheCaretOnItsLine)
{
    Fixture f;
    StockWarningList* list = f.panel.warningList();
    ASSERT_TRUE(list->isVisible());
    struct Case {
        const char* text;
        int line;
    };
    for (const Case c : {Case{"5 行: 早送りで材料に当たります (深さ 2.000)", 5}, Case{"3 行: 底刃で切り込みます", 3}}) {
        SCOPED_TRACE(c.text);
        const auto rows = list->findItems(QString::fromUtf8(c.text), Qt::MatchExactly);
        ASSERT_EQ(rows.size(), 1);
        f.editor.setCaret(0);
        list->scrollToItem(rows[0]);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(rows[0]).center());
        EXPECT_EQ(f.editor.lineFromPosition(f.editor.caret()), c.line);
    }
    // The rapid is marked red in the picture, at its end.
    const QImage shot = f.panel.canvas()->grab().toImage();
    const QPoint end = f.panel.canvas()->transform().toPixel(40, 20, -2).toPoint() + QPoint(6, 0);
    const QColor c = shot.pixelColor(end);
    EXPECT_TRUE(c.red() > 180 && c.green() < 80 && c.blue() < 80) << c.name().toStdString();
}

TEST(StockView, AnotherProgramClearsTheWarningsAndTheCheckIsShownWhileItRuns)
{
    Fixture f;
    ASSERT_FALSE(f.panel.stockWarnings().empty());
    QString summaryWithPath;
    QObject::connect(&f.panel, &PreviewPanel::pathReady, &f.panel,
                     [&] { summaryWithPath = f.panel.findChild<QLabel*>("PreviewSummary")->text(); });
    f.editor.setText("(T1 D6.)\r\nT1M06\r\nG00X0Y0Z5.\r\nG01Z1.F100\r\n");  // above the stock
    QSignalSpy stock(&f.panel, &PreviewPanel::stockReady);
    f.panel.documentReplaced();
    EXPECT_TRUE(f.panel.stockWarnings().empty());  // at once, not when the new check is done
    EXPECT_FALSE(f.panel.warningList()->isVisible());
    ASSERT_TRUE(stock.wait(10000));
    EXPECT_TRUE(summaryWithPath.contains("材料を確認中")) << summaryWithPath.toStdString();
    EXPECT_FALSE(f.panel.findChild<QLabel*>("PreviewSummary")->text().contains("材料を確認中"));
}

TEST(StockView, AnotherStockBoxIsShownWhole)
{
    Fixture f;
    emit f.panel.displayBox()->activated(f.panel.displayBox()->findData(static_cast<int>(StockDisplay::Both)));
    StockSettings settings = f.panel.stockSettings();
    settings.box = StockBox{{0, 0, -10}, {300, 200, 0}};
    QSignalSpy stock(&f.panel, &PreviewPanel::stockReady);
    f.panel.setStockSettings(settings);
    ASSERT_TRUE(stock.wait(10000));
    const QRectF canvas = f.panel.canvas()->rect();
    for (const QPointF corner : {f.panel.canvas()->transform().toPixel(0, 0, 0), f.panel.canvas()->transform().toPixel(300, 200, 0)})
        EXPECT_TRUE(canvas.contains(corner)) << corner.x() << "," << corner.y();
}

TEST(StockView, F6ShowsTheStockUpToTheCaretsLine)
{
    Fixture f;
    f.panel.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&f.panel));
    struct Case {
        int caretLine;
        bool key;  // F6 pressed before
        double topAtX20Y0, topAtX20Y20;
    };
    for (const Case c : {Case{3, true, 0, 0}, Case{4, false, -2, 0}, Case{6, false, -2, -2}, Case{2, true, -2, -2}}) {
        SCOPED_TRACE(c.caretLine);
        f.panel.setCaretLine(c.caretLine);
        QSignalSpy stock(&f.panel, &PreviewPanel::stockReady);
        if (c.key)
            QTest::keyClick(&f.panel, Qt::Key_F6);
        if (f.panel.caretStockAction()->isChecked()) {  // else the whole path's stock is shown at once
            ASSERT_TRUE(stock.wait(5000));
        }
        const HeightField& field = f.panel.canvas()->stock()->field;
        EXPECT_NEAR(field.topAt(20, 0), c.topAtX20Y0, 1e-3);
        EXPECT_NEAR(field.topAt(20, 20), c.topAtX20Y20, 1e-3);
    }
    EXPECT_FALSE(f.panel.caretStockAction()->isChecked());  // the second F6 turned it off: the whole path
    EXPECT_EQ(f.panel.canvas()->display(), StockDisplay::Both);  // the key showed the stock
}

TEST(StockView, StockBoxAndToolTableGoThroughTheDialogsAndTheStore)
{
    forgetSettings();
    struct Case {
        std::optional<StockBox> box;
        ToolTable tools;
    };
    const Case cases[] = {
        {std::nullopt, {}},
        {StockBox{{-10.5, 0.1, -30}, {120, 80.25, 0.3}},
         {{1, {ToolKind::Flat, 10}},
          {2, {ToolKind::Ball, 6, 3}},
          {12, {ToolKind::BullNose, 12.7, 0.8}},
          {3, {ToolKind::Drill, 8.5, 0, 140, 40}}}},
    };
    for (const Case& c : cases) {
        TFormStock stockForm;
        stockForm.fill(c.box);
        TFormTools toolForm;
        toolForm.fill(c.tools);
        StockSettings settings{stockForm.box(), *toolForm.tools()};
        writeStockSettings(settings);
        const StockSettings back = readStockSettings();
        ASSERT_EQ(back.box.has_value(), c.box.has_value());
        for (int axis = 0; c.box && axis < 3; ++axis) {
            EXPECT_EQ(back.box->min[axis], c.box->min[axis]);
            EXPECT_EQ(back.box->max[axis], c.box->max[axis]);
        }
        ASSERT_EQ(back.tools.size(), c.tools.size());
        for (const auto& [number, tool] : c.tools) {
            SCOPED_TRACE(number);
            const ToolShape& read = back.tools.at(number);
            EXPECT_EQ(read.kind, tool.kind);
            EXPECT_EQ(read.diameter, tool.diameter);
            EXPECT_EQ(read.cornerRadius, tool.cornerRadius);
            EXPECT_EQ(read.pointAngle, tool.pointAngle);
            EXPECT_EQ(read.length, tool.length);
        }
    }
}

TEST(StockView, TheDialogsRefuseWhatIsNoStockOrTool)
{
    TFormStock stockForm;
    stockForm.fill(StockBox{{0, 0, -5}, {10, 10, 0}});
    stockForm.EditMax[1]->setValue(-1);
    stockForm.BitBtn1Click();
    EXPECT_EQ(stockForm.result(), QDialog::Rejected);
    EXPECT_FALSE(stockForm.LabelError->text().isEmpty());

    TFormTools toolForm;
    toolForm.fill({{4, {ToolKind::BullNose, 10, 2}}});
    struct Case {
        int column;
        const char* text;
    };
    for (const Case c : {Case{TFormTools::CornerRadius, "6"}, Case{TFormTools::Diameter, ""}, Case{TFormTools::Number, "x"}}) {
        SCOPED_TRACE(c.text);
        toolForm.fill({{4, {ToolKind::BullNose, 10, 2}}});
        toolForm.Grid->item(0, c.column)->setText(c.text);
        EXPECT_FALSE(toolForm.tools());
        EXPECT_FALSE(toolForm.LabelError->text().isEmpty());
    }
}

}  // namespace
