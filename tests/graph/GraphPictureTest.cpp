#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>

#include "graph/uclZvdGraph.h"
#include "runtime/Color.h"
#include "tests/support/Pictures.h"

using graph::uclZvdGraph;

namespace {

const int32_t Red = rt::RGB(255, 0, 0), Blue = rt::RGB(0, 0, 255), Green = rt::RGB(0, 255, 0);

rt::OleDate minute(int i) {
    return rt::OleDate::fromCivil(2024, 5, 31, 10, 0, 0)->addSeconds(qint64(i) * 60);
}

// A known trend: a red series at 50 with a dip to 20 at sample 30, 100 samples a minute apart,
// an event "ALARM" on it at sample 60, the cursor in green at sample 20.
void load(uclZvdGraph& g) {
    g.setBorderStyle(0);
    g.resize(600, 400);
    g.setBackColor(0xFFFFFF);
    g.setScaleColor(0);
    g.setCursorColor(Green);
    g.AddSample("HC", Red, "##0.0", 100);
    g.AddSample("CH4", Blue, "##0.0", 100);
    for (int i = 0; i < 100; ++i) {
        g.setValueX(i, minute(i));
        g.setValueY(0, i, i == 30 ? 20.0f : 50.0f);
        g.setValueY(1, i, 10.0f);
    }
    g.SampleCount = 100;
    g.setEventX(0, 0, minute(60));
    g.setEventFlag(0, 0, "ALARM");
    g.setEventCount(0, 1);
    g.setEventVisible(0, true);
    g.setEventX(1, 0, minute(40));
    g.setEventFlag(1, 0, "TROUBLE");
    g.setEventCount(1, 1);
    g.setEventVisible(1, true);
    g.CursorIndex = 20;
    g.setCursorVisible(true);
}

// Whether a pixel near (x, y) (within `reach` pixels) has the colour.
bool near(const QImage& image, double x, double y, int32_t rgb, int reach = 1) {
    const QColor want = rt::ColorFromRgbLong(rgb);
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx) {
            const QPoint p(static_cast<int>(std::lround(x)) + dx,
                           static_cast<int>(std::lround(y)) + dy);
            if (image.rect().contains(p) && image.pixelColor(p) == want) return true;
        }
    return false;
}

bool anyPixel(const QImage& image, int32_t rgb) {
    const QRgb want = rt::ColorFromRgbLong(rgb).rgb();
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == want) return true;
    return false;
}

// Whether the pixel is mostly of the colour (a rasterized page blends its edges).
bool bluish(const QColor& c) {
    return c.blue() > 180 && c.red() < 90 && c.green() < 90;
}

}  // namespace

TEST(GraphPicture, AKnownTrendOnTheScreen) {
    uclZvdGraph g;
    load(g);
    g.Refresh();
    const QImage picture = g.Picture();
    ASSERT_EQ(picture.size(), QSize(600, 400));
    const auto px = [](double twips) { return twips / 15; };
    // The frame in the scale colour.
    EXPECT_TRUE(near(picture, px(g.PlotLeft), px(g.PlotTop + g.PlotHeight / 2), 0));
    EXPECT_TRUE(near(picture, px(g.PlotLeft + g.PlotWidth / 3), px(g.PlotTop), 0));
    // The red series at 50 and at its dip, and between them the line going down.
    const auto at = [&](int i, float v) {
        return QPointF(px(g.xPos(static_cast<float>(g.Sample[i].seconds))), px(g.yPos(v, 0)));
    };
    EXPECT_TRUE(near(picture, at(10, 50).x(), at(10, 50).y(), Red));
    EXPECT_TRUE(near(picture, at(30, 20).x(), at(30, 20).y(), Red));
    EXPECT_FALSE(near(picture, at(10, 20).x(), at(10, 20).y(), Red, 2));
    // The event mark in its series' colour, pointing down at its row.
    const QPointF mark(px(g.xPos(3600)), px(g.EventData[0].EventRowY - 55));
    EXPECT_TRUE(near(picture, mark.x(), mark.y(), Red, 0));
    // The cursor is drawn over the picture, not into it.
    EXPECT_FALSE(anyPixel(picture, Green));
    const QImage shown = g.grab().toImage();
    EXPECT_TRUE(near(shown, px(g.linCursor.X1), px(g.PlotTop + g.PlotHeight / 2), Green));
    testsupport::savePicture(g, "graph-trend");
}

TEST(GraphPicture, ZoomedWithTheScrollBar) {
    uclZvdGraph g;
    load(g);
    g.setZoom(4);
    g.Refresh();
    g.hslWidth->setValue(10);
    EXPECT_FALSE(g.hslWidth->isHidden());
    EXPECT_LE(g.picGraph->geometry().bottom(), g.hslWidth->geometry().top());
    EXPECT_EQ(g.hslWidth->geometry().width(), 600);
    testsupport::savePicture(g, "graph-zoom4");
}

TEST(GraphPicture, APrintedPageShowsTheMarksAtTheirTexts) {
    const QString gs = QStandardPaths::findExecutable("gs");
    ASSERT_FALSE(gs.isEmpty()) << "Ghostscript (gs) reads the page back";
    QTemporaryDir dir;
    const QString pdf = dir.filePath("graph.pdf"), png = dir.filePath("graph.png");
    uclZvdGraph g;
    load(g);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(pdf);
    printer.setPageOrientation(QPageLayout::Landscape);
    float rowY = 0, x = 0;
    QPointF origin;
    {
        QPainter painter(&printer);
        graph::PrinterSurface page(printer, painter);
        g.setDrawObj(&page);
        g.SetDrawLeft = 0;
        g.SetDrawTop = 0;
        g.SetDrawWidth = static_cast<float>(page.ScaleWidth());
        g.SetDrawHeight = static_cast<float>(page.ScaleHeight());
        g.Refresh();
        rowY = g.EventData[1].EventRowY;
        x = g.xPos(2400);  // the blue event at sample 40
        g.setDrawObj(nullptr);
        origin = printer.pageLayout().paintRectPoints().topLeft();
    }
    // The page at 144 dots per inch: a twip is a tenth of a dot.
    QProcess raster;
    raster.start(gs, {"-q", "-dNOPAUSE", "-dBATCH", "-dSAFER", "-sDEVICE=png16m", "-r144",
                      "-sOutputFile=" + png, pdf});
    ASSERT_TRUE(raster.waitForFinished(60000));
    ASSERT_EQ(raster.exitCode(), 0) << raster.readAllStandardError().toStdString();
    const QImage image(png);
    ASSERT_FALSE(image.isNull());
    const auto dot = [&](double twipsX, double twipsY) {
        return QPoint(static_cast<int>(std::lround(origin.x() * 2 + twipsX / 10)),
                      static_cast<int>(std::lround(origin.y() * 2 + twipsY / 10)));
    };
    // The mark: 83 twips wide, 110 tall, its apex at the row (the blue series is in a lower
    // row: its text stands below the apex).
    EXPECT_TRUE(bluish(image.pixelColor(dot(x, rowY - 60))));
    // Its text, in the same colour, just under it.
    bool text = false;
    for (int dy = 0; dy < 30 && !text; ++dy)
        for (int dx = -40; dx <= 40 && !text; ++dx)
            text = bluish(image.pixelColor(dot(x, rowY + 120) + QPoint(dx, dy)));
    EXPECT_TRUE(text);
}
