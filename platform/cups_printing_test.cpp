// The printer object on a real CUPS server: the private PDF queue that the test command
// starts (scripts/cups-test-server.sh). Skipped where no such server runs.
#include "platform/printer.h"

#include "base/exceptions.h"
#include "platform/canvas.h"
#include "platform/qt_print_system.h"
#include "platform/testing/cups_test_queue.h"

#include <QCoreApplication>
#include <QFile>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace qrp {
namespace {

using testsupport::CupsTestQueue;

bool BarAlongLongEdge(const QImage& page)
{
    EXPECT_FALSE(page.isNull()) << "pdftoppm did not render the page";
    QRect bar;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            if (qGray(page.pixel(x, y)) < 96) bar |= QRect(x, y, 1, 1);
        }
    }
    EXPECT_FALSE(bar.isEmpty()) << "nothing drawn on the page";
    return (bar.width() > bar.height()) == (page.width() > page.height());
}

class CupsPrintingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        queue = CupsTestQueue::FromEnvironment();
        if (!queue) GTEST_SKIP() << CupsTestQueue::kSkipReason;
        printer = std::make_unique<TPrinter>(std::make_shared<QtPrintSystem>());
        const int index = static_cast<int>(printer->Printers().indexOf(queue->Name()));
        ASSERT_GE(index, 0) << "the queue is not listed";
        printer->SetPrinterIndex(index);
    }

    void TearDown() override
    {
        for (const QString& file : outputs) QFile::remove(file);
    }

    DEVMODEW& Block()
    {
        HDEVMODE block = nullptr;
        printer->GetPrinter(nullptr, nullptr, nullptr, 0, block);
        EXPECT_NE(block, nullptr);
        static DEVMODEW none{};
        return block ? block->DevMode : none;
    }

    // Prints `pages` pages, each with a black bar across two thirds of the printable width,
    // and returns the PDF's facts; `along` tells whether the bar lies along the long edge
    // of the first sheet as it comes out.
    std::optional<testsupport::PdfFacts> PrintAndRead(int pages, bool* along = nullptr)
    {
        const QString title = CupsTestQueue::UniqueTitle("platform");
        printer->SetTitle(title);
        printer->BeginDoc();
        EXPECT_TRUE(printer->Printing());
        if (!printer->Printing()) return std::nullopt;
        for (int page = 1; page <= pages; ++page) {
            if (page > 1) printer->NewPage();
            TCanvas* canvas = printer->Canvas();
            canvas->SetBrushColor(clBlack);
            canvas->Rectangle(100, 100, 100 + printer->PageWidth() * 2 / 3, 100 + printer->PageHeight() / 10);
        }
        printer->EndDoc();
        const QString pdf = queue->WaitForOutput(title);
        EXPECT_FALSE(pdf.isEmpty()) << "no PDF for " << title.toStdString();
        if (pdf.isEmpty()) return std::nullopt;
        outputs.append(pdf);
        if (along) *along = BarAlongLongEdge(CupsTestQueue::RenderFirstPage(pdf));
        return CupsTestQueue::ReadPdf(pdf);
    }

    std::optional<CupsTestQueue> queue;
    std::unique_ptr<TPrinter> printer;
    QStringList outputs;
};

TEST_F(CupsPrintingTest, TheQueueOffersItsPpdDefaults)
{
    const DEVMODEW& dm = Block();
    EXPECT_EQ(dm.dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(dm.dmPaperWidth, 2100);
    EXPECT_EQ(dm.dmPaperLength, 2970);
    EXPECT_EQ(dm.dmOrientation, DMORIENT_PORTRAIT);
    EXPECT_EQ(dm.dmCopies, 1);
    EXPECT_EQ(dm.dmPrintQuality, 300);
    const uint32_t offered = DM_PAPERSIZE | DM_ORIENTATION | DM_COPIES | DM_COLLATE | DM_PRINTQUALITY;
    EXPECT_EQ(dm.dmFields & offered, offered);

    char16_t device[64];
    HDEVMODE block = nullptr;
    printer->GetPrinter(device, nullptr, nullptr, 64, block);
    const int count = DeviceCapabilitiesW(printer->System(), device, u"", DC_PAPERS, nullptr, 0, &dm);
    ASSERT_GT(count, 10);
    std::vector<int16_t> codes(static_cast<std::size_t>(count));
    DeviceCapabilitiesW(printer->System(), device, u"", DC_PAPERS, codes.data(), codes.size(), &dm);
    for (int16_t code : {int16_t(1), int16_t(8), int16_t(9), int16_t(11)}) {
        EXPECT_NE(std::find(codes.begin(), codes.end(), code), codes.end()) << code;
    }
    EXPECT_LE(std::count(codes.begin(), codes.end(), DMPAPER_USER), 1);

    const HDC dc = printer->Handle();
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 300);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALWIDTH), 2480);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALHEIGHT), 3508);
    EXPECT_EQ(GetDeviceCaps(dc, PHYSICALOFFSETX), 0);  // the PPD's imageable area is the sheet
    EXPECT_EQ(printer->PageWidth(), 2480);
}

