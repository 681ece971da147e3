// TCanvas pixels: GDI's rectangle and line rules, and StretchDraw's one-pixel pull-in of the
// right and bottom edges.
#include "platform/canvas.h"

#include "emf/emf_writer.h"
#include "emf/emr_types.h"
#include "reportfile/metafile.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace qrp {
namespace {

bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

QImage White(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(Canvas, RectangleAndLinesLeaveOutTheRightAndBottomEdges)
{
    QImage image = White(40, 40);
    {
        QPainter painter(&image);
        TCanvas canvas(&painter);
        canvas.SetBrushColor(clGray);
        canvas.Rectangle(2, 2, 10, 8);
        canvas.MoveTo(20, 5);
        canvas.LineTo(30, 5);
        canvas.MoveTo(25, 20);
        canvas.LineTo(25, 10);
    }
    EXPECT_TRUE(Dark(image, 2, 2));
    EXPECT_TRUE(Dark(image, 9, 7));
    EXPECT_FALSE(Dark(image, 10, 7));
    EXPECT_FALSE(Dark(image, 9, 8));
    EXPECT_EQ(image.pixel(5, 5), qRgb(0x80, 0x80, 0x80));  // brush inside the pen's frame
    EXPECT_TRUE(Dark(image, 20, 5));
    EXPECT_TRUE(Dark(image, 29, 5));
    EXPECT_FALSE(Dark(image, 30, 5));
    EXPECT_TRUE(Dark(image, 25, 20));
    EXPECT_TRUE(Dark(image, 25, 11));
    EXPECT_FALSE(Dark(image, 25, 10));
}

TEST(Canvas, StretchDrawPullsTheRightAndBottomEdgesInByOnePixel)
{
    // A picture outlining its whole frame: the outline lands one pixel inside the
    // rectangle's right and bottom edges.
    emf::EmfWriterOptions options;
    options.frame = {0, 0, 3125, 3125};  // 100 x 100 reference pixels
    emf::EmfWriter writer(options);
    writer.SelectObject(emf::gdi::STOCK_OBJECT | emf::gdi::BLACK_BRUSH);
    writer.Rectangle({0, 0, 100, 100});
    TMetafile picture;
    picture.SetHandle(emf::SetEnhMetaFileBits(writer.Finish()));
    ASSERT_TRUE(picture.Handle());

    QImage image = White(60, 60);
    {
        QPainter painter(&image);
        TCanvas canvas(&painter);
        canvas.StretchDraw(TRect{10, 10, 50, 40}, picture);
    }
    EXPECT_TRUE(Dark(image, 10, 10));
    // PlayEnhMetaFile into (10, 10)-(49, 39): the frame's right and bottom land there.
    EXPECT_TRUE(Dark(image, 49, 39));
    EXPECT_FALSE(Dark(image, 50, 39));
    EXPECT_FALSE(Dark(image, 49, 40));
    EXPECT_FALSE(Dark(image, 9, 10));

    // An empty picture draws nothing.
    TMetafile empty;
    QImage blank = White(20, 20);
    {
        QPainter painter(&blank);
        TCanvas canvas(&painter);
        canvas.StretchDraw(TRect{0, 0, 20, 20}, empty);
    }
    EXPECT_EQ(blank.pixel(10, 10), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace qrp
