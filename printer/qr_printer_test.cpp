#include "printer/qr_printer.h"

#include "base/exceptions.h"
#include "base/stream.h"
#include "platform/printer.h"
#include "platform/testing/test_print_system.h"
#include "printer/notices.h"
#include "printer/report_layout.h"
#include "printer/screen_metrics.h"
#include "testsupport/files.h"
#include "testsupport/reports.h"
#include "reportfile/metafile.h"

#include <QCoreApplication>
#include <QFile>
#include <QObject>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace qrp {
namespace {

using testsupport::PageFrame;
using testsupport::kA4;

// A print system with scripted printers, installed for the test, and a 96-dpi screen.
class ReportPrinterTest : public ::testing::Test {
protected:
    ReportPrinterTest() { SetScreenPixelsPerInchOverride(96); }
    ~ReportPrinterTest() override { SetScreenPixelsPerInchOverride(0); }

    // An A4 printer at 600 dpi offering the given paper codes.
    testsupport::TestPrinter& AddPrinter(const QString& name, std::vector<int16_t> papers = {1, 5, 9, 11})
    {
        testsupport::TestPrinter& printer = system->AddPrinter(name);
        printer.Papers = std::move(papers);
        return printer;
    }

    std::unique_ptr<TQRPrinter> MakeReportPrinter()
    {
        return std::make_unique<TQRPrinter>(&layout);
    }

    std::string Report(const std::vector<PageFrame>& pages) { return scratch.Write("r.QRP", testsupport::FramedReportBytes(pages)); }

