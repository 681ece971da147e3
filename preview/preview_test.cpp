#include "preview/preview.h"

#include "preview/test_preview_fixture.h"
#include "printer/notices.h"
#include "testsupport/reports.h"

#include <QApplication>
#include <QFocusEvent>
#include <QImage>
#include <QScrollBar>

#include <gtest/gtest.h>

namespace qrp {
namespace {

using PreviewTest = PreviewFixture;

TEST_F(PreviewTest, StartsUnboundAtZoom100OnPage1)
{
    TQRPreview preview;
    EXPECT_EQ(preview.Zoom(), 100);
    EXPECT_EQ(preview.ZoomState(), qrZoomOther);
    EXPECT_EQ(preview.PageNumber(), 1);
    EXPECT_EQ(preview.QRPrinter(), nullptr);
    EXPECT_EQ(preview.size(), QSize(250, 250));
    EXPECT_FALSE(preview.PreviewImage()->ImageOK());
    EXPECT_TRUE(preview.horizontalScrollBar()->hasTracking());
    EXPECT_TRUE(preview.verticalScrollBar()->hasTracking());
}

TEST_F(PreviewTest, ZoomAcceptsOnly2To2000)
{
    TQRPreview preview;
    preview.SetZoom(1);
    EXPECT_EQ(preview.Zoom(), 100);
    preview.SetZoom(2001);
    EXPECT_EQ(preview.Zoom(), 100);
    preview.SetZoom(2);
    EXPECT_EQ(preview.Zoom(), 2);
    preview.SetZoom(2000);
    EXPECT_EQ(preview.Zoom(), 2000);
}

TEST_F(PreviewTest, UnboundLayoutUsesLetterMillimetresAsPixels)
{
    TQRPreview preview;
    preview.SetZoom(100);
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(220, 283));
    preview.resize(1045, 493);
    preview.SetZoom(90);
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(198, 255));
    EXPECT_EQ(preview.ImageOffset(), QPoint(423, 119));
    // Without a printer no page is selected and nothing is drawn.
    preview.SetPageNumber(2);
    EXPECT_EQ(preview.PageNumber(), 1);
    EXPECT_FALSE(preview.PreviewImage()->ImageOK());
}

TEST_F(PreviewTest, BindingShowsPage1AndNamesThePreviewAsClient)
{
    auto printer = LoadedPrinter(3);
    TQRPreview preview;
    preview.SetQRPrinter(printer.get());
    EXPECT_EQ(printer->Client(), &preview);
    EXPECT_TRUE(printer->ShowingPreview());
    EXPECT_TRUE(preview.PreviewImage()->ImageOK());
    // The bounded setter finds no picture held and fetches, then the image fetches page 1 again.
    EXPECT_EQ(preview.PreviewImage()->FetchCount(), 2);
    preview.SetQRPrinter(nullptr);
    EXPECT_EQ(printer->Client(), nullptr);
    EXPECT_FALSE(printer->ShowingPreview());
    EXPECT_FALSE(preview.PreviewImage()->ImageOK());
}

TEST_F(PreviewTest, DestroyingThePrinterUnbindsThePreview)
{
    auto printer = LoadedPrinter(1);
    TQRPreview preview;
    preview.SetQRPrinter(printer.get());
    printer.reset();
    EXPECT_EQ(preview.QRPrinter(), nullptr);
    EXPECT_FALSE(preview.PreviewImage()->ImageOK());
}

TEST_F(PreviewTest, A4At90PercentGives718x1014)
{
    auto printer = LoadedPrinter(1);
    TQRPreview preview;
    preview.resize(1045, 493);
    preview.SetQRPrinter(printer.get());
    preview.SetZoom(90);
    EXPECT_EQ(printer->PaperWidthValue(), 2100);
    EXPECT_EQ(printer->PaperLengthValue(), 2970);
    EXPECT_EQ(preview.PreviewImage()->size(), QSize(718, 1014));
    // Narrower than the control: centred; taller: at the top.
    EXPECT_EQ(preview.ImageOffset(), QPoint((1045 - 718) / 2, 0));
}

TEST_F(PreviewTest, ZoomToFitOn1045x493GivesZoom42)
{
    auto printer = LoadedPrinter(1);
    TQRPreview preview;
    preview.resize(1045, 493);
    preview.SetQRPrinter(printer.get());
    preview.ZoomToFit();
    EXPECT_EQ(preview.Zoom(), 42);
    EXPECT_EQ(preview.ZoomState(), qrZoomToFit);
    // A later resize refits.
    preview.show();
    preview.resize(1045, 986);
    EXPECT_EQ(preview.Zoom(), 83);
    preview.ZoomToWidth();
    EXPECT_EQ(preview.ZoomState(), qrZoomToWidth);
    EXPECT_EQ(preview.Zoom(), 118);  // Round(1045 / 794 x 90)
}

