// The page image takes the shape of the page it shows: each page of a mixed report, each
// newly loaded report, and pictures whose frames no real paper has.
#include "preview/preview.h"

#include "preview/test_preview_fixture.h"

#include <gtest/gtest.h>

namespace qrp {
namespace {

using PreviewShapeTest = PreviewFixture;

TEST_F(PreviewShapeTest, EachPageOfAMixedReportIsShownInItsOwnShape)
{
    TQRPrinter printer(&FLayout);
    printer.Load(FramedReport({{21000, 29700}, {29700, 21000}, {15000, 15000}, {21000, 29700}}));
    TQRPreview preview;
    preview.resize(1045, 493);
    preview.SetQRPrinter(&printer);
    preview.SetZoom(90);
    // 0.1 mm x 0.9 x 0.37795 pixels, plus 4 for the frame and shadow.
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(718, 1014));
    preview.SetPageNumber(2);
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(1014, 718));
    EXPECT_EQ(preview.ImageOffset(), QPoint(15, 0)) << "centred across, at the top";
    preview.SetPageNumber(3);
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(514, 514));
    preview.SetPageNumber(4);
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(718, 1014));
    EXPECT_EQ(preview.Zoom(), 90) << "turning pages keeps the zoom";

    // Fitting fits the page shown.
    preview.SetPageNumber(2);
    preview.ZoomToFit();
    const QSize fitted = preview.PreviewImage()->size();
    EXPECT_GT(fitted.width(), fitted.height());
    EXPECT_LE(fitted.height(), 493);
}

TEST_F(PreviewShapeTest, ANewReportTakesItsOwnPaperAndKeepsTheZoom)
{
    TQRPrinter printer(&FLayout);
    printer.Load(FramedReport({{21590, 27940}}));  // Letter
    TQRPreview preview;
    preview.resize(1045, 493);
    preview.SetQRPrinter(&printer);
    preview.SetZoom(130);
    const QSize letter = preview.PreviewImage()->size();
    EXPECT_LT(letter.width(), letter.height());

    printer.Load(FramedReport({{29700, 21000}, {21000, 29700}}));  // A4 landscape first
    preview.SetQRPrinter(&printer);
    EXPECT_EQ(preview.Zoom(), 130);
    // 2970 x 1.3 x 0.37795 and 2100 x 1.3 x 0.37795, plus 4.
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(1463, 1036));
}

TEST_F(PreviewShapeTest, FramesNoPaperHasAreBoundedAndKeepTheirShape)
{
    TQRPrinter printer(&FLayout);
    // 30 m by 3 m, and a sliver of 0.1 mm.
    printer.Load(FramedReport({{3000000, 300000}, {10, 29700}}));
    TQRPreview preview;
    preview.resize(1045, 493);
    preview.SetQRPrinter(&printer);
    EXPECT_EQ(preview.PreviewImage()->PagePaper(), QSize(TQRPreviewImage::kMaxPaperTenths, TQRPreviewImage::kMaxPaperTenths / 10));
    preview.SetZoom(2000);
    EXPECT_LT(preview.PreviewImage()->width(), 160000);
    preview.SetPageNumber(2);
    EXPECT_EQ(preview.PreviewImage()->PagePaper(), QSize(1, 2970));
}

}  // namespace
}  // namespace qrp