    std::shared_ptr<testsupport::TestPrintSystem> system = std::make_shared<testsupport::TestPrintSystem>();
    testsupport::ScopedPrintSystem scope{system};
    TQRReportLayout layout{BlankLayoutPage(false, TQRPaperSize::A4)};
    testsupport::ScratchDir scratch;
};

struct InferenceCase {
    const char* what;
    PageFrame page;
    std::vector<int16_t> papers;
    TQRPaperSize size;
    TPrinterOrientation orientation;
};

TEST_F(ReportPrinterTest, InfersPaperAndOrientationFromTheFirstPage)
{
    const PageFrame a4{21000, 29700}, letter{21590, 27940}, tabloid{27940, 43180};
    const std::vector<InferenceCase> cases = {
        {"A4, A4Small offered: the later match wins", a4, {1, 9, 10}, TQRPaperSize::A4Small, poPortrait},
        {"A4, only A4 offered", a4, {1, 5, 9, 11}, TQRPaperSize::A4, poPortrait},
        {"Letter: Letter, LetterSmall and Note match", letter, {1, 2, 9, 18}, TQRPaperSize::Note, poPortrait},
        {"Letter without Note", letter, {1, 2, 9}, TQRPaperSize::LetterSmall, poPortrait},
        {"Letter, only Letter offered", letter, {1, 9}, TQRPaperSize::Letter, poPortrait},
        {"Letter a tenth of a millimetre wide", {21600, 27950}, {1, 9}, TQRPaperSize::Letter, poPortrait},
        {"Letter on its side, a little short", {27860, 21520}, {1, 9}, TQRPaperSize::Letter, poLandscape},
        {"A4 on its side", {29700, 21000}, {1, 5, 9, 11}, TQRPaperSize::A4, poLandscape},
        {"A4 exactly 2 mm off on both sides", {21200, 29500}, {1, 9}, TQRPaperSize::A4, poPortrait},
        {"A4 2.01 mm too wide matches nothing", {21201, 29700}, {1, 9}, TQRPaperSize::A4, poPortrait},
        {"Letter 2.01 mm too high matches nothing", {21590, 28141}, {1, 9}, TQRPaperSize::A4, poPortrait},
        {"Tabloid: Ledger matches on its side, qr11X17 comes last", tabloid, {3, 4, 9, 17}, TQRPaperSize::qr11X17,
         poPortrait},
        {"Ledger refused: Tabloid stands", tabloid, {3, 9}, TQRPaperSize::Tabloid, poPortrait},
        {"100 x 150 mm matches nothing", {10000, 15000}, {1, 9}, TQRPaperSize::A4, poPortrait},
        {"150 x 100 mm matches nothing, wider than high", {15000, 10000}, {1, 9}, TQRPaperSize::A4, poLandscape},
    };
    AddPrinter("Office");
    for (const InferenceCase& c : cases) {
        system->Find("Office")->Papers = c.papers;
        const auto printer = MakeReportPrinter();
        printer->Load(Report({c.page, kA4}));
        EXPECT_EQ(Ord(printer->PaperSize()), Ord(c.size)) << c.what;
        EXPECT_EQ(printer->Orientation(), c.orientation) << c.what;
    }
}

TEST_F(ReportPrinterTest, InferenceLeavesPaperAloneWithoutPagesOrWithoutMatch)
{
    AddPrinter("Office");
    const auto printer = MakeReportPrinter();
    printer->SetPaperSize(TQRPaperSize::Letter);
    printer->SetOrientation(poLandscape);
    // A report whose header counts no pages, loaded from memory (a file load has no last
    // page to prove and refuses it).
    std::vector<uint8_t> empty = testsupport::FramedReportBytes(1);
    std::fill(empty.begin() + 8, empty.begin() + 12, uint8_t{0});
    TMemoryStream stream(empty);
    printer->LoadFromStream(stream);
    EXPECT_EQ(printer->PageCount(), 0);
    EXPECT_EQ(printer->Status(), mpFinished);
    EXPECT_EQ(printer->PaperSize(), TQRPaperSize::Letter);
    EXPECT_EQ(printer->Orientation(), poLandscape) << "no pages: no inference at all";

    printer->Load(Report({{10000, 15000}}));
    EXPECT_EQ(printer->PaperSize(), TQRPaperSize::Letter) << "no match keeps the size";
    EXPECT_EQ(printer->Orientation(), poPortrait) << "no match still decides the orientation";
}

TEST_F(ReportPrinterTest, WithoutAnyPrinterKeepsA4PortraitAndNeverPrints)
{
    const auto printer = MakeReportPrinter();
    EXPECT_FALSE(printer->PrinterOK());
    printer->Load(Report({{27940, 21590}}));  // Letter on its side
    EXPECT_EQ(printer->PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(printer->Orientation(), poPortrait);
    EXPECT_EQ(printer->PaperWidthValue(), 2100);
    EXPECT_EQ(printer->PaperLengthValue(), 2970);

    // A printer installed later changes nothing: the report printer was made without one.
    AddPrinter("Late");
    printer->Print();
    EXPECT_TRUE(system->Jobs().empty());
}

TEST_F(ReportPrinterTest, FailedLoadsKeepTheOldCountButGiveNoPages)
{
    AddPrinter("Office");
    const auto printer = MakeReportPrinter();
    EXPECT_EQ(printer->Status(), mpReady);
    EXPECT_EQ(printer->GetPage(1), nullptr) << "no report yet";

    printer->Load(Report({kA4, kA4, kA4}));
    EXPECT_EQ(printer->Status(), mpFinished);
    EXPECT_TRUE(printer->ReportLoaded());
    EXPECT_EQ(printer->PageCount(), 3);
    EXPECT_NE(printer->GetPage(1), nullptr);
    EXPECT_NE(printer->GetPage(3), nullptr);
    EXPECT_EQ(printer->GetPage(0), nullptr);
    EXPECT_EQ(printer->GetPage(4), nullptr);

    EXPECT_THROW(printer->Load(scratch.File("missing.QRP")), Exception);
    EXPECT_EQ(printer->Status(), mpReady);
    EXPECT_EQ(printer->PageCount(), 3) << "the old count is still reported";
    for (int page = 1; page <= 3; ++page) EXPECT_EQ(printer->GetPage(page), nullptr);
    printer->Save(scratch.File("copy.QRP"));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(scratch.File("copy.QRP")))) << "Save without a report";

    const std::string junk = scratch.Write("junk.QRP", std::vector<uint8_t>(300, 0x41));
    EXPECT_THROW(printer->Load(junk), Exception);
    EXPECT_EQ(printer->Status(), mpReady);

    printer->Load(Report({kA4, kA4}));
    EXPECT_EQ(printer->Status(), mpFinished);
    EXPECT_EQ(printer->PageCount(), 2);
}

TEST_F(ReportPrinterTest, UnreadableFirstPageFailsTheLoadAfterCountingThePages)
{
    AddPrinter("Office");
    const auto printer = MakeReportPrinter();
    // The page list proves only the last page; page 1 fails in the paper inference.
    const std::string path = scratch.Write("bad1.QRP", testsupport::Spoiled(testsupport::FramedReportBytes(4), 1));
    EXPECT_THROW(printer->Load(path), EInvalidGraphic);
    EXPECT_EQ(printer->PageCount(), 4);
    EXPECT_EQ(printer->Status(), mpReady);
    EXPECT_EQ(printer->GetPage(2), nullptr);
    printer->Load(Report({kA4}));
    EXPECT_EQ(printer->Status(), mpFinished);
}

