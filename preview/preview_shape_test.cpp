// The page image takes the shape of the page it shows: each page of a mixed report, each
// newly loaded report, and pictures whose frames no real paper has.
#include "preview/preview.h"

#include "platform/testing/test_print_system.h"
#include "preview/test_reports.h"
#include "printer/qr_printer.h"
#include "printer/report_layout.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace qrp {
namespace {

class PreviewShapeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto system = std::make_shared<testing::TestPrintSystem>();
        system->AddPrinter("Office").SetA4(600);
        system->SetDefaultPrinter("Office");
        FScope = std::make_unique<testing::ScopedPrintSystem>(system);
        ASSERT_TRUE(FDir.isValid());
    }

    // A report with one page per frame (0.01 mm).
    std::string Report(const std::vector<std::pair<int, int>>& frames)
    {
        const QString path = FDir.filePath(QStringLiteral("r%1.QRP").arg(++FFiles));
        testing::WriteFramedReport(path, frames);
        return path.toStdString();
    }

    QTemporaryDir FDir;
    TQRReportLayout FLayout{TQRPage{}};
    std::unique_ptr<testing::ScopedPrintSystem> FScope;
    int FFiles = 0;
};

TEST_F(PreviewShapeTest, EachPageOfAMixedReportIsShownInItsOwnShape)
{
    TQRPrinter printer(&FLayout);
    printer.Load(Report({{21000, 29700}, {29700, 21000}, {15000, 15000}, {21000, 29700}}));
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
    printer.Load(Report({{21590, 27940}}));  // Letter
    TQRPreview preview;
    preview.resize(1045, 493);
    preview.SetQRPrinter(&printer);
    preview.SetZoom(130);
    const QSize letter = preview.PreviewImage()->size();
    EXPECT_LT(letter.width(), letter.height());

    printer.Load(Report({{29700, 21000}, {21000, 29700}}));  // A4 landscape first
    preview.SetQRPrinter(&printer);
    EXPECT_EQ(preview.Zoom(), 130);
    // 2970 x 1.3 x 0.37795 and 2100 x 1.3 x 0.37795, plus 4.
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(1463, 1036));
}

TEST_F(PreviewShapeTest, FramesNoPaperHasAreBoundedAndKeepTheirShape)
{
    TQRPrinter printer(&FLayout);
    // 30 m by 3 m, and a sliver of 0.1 mm.
    printer.Load(Report({{3000000, 300000}, {10, 29700}}));
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
