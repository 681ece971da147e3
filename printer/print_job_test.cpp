#include "printer/print_job.h"

#include "base/exceptions.h"
#include "platform/messages.h"
#include "platform/printer.h"
#include "platform/testing/test_print_system.h"
#include "printer/notices.h"
#include "printer/progress_form.h"
#include "printer/qr_printer.h"
#include "printer/report_layout.h"
#include "printer/screen_metrics.h"
#include "testsupport/files.h"
#include "testsupport/reports.h"

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <set>
#include <vector>

namespace qrp {
namespace {

using testsupport::kA4;

int LiveProgressForms()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (qobject_cast<TQRProgressForm*>(w)) ++count;
    return count;
}

// Runs `observer` at every point where the GUI processes messages, for the test's scope.
class MessageObserver {
public:
    explicit MessageObserver(std::function<void()> observer) { FPrevious = SetProcessMessagesObserver(std::move(observer)); }
    ~MessageObserver() { SetProcessMessagesObserver(FPrevious); }

private:
    std::function<void()> FPrevious;
};

// A report printer on the A4 printer "Office" (600 dpi, offsets of 100 dots, that is 42
// tenths of a millimetre) with an A4 layout page.
class PrintJobTest : public ::testing::Test {
protected:
    PrintJobTest()
    {
        SetScreenPixelsPerInchOverride(96);
        system->AddPrinter("Office");
        printer = std::make_unique<TQRPrinter>(&layout);
    }
    ~PrintJobTest() override { SetScreenPixelsPerInchOverride(0); }

    void Load(int pages) { printer->Load(scratch.Write("r.QRP", testsupport::FramedReportBytes(pages))); }
    void Load(const std::vector<uint8_t>& bytes) { printer->Load(scratch.Write("r.QRP", bytes)); }
    void Range(int first, int last)
    {
        printer->SetFirstPage(first);
        printer->SetLastPage(last);
    }
    const testsupport::RecordedJob& OnlyJob() const
    {
        EXPECT_EQ(system->Jobs().size(), 1u);
        return system->Jobs().back();
    }
    // The progress window of the running job, if it is the real one.
    TQRProgressForm* Form() const { return qobject_cast<TQRProgressForm*>(printer->Client()); }
    // True once the player draws pictures (sheets of the pages of a report are then not empty).
    static bool PlayerDraws(const testsupport::RecordedJob& job) { return !job.Pages.empty() && !job.Pages[0].Calls.empty(); }