TEST_F(CupsPrintingTest, ATwoPageJobBecomesATwoPagePdf)
{
    bool along = true;
    const auto pdf = PrintAndRead(2, &along);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->Pages, 2);
    EXPECT_NEAR(pdf->WidthPt, 595.3, 1.0);
    EXPECT_NEAR(pdf->HeightPt, 841.9, 1.0);
    EXPECT_FALSE(along) << "portrait: the bar lies across the sheet";
}

TEST_F(CupsPrintingTest, PaperOrientationAndCopiesReachTheQueue)
{
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), PHYSICALWIDTH), 2480);
    DEVMODEW& dm = Block();
    dm.dmPaperSize = DMPAPER_LETTER;
    dm.dmOrientation = DMORIENT_LANDSCAPE;
    dm.dmCopies = 2;
    dm.dmCollate = DMCOLLATE_TRUE;
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), PHYSICALWIDTH), 2480) << "edits apply from the next context";
    bool along = false;
    const auto pdf = PrintAndRead(2, &along);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->Pages, 4);  // two copies of two pages
    EXPECT_TRUE(along) << "landscape: the bar lies along the sheet";
    EXPECT_NEAR(std::max(pdf->WidthPt, pdf->HeightPt), 792, 1.0);
    EXPECT_NEAR(std::min(pdf->WidthPt, pdf->HeightPt), 612, 1.0);
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), PHYSICALWIDTH), 3300);  // Letter across, 300 dpi
}

TEST_F(CupsPrintingTest, AnAbortedJobLeavesNoOutputAndTheNextOneRuns)
{
    const QString title = CupsTestQueue::UniqueTitle("aborted");
    printer->SetTitle(title);
    printer->BeginDoc();
    printer->Canvas()->Rectangle(0, 0, 50, 50);
    printer->Abort();
    EXPECT_FALSE(printer->Printing());
    const auto pdf = PrintAndRead(1);
    ASSERT_TRUE(pdf);
    EXPECT_EQ(pdf->Pages, 1);
    EXPECT_TRUE(queue->WaitForOutput(title, 1).isEmpty());
}

TEST_F(CupsPrintingTest, AMissingQueueIsNotAValidPrinter)
{
    printer->SetPrinter(u"QRP_No_Such_Queue", nullptr, nullptr, nullptr);
    HDEVMODE block = nullptr;
    printer->GetPrinter(nullptr, nullptr, nullptr, 0, block);
    EXPECT_EQ(block, nullptr);
    try {
        printer->BeginDoc();
        FAIL() << "a job started on a missing queue";
    } catch (const EPrinter& e) {
        EXPECT_STREQ(e.what(), "Printer selected is not valid");
    }
    EXPECT_FALSE(printer->Printing());
}

TEST_F(CupsPrintingTest, AQueueThatRejectsJobsOpensNoJob)
{
    const QString name = QStringLiteral("QRP_Rejecting_%1").arg(QCoreApplication::applicationPid());
    ASSERT_TRUE(queue->AddQueue(name));
    printer->Refresh();
    printer->SetPrinterIndex(static_cast<int>(printer->Printers().indexOf(name)));
    // Rejecting while a document is open: the finished job is turned away, and said so.
    printer->BeginDoc();
    EXPECT_TRUE(printer->Printing());
    const bool rejecting = queue->RejectJobs(name);
    if (rejecting) {
        try {
            printer->EndDoc();
            ADD_FAILURE() << "a refused job was reported as printed";
        } catch (const EPrinter& e) {
            EXPECT_STREQ(e.what(), "The print system did not accept the job");
        }
        EXPECT_FALSE(printer->Printing());
        // Rejecting before: no job opens.
        printer->BeginDoc();
        EXPECT_FALSE(printer->Printing());
        EXPECT_THROW(printer->NewPage(), EPrinter);
    }
    if (printer->Printing()) printer->Abort();
    queue->RemoveQueue(name);
    ASSERT_TRUE(rejecting);
}

}  // namespace
}  // namespace qrp