TEST_F(PreviewTest, PageSelectionStaysWithinTheReport)
{
    auto printer = LoadedPrinter(5);
    TQRPreview preview;
    preview.resize(400, 300);
    preview.SetQRPrinter(printer.get());
    preview.SetZoom(90);
    preview.show();
    for (int outside : {6, 0, -1}) {
        preview.SetPageNumber(outside);
        EXPECT_EQ(preview.PageNumber(), 1);
    }
    preview.SetPageNumber(3);
    EXPECT_EQ(preview.PageNumber(), 3);
    EXPECT_EQ(preview.PreviewImage()->PageNumber(), 3);
    // Asking for the page shown keeps the scroll position and fetches nothing.
    preview.verticalScrollBar()->setValue(200);
    const int fetches = preview.PreviewImage()->FetchCount();
    preview.SetPageNumber(3);
    EXPECT_EQ(preview.verticalScrollBar()->value(), 200);
    EXPECT_EQ(preview.PreviewImage()->FetchCount(), fetches);
    // Another page scrolls back to the top.
    preview.SetPageNumber(4);
    EXPECT_EQ(preview.verticalScrollBar()->value(), 0);
}

TEST_F(PreviewTest, ZoomAndRepaintNeverFetch)
{
    auto printer = LoadedPrinter(2);
    TQRPreview preview;
    preview.resize(800, 600);
    preview.SetQRPrinter(printer.get());
    preview.show();
    const int fetches = preview.PreviewImage()->FetchCount();
    for (int zoom : {30, 90, 190, 50}) preview.SetZoom(zoom);
    preview.PreviewImage()->repaint();
    preview.grab();
    EXPECT_EQ(preview.PreviewImage()->FetchCount(), fetches);
    EXPECT_EQ(preview.PreviewImage()->Zoom(), 50);
}

TEST_F(PreviewTest, ZoomReturnsTheViewToTheTopLeftCorner)
{
    auto printer = LoadedPrinter(1);
    TQRPreview preview;
    preview.resize(400, 300);
    preview.SetQRPrinter(printer.get());
    preview.SetZoom(150);
    preview.show();
    preview.verticalScrollBar()->setValue(500);
    preview.horizontalScrollBar()->setValue(100);
    preview.SetZoom(160);
    EXPECT_EQ(preview.verticalScrollBar()->value(), 0);
    EXPECT_EQ(preview.horizontalScrollBar()->value(), 0);
    EXPECT_EQ(preview.ImageOffset(), QPoint(0, 0));
}

TEST_F(PreviewTest, FocusByTabLaysOutAgainFocusByClickKeepsTheView)
{
    auto printer = LoadedPrinter(1);
    TQRPreview preview;
    preview.resize(400, 300);
    preview.SetQRPrinter(printer.get());
    preview.SetZoom(150);
    preview.show();
    for (Qt::FocusReason reason : {Qt::MouseFocusReason, Qt::ActiveWindowFocusReason}) {
        preview.verticalScrollBar()->setValue(300);
        QFocusEvent focus(QEvent::FocusIn, reason);
        QApplication::sendEvent(&preview, &focus);
        EXPECT_EQ(preview.verticalScrollBar()->value(), 300) << reason;
    }
    QFocusEvent tab(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&preview, &tab);
    EXPECT_EQ(preview.verticalScrollBar()->value(), 0);
}

TEST_F(PreviewTest, ResizeKeepsAnOtherZoomAndRecentres)
{
    auto printer = LoadedPrinter(1);
    TQRPreview preview;
    preview.resize(1045, 493);
    preview.SetQRPrinter(printer.get());
    preview.SetZoom(30);
    preview.show();
    preview.resize(1200, 1000);
    EXPECT_EQ(preview.Zoom(), 30);
    const QSize image = preview.PreviewImage()->size();
    EXPECT_EQ(preview.ImageOffset(), QPoint((1200 - image.width()) / 2, (1000 - image.height()) / 2));
}

TEST_F(PreviewTest, PageAvailableNoticesReachTheHandlerModulo65536)
{
    auto printer = LoadedPrinter(2);
    TQRPreview preview;
    preview.SetQRPrinter(printer.get());
    std::vector<int> pages, progress;
    preview.SetOnPageAvailable([&](QObject* sender, int n) {
        EXPECT_EQ(sender, &preview);
        pages.push_back(n);
    });
    preview.SetOnProgressUpdate([&](QObject*, int n) { progress.push_back(n); });
    const int fetches = preview.PreviewImage()->FetchCount();
    PostPageAvailableNotice(&preview, 2);
    PostPageAvailableNotice(&preview, 65536 + 7);
    PostProgressNotice(&preview, 40);
    QApplication::sendPostedEvents(&preview);
    EXPECT_EQ(pages, (std::vector<int>{2, 7}));
    EXPECT_EQ(progress, (std::vector<int>{40}));
    // Page 1 is shown: nothing to update for other pages.
    EXPECT_EQ(preview.PreviewImage()->FetchCount(), fetches);
}

TEST_F(PreviewTest, UndecodablePageLeavesTheImageEmptyAndThePageNumberOld)
{
    const std::string path = BandedReport(3);
    testsupport::SpoilPageInFile(path, 2);
    TQRPrinter printer(&FLayout);
    printer.Load(path);
    TQRPreview preview;
    preview.SetQRPrinter(&printer);
    EXPECT_ANY_THROW(preview.SetPageNumber(2));
    EXPECT_FALSE(preview.PreviewImage()->ImageOK());
    EXPECT_EQ(preview.PreviewImage()->PageNumber(), 2);
    EXPECT_EQ(preview.PageNumber(), 1);
    // The next assignment fetches again, the current page included.
    preview.SetPageNumber(1);
    EXPECT_TRUE(preview.PreviewImage()->ImageOK());
    preview.SetPageNumber(3);
    EXPECT_EQ(preview.PageNumber(), 3);
}

}  // namespace
}  // namespace qrp