TEST_F(ReportPrinterTest, SavesAnExactCopyOfTheReport)
{
    AddPrinter("Office");
    const auto printer = MakeReportPrinter();
    const std::string source = Report({kA4, {29700, 21000}});
    printer->Load(source);
    const std::string copy = scratch.File("copy.QRP");
    printer->Save(copy);
    EXPECT_EQ(testsupport::ReadFile(copy), testsupport::ReadFile(source));
}

TEST_F(ReportPrinterTest, LoadTakesTheScreenFactorAndConversionsRoundHalvesToEven)
{
    AddPrinter("Office");
    const auto printer = MakeReportPrinter();
    EXPECT_EQ(printer->XFactor(), 0.37795L);
    SetScreenPixelsPerInchOverride(120);
    printer->Load(Report({kA4}));
    EXPECT_EQ(printer->XFactor(), 120.0L / 254.0L);
    EXPECT_EQ(printer->YFactor(), printer->XFactor());

    printer->SetXFactor(0.5L);
    printer->SetYFactor(0.25L);
    EXPECT_EQ(printer->XSize(5), 2);   // 2.5
    EXPECT_EQ(printer->XSize(7), 4);   // 3.5
    EXPECT_EQ(printer->XSize(-5), -2);
    EXPECT_EQ(printer->YSize(10), 2);  // 2.5
    EXPECT_EQ(printer->YSize(6), 2);   // 1.5
    // Positions remove the unprintable margin the device reported when the object was
    // made: 100 dots at 600 dpi are 42 tenths of a millimetre.
    EXPECT_EQ(printer->XPos(142), 50);
    EXPECT_EQ(printer->YPos(142), 25);
    EXPECT_EQ(printer->LeftWaste(), 0);
    printer->SetDestination(qrdPrinter);
    EXPECT_EQ(printer->LeftWaste(), 42);
    EXPECT_EQ(printer->TopWaste(), 42);
}

TEST_F(ReportPrinterTest, PaperValuesFollowTheOrientation)
{
    AddPrinter("Office");
    const auto printer = MakeReportPrinter();
    printer->SetPaperSize(TQRPaperSize::Letter);
    EXPECT_EQ(printer->PaperWidthValue(), 2159);
    EXPECT_EQ(printer->PaperLengthValue(), 2794);
    printer->SetOrientation(poLandscape);
    EXPECT_EQ(printer->PaperWidthValue(), 2794);
    EXPECT_EQ(printer->PaperLengthValue(), 2159);

    // Default and Custom have no catalogue measures: the settings' own are used.
    printer->SetPaperSize(TQRPaperSize::Custom);
    printer->SetPaperWidth(1000);
    printer->SetPaperLength(1500);
    EXPECT_EQ(printer->PaperWidthValue(), 1500);
    EXPECT_EQ(printer->PaperLengthValue(), 1000);
    printer->SetOrientation(poPortrait);
    EXPECT_EQ(printer->PaperWidthValue(), 1000);
    EXPECT_EQ(printer->PaperLengthValue(), 1500);
}

TEST_F(ReportPrinterTest, SwitchingPrinterReplacesTheInferredPaper)
{
    AddPrinter("Office");
    testsupport::TestPrinter& letters = AddPrinter("Letters", {1, 5});
    letters.DefaultDevMode->dmPaperSize = DMPAPER_LETTER;
    const auto printer = MakeReportPrinter();
    printer->Load(Report({{29700, 21000}}));
    ASSERT_EQ(printer->PaperSize(), TQRPaperSize::A4);
    ASSERT_EQ(printer->Orientation(), poLandscape);

    printer->SetPrinterIndex(1);
    EXPECT_EQ(printer->PrinterIndex(), 1);
    EXPECT_EQ(printer->PaperSize(), TQRPaperSize::Letter) << "the new printer's paper";
    EXPECT_EQ(printer->Orientation(), poLandscape) << "the orientation is not read from the device";

    // The same index, or -1, changes nothing.
    printer->SetPaperSize(TQRPaperSize::Legal);
    printer->SetPrinterIndex(1);
    printer->SetPrinterIndex(-1);
    EXPECT_EQ(printer->PaperSize(), TQRPaperSize::Legal);
    EXPECT_EQ(printer->PrinterIndex(), 1);

    EXPECT_THROW(printer->SetPrinterIndex(7), EPrinter) << "the device refuses an index outside its list";
}