    std::shared_ptr<testsupport::TestPrintSystem> system = std::make_shared<testsupport::TestPrintSystem>();
    testsupport::ScopedPrintSystem scope{system};
    TQRReportLayout layout{BlankLayoutPage(false, TQRPaperSize::A4)};
    testsupport::ScratchDir scratch;
    std::unique_ptr<TQRPrinter> printer;
};

TEST_F(PrintJobTest, PrintsTheWholeReportAsOneJobAndGivesTheClientBack)
{
    Load(3);
    QObject preview;
    printer->SetClient(&preview);
    printer->Print();
    const testsupport::RecordedJob& job = OnlyJob();
    EXPECT_TRUE(job.Started);
    EXPECT_TRUE(job.Ended);
    EXPECT_FALSE(job.Aborted);
    EXPECT_EQ(job.Pages.size(), 3u);
    EXPECT_EQ(job.Title, QString()) << "the viewer's jobs carry no document name";
    EXPECT_EQ(printer->Client(), &preview);
    EXPECT_EQ(LiveProgressForms(), 0);
    EXPECT_FALSE(printer->Printer().Printing());
    EXPECT_EQ(printer->Status(), mpFinished) << "the report can be printed again";

    printer->SetTitle("Laudo 7");
    printer->Print();
    ASSERT_EQ(system->Jobs().size(), 2u);
    EXPECT_EQ(system->Jobs()[1].Title, QString("Laudo 7"));
}

TEST_F(PrintJobTest, EachPageCoversThePhysicalSheet)
{
    Load(2);
    EXPECT_EQ(PageRectangle(*printer), Rect(-100, -100, 4861, 6916));
    printer->Print();
    const testsupport::RecordedJob& job = OnlyJob();
    if (!PlayerDraws(job)) GTEST_SKIP() << "the picture player draws nothing yet";
    // The test page's border is inset by 5 % of the frame's width on every side.
    const QRectF drawn = job.Pages[0].Bounds();
    EXPECT_NEAR(drawn.left(), -100 + 0.05 * 4961, 12);
    EXPECT_NEAR(drawn.top(), -100 + 0.05 * 4961, 12);
    EXPECT_NEAR(drawn.right(), -100 + 0.95 * 4961, 12);
    EXPECT_NEAR(drawn.bottom(), -100 + 7016 - 0.05 * 4961, 12);
}

// The border of a test page as drawn on its sheet, in sheet coordinates (origin at the
// sheet's corner), grown back by its inset (5 % of the width) to the whole picture.
QRectF PictureOnSheet(const testsupport::RecordedPage& page)
{
    const QRectF border = page.Bounds().translated(page.Caps.PhysicalOffsetX, page.Caps.PhysicalOffsetY);
    const double w = border.width() / 0.9;
    const double h = border.height() + 0.1 * w;
    return QRectF(border.center().x() - w / 2, border.center().y() - h / 2, w, h);
}

TEST_F(PrintJobTest, EachSheetLiesAsItsPageAndShowsItUndistorted)
{
    // A4 portrait, A4 landscape, a square page, Letter landscape: a portrait job.
    Load(testsupport::FramedReportBytes({{21000, 29700}, {29700, 21000}, {15000, 15000}, {27940, 21590}}));
    ASSERT_EQ(printer->Orientation(), poPortrait);
    printer->Print();
    const testsupport::RecordedJob& job = OnlyJob();
    ASSERT_EQ(job.Pages.size(), 4u);
    const bool landscape[] = {false, true, false, true};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(job.Pages[i].Caps.PhysicalWidth > job.Pages[i].Caps.PhysicalHeight, landscape[i]) << "sheet " << i + 1;
    if (!PlayerDraws(job)) GTEST_SKIP() << "the picture player draws nothing yet";

    const double aspect[] = {210.0 / 297, 297.0 / 210, 1.0, 279.4 / 215.9};
    for (size_t i = 0; i < 4; ++i) {
        const testsupport::RecordedPage& page = job.Pages[i];
        const QRectF picture = PictureOnSheet(page);
        const QRectF sheet(0, 0, page.Caps.PhysicalWidth, page.Caps.PhysicalHeight);
        EXPECT_NEAR(picture.width() / picture.height(), aspect[i], 0.01) << "sheet " << i + 1;
        // Whole, centred, and as large as the sheet allows.
        EXPECT_NEAR(picture.center().x(), sheet.center().x(), 6) << "sheet " << i + 1;
        EXPECT_NEAR(picture.center().y(), sheet.center().y(), 6) << "sheet " << i + 1;
        EXPECT_TRUE(std::abs(picture.width() - sheet.width()) < 12 || std::abs(picture.height() - sheet.height()) < 12)
            << "sheet " << i + 1;
        EXPECT_LT(picture.width(), sheet.width() + 12) << "sheet " << i + 1;
        EXPECT_LT(picture.height(), sheet.height() + 12) << "sheet " << i + 1;
    }
}

TEST_F(PrintJobTest, ALandscapeJobTurnsItsPortraitSheetsAndARangeStartsOnItsOwnPage)
{
    Load(testsupport::FramedReportBytes({{29700, 21000}, {21000, 29700}, {29700, 21000}}));
    ASSERT_EQ(printer->Orientation(), poLandscape);
    Range(2, 3);
    printer->Print();
    const testsupport::RecordedJob& job = OnlyJob();
    EXPECT_EQ(job.DevMode.dmOrientation, DMORIENT_LANDSCAPE);
    ASSERT_EQ(job.Pages.size(), 2u);
    EXPECT_LT(job.Pages[0].Caps.PhysicalWidth, job.Pages[0].Caps.PhysicalHeight) << "page 2 is portrait";
    EXPECT_GT(job.Pages[1].Caps.PhysicalWidth, job.Pages[1].Caps.PhysicalHeight);
}

TEST_F(PrintJobTest, ADeviceThatCannotTurnItsSheetsFitsThePageUndistorted)
{
    system->Find("Office")->TurnsSheets = false;
    Load(testsupport::FramedReportBytes({{21000, 29700}, {29700, 21000}}));
    printer->Print();
    const testsupport::RecordedJob& job = OnlyJob();
    ASSERT_EQ(job.Pages.size(), 2u);
    EXPECT_LT(job.Pages[1].Caps.PhysicalWidth, job.Pages[1].Caps.PhysicalHeight);
    if (!PlayerDraws(job)) GTEST_SKIP() << "the picture player draws nothing yet";
    const QRectF picture = PictureOnSheet(job.Pages[1]);
    EXPECT_NEAR(picture.width() / picture.height(), 297.0 / 210, 0.01);
    EXPECT_NEAR(picture.width(), 4961, 12) << "as wide as the portrait sheet";
}

TEST_F(PrintJobTest, ALetterReportAsksForLetterOnAnA4Printer)
{
    Load(testsupport::FramedReportBytes({{21590, 27940}}));
    printer->Print();
    EXPECT_EQ(OnlyJob().DevMode.dmPaperSize, DMPAPER_LETTER);
    EXPECT_EQ(OnlyJob().DevMode.dmOrientation, DMORIENT_PORTRAIT);
}

TEST_F(PrintJobTest, WithoutALayoutThePageFillsThePrintableArea)
{
    TQRPrinter bare(nullptr);
    bare.Load(scratch.Write("r.QRP", testsupport::FramedReportBytes(1)));
    EXPECT_EQ(PageRectangle(bare), Rect(0, 0, 4961 - 200, 7016 - 200));
    bare.Print();
    EXPECT_EQ(OnlyJob().Pages.size(), 1u);
    EXPECT_EQ(LiveProgressForms(), 0) << "no layout, no progress window";
}

TEST_F(PrintJobTest, AppliesTheSettingsToTheJob)
{
    Load(testsupport::FramedReportBytes({{29700, 21000}}));  // A4 on its side
    ASSERT_EQ(printer->Orientation(), poLandscape);
    printer->Print();
    const DEVMODEW& dm = OnlyJob().DevMode;
    EXPECT_EQ(dm.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(dm.dmPaperSize, DMPAPER_A4);
    EXPECT_EQ(dm.dmCopies, 1);
}

// Collects the progress notices a job's window receives, including the last one, still
// queued when the job releases the window.
class ProgressRecorder : public QObject {
public:
    explicit ProgressRecorder(std::vector<int>& values) : FValues(values) {}
    ~ProgressRecorder() override { QCoreApplication::sendPostedEvents(this, kProgressNotice); }

protected:
    void customEvent(QEvent* event) override
    {
        if (const TQRNotice* n = AsProgressNotice(event)) FValues.push_back(n->Value());
    }

private:
    std::vector<int>& FValues;
};

TEST_F(PrintJobTest, ProgressCountsThePagesOfTheRange)
{
    Load(10);
    std::vector<int> values;
    printer->SetProgressWindowFactory([&](TQRPrinter&) { return std::make_unique<ProgressRecorder>(values); });
    Range(3, 4);
    printer->Print();
    EXPECT_EQ(OnlyJob().Pages.size(), 2u);
    EXPECT_EQ(values, (std::vector<int>{50, 100}));
    EXPECT_EQ(printer->Progress(), 100);
}

TEST_F(PrintJobTest, TheProgressWindowShowsOnlyMultiplesOfFive)
{
    Load(3);
    std::set<int> shown;
    std::set<QString> texts;
    bool visible = false;
    MessageObserver observer([&] {
        if (TQRProgressForm* form = Form()) {
            visible = visible || form->isVisible();
            EXPECT_EQ(form->windowTitle(), QString("Printing progress"));
            shown.insert(form->Gauge()->value());
            texts.insert(form->Info()->text());
        }
    });
    printer->Print();
    EXPECT_TRUE(visible);
    EXPECT_EQ(shown.count(33), 0u);
    EXPECT_EQ(shown.count(67), 0u);
    EXPECT_TRUE(shown.count(100)) << "the last notice arrives while the spooler ends the job";
    EXPECT_TRUE(texts.count("100%  Completed"));
    EXPECT_EQ(LiveProgressForms(), 0);
}

TEST_F(PrintJobTest, CancelDuringAPageEndsTheJobAfterThatSheet)
{
    Load(5);
    // Cancel is pressed once the job is at page 2 (its second sheet has been started).
    MessageObserver observer([&] {
        TQRProgressForm* form = Form();
        if (form && system->Jobs().size() == 1 && system->Jobs()[0].Pages.size() == 2 && !printer->Cancelled())
            form->CancelButton()->click();
    });
    printer->Print();
    const testsupport::RecordedJob& job = OnlyJob();
    EXPECT_TRUE(job.Aborted);
    EXPECT_FALSE(job.Ended);
    EXPECT_EQ(job.Pages.size(), 3u) << "page 2 drawn, the next sheet started, then the abort";
    EXPECT_EQ(printer->PageNumber(), 2) << "pages 3 to 5 are never fetched";
    EXPECT_TRUE(printer->Cancelled());
    EXPECT_FALSE(printer->Printer().Printing());
    EXPECT_EQ(LiveProgressForms(), 0);
}

TEST_F(PrintJobTest, CancelNoticedAfterTheLastPageDiscardsTheWholeJob)
{
    Load(3);
    MessageObserver observer([&] {
        if (!system->Jobs().empty() && system->Jobs()[0].Pages.size() == 3) printer->Cancel();
    });
    printer->Print();
    {
        const testsupport::RecordedJob& job = OnlyJob();
        EXPECT_TRUE(job.Aborted);
        EXPECT_EQ(job.Pages.size(), 3u);
        EXPECT_EQ(printer->PageNumber(), 3) << "every page was drawn";
    }
    // The next job starts afresh and runs to the end.
    system->ClearJobs();
    MessageObserver quiet([] {});
    printer->Print();
    EXPECT_FALSE(printer->Cancelled());
    EXPECT_TRUE(OnlyJob().Ended);
    EXPECT_EQ(OnlyJob().Pages.size(), 3u);
}

TEST_F(PrintJobTest, RangesOutsideTheReportPrintEmptySheets)
{
    Load(3);
    Range(3, 2);  // first page after the last: a job with one empty sheet
    printer->Print();
    ASSERT_EQ(system->Jobs().size(), 1u);
    EXPECT_TRUE(system->Jobs()[0].Ended);
    ASSERT_EQ(system->Jobs()[0].Pages.size(), 1u);
    EXPECT_TRUE(system->Jobs()[0].Pages[0].Calls.empty());

    system->ClearJobs();
    Range(-1, 5);  // pages -1, 0, 1, 2, 3, 4, 5
    printer->Print();
    const testsupport::RecordedJob& job = OnlyJob();
    EXPECT_TRUE(job.Ended);
    ASSERT_EQ(job.Pages.size(), 7u);
    for (size_t sheet : {0u, 1u, 5u, 6u}) EXPECT_TRUE(job.Pages[sheet].Calls.empty()) << "sheet " << sheet;
    const bool drawn = !job.Pages[2].Calls.empty();
    EXPECT_EQ(!job.Pages[3].Calls.empty(), drawn);
    EXPECT_EQ(!job.Pages[4].Calls.empty(), drawn);
}

TEST_F(PrintJobTest, AfterPrintOfTheLayoutRunsOnceTheJobIsDone)
{
    Load(1);
    std::vector<TQRReportLayout*> senders;
    layout.SetAfterPrint([&](TQRReportLayout* sender) { senders.push_back(sender); });
    printer->Print();
    EXPECT_EQ(senders, std::vector<TQRReportLayout*>{&layout});
}

TEST_F(PrintJobTest, NothingIsPrintedWithoutAFinishedReport)
{
    printer->Print();
    EXPECT_TRUE(system->Jobs().empty());
    EXPECT_THROW(Load(testsupport::FramedReportBytes(0)), Exception);
    printer->Print();
    EXPECT_TRUE(system->Jobs().empty());
}

// Bad input: an undecodable page, a printer that went away, a spooler that refuses.

TEST_F(PrintJobTest, AnUndecodablePageEndsTheJobWithTheSheetsAlreadySent)
{
    Load(testsupport::Spoiled(testsupport::FramedReportBytes(5), 3));
    QObject preview;
    printer->SetClient(&preview);
    try {
        printer->Print();
        FAIL() << "the damaged page must fail the job";
    } catch (const EInvalidGraphic& e) {
        EXPECT_STREQ(e.what(), "Metafile is not valid");
    }
    const testsupport::RecordedJob& job = OnlyJob();
    EXPECT_TRUE(job.Ended) << "ended normally, so pages 1 and 2 are printed";
    EXPECT_FALSE(job.Aborted);
    EXPECT_EQ(job.Pages.size(), 3u);
    EXPECT_FALSE(printer->Printer().Printing()) << "no job left open";
    EXPECT_EQ(LiveProgressForms(), 0) << "the progress window is gone";
    EXPECT_EQ(printer->Client(), &preview);

    // Nothing is stuck: a good report prints next.
    system->ClearJobs();
    Load(2);
    printer->Print();
    EXPECT_TRUE(OnlyJob().Ended);
}

TEST_F(PrintJobTest, APrinterThatDisappearedIsNotValid)
{
    Load(2);
    system->RemovePrinter("Office");
    try {
        printer->Print();
        FAIL() << "printing on a removed printer must fail";
    } catch (const EPrinter& e) {
        EXPECT_STREQ(e.what(), "Printer selected is not valid");
    }
    EXPECT_TRUE(system->Jobs().empty());
    EXPECT_FALSE(printer->Printer().Printing());
    EXPECT_EQ(LiveProgressForms(), 0);
}

TEST_F(PrintJobTest, ASpoolerThatRefusesTheDocumentFailsAtTheFirstPage)
{
    Load(2);
    system->Find("Office")->RefuseDocuments = true;
    try {
        printer->Print();
        FAIL() << "drawing without an open job must fail";
    } catch (const EPrinter& e) {
        EXPECT_STREQ(e.what(), "Printer is not currently printing");
    }
    EXPECT_FALSE(printer->Printer().Printing());
    EXPECT_EQ(LiveProgressForms(), 0);
}

}  // namespace
}  // namespace qrp