// Records the notices it receives.
class NoticeRecorder : public QObject {
public:
    std::vector<int> progress;
    std::vector<int> pages;

protected:
    void customEvent(QEvent* event) override
    {
        if (const TQRNotice* n = AsProgressNotice(event)) progress.push_back(n->Value());
        if (const TQRNotice* n = AsPageAvailableNotice(event)) pages.push_back(n->Value());
    }
};

TEST_F(ReportPrinterTest, ProgressAndAvailablePagesArePostedToALiveClient)
{
    const auto printer = MakeReportPrinter();
    auto client = std::make_unique<NoticeRecorder>();
    printer->SetClient(client.get());
    printer->SetProgress(40);
    printer->SetAvailablePages(3);
    EXPECT_EQ(printer->Progress(), 40);
    EXPECT_EQ(printer->AvailablePages(), 3);
    EXPECT_TRUE(client->progress.empty()) << "posted, not sent";
    QCoreApplication::processEvents();
    EXPECT_EQ(client->progress, std::vector<int>{40});
    EXPECT_EQ(client->pages, std::vector<int>{3});

    printer->SetProgress(50);
    client.reset();
    EXPECT_EQ(printer->Client(), nullptr) << "a destroyed client reads back as none";
    printer->SetProgress(60);
    QCoreApplication::processEvents();
    EXPECT_EQ(printer->Progress(), 60);

    // Someone else's event of the same number is no notice.
    QEvent sameNumber(kProgressNotice);
    EXPECT_EQ(AsProgressNotice(&sameNumber), nullptr);
    TQRNotice progress(kProgressNotice, 1);
    EXPECT_EQ(AsPageAvailableNotice(&progress), nullptr);
}

TEST_F(ReportPrinterTest, ShowingPreviewCallsAfterPreviewWhenThePreviewLetsGo)
{
    const auto printer = MakeReportPrinter();
    int calls = 0;
    printer->SetAfterPreview([&](TQRPrinter* sender) {
        EXPECT_EQ(sender, printer.get());
        ++calls;
    });
    printer->SetShowingPreview(false);
    printer->SetShowingPreview(true);
    printer->SetShowingPreview(true);
    EXPECT_EQ(calls, 0);
    printer->SetShowingPreview(false);
    EXPECT_EQ(calls, 1);

    printer->SetShowingPreview(true);
    printer->SetAfterPreview([](TQRPrinter*) { throw EPrinter("handler failed"); });
    EXPECT_THROW(printer->SetShowingPreview(false), EPrinter);
    EXPECT_FALSE(printer->ShowingPreview()) << "the value is stored even when the event raises";
}

// A preview stand-in: a control that shows a report printer.
class ViewStandIn : public QObject, public TQRPrinterView {
public:
    void SetQRPrinter(TQRPrinter* printer) override
    {
        bound = printer;
        ++calls;
    }
    TQRPrinter* bound = nullptr;
    int calls = 0;
};

TEST_F(ReportPrinterTest, DestroyingUnbindsThePreviewThatShowsIt)
{
    AddPrinter("Office");
    ViewStandIn view, other;
    auto printer = MakeReportPrinter();
    printer->Load(Report({kA4}));
    view.bound = printer.get();
    printer->SetClient(&view);
    printer.reset();
    EXPECT_EQ(view.calls, 1);
    EXPECT_EQ(view.bound, nullptr);
    EXPECT_EQ(other.calls, 0);
}

TEST_F(ReportPrinterTest, SharedReportPrinterBelongsToABlankLayout)
{
    AddPrinter("Office");
    TQRPrinter& shared = SharedReportPrinter();
    EXPECT_EQ(&SharedReportPrinter(), &shared);
    ASSERT_NE(shared.ParentReport(), nullptr);
    EXPECT_TRUE(shared.ParentReport()->ShowProgress());
    EXPECT_EQ(shared.ParentReport()->PrevInitialZoom(), qrZoomToFit);
    EXPECT_FALSE(shared.UseStandardPrinter());
    EXPECT_NE(&shared.Printer(), qrp::Printer()) << "a printer object of its own";
    EXPECT_EQ(shared.PrinterSettings().MemoryLimit(), 250000);
    EXPECT_TRUE(shared.PrinterOK());
    EXPECT_EQ(shared.Status(), mpReady);
    EXPECT_EQ(shared.Destination(), qrdMetafile);
    DestroySharedReportPrinter();
}

}  // namespace
}  // namespace qrp
