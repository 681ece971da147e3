#include "platform/printer.h"

#include "base/exceptions.h"
#include "platform/canvas.h"
#include "platform/messages.h"
#include "platform/testing/test_print_system.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <memory>

namespace qrp {
namespace {

using testsupport::ScopedPrintSystem;
using testsupport::TestPrinter;
using testsupport::TestPrintSystem;

std::string MessageOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const EPrinter& e) {
        return e.what();
    }
    return "(nothing raised)";
}

class PrinterTest : public ::testing::Test {
protected:
    PrinterTest() : system(std::make_shared<TestPrintSystem>())
    {
        system->AddPrinter("Office");
        system->AddPrinter("Home").SetSheet(300, 300, 2550, 3300, 50, 40, 2450, 3200);
        system->SetDefaultPrinter("Home");
        printer = std::make_unique<TPrinter>(system);
    }

    std::shared_ptr<TestPrintSystem> system;
    std::unique_ptr<TPrinter> printer;
};

TEST_F(PrinterTest, SelectsTheSystemDefaultAndChecksIndices)
{
    EXPECT_EQ(printer->Printers(), QStringList({"Office", "Home"}));
    EXPECT_EQ(printer->PrinterIndex(), 1);
    printer->SetPrinterIndex(0);
    EXPECT_EQ(printer->PrinterIndex(), 0);
    EXPECT_EQ(MessageOf([&] { printer->SetPrinterIndex(2); }), "Printer index out of range");
    EXPECT_EQ(MessageOf([&] { printer->SetPrinterIndex(-2); }), "Printer index out of range");
    EXPECT_EQ(printer->PrinterIndex(), 0);
    printer->SetPrinterIndex(-1);
    EXPECT_EQ(printer->PrinterIndex(), 1);

    // A refresh keeps the selection by name; a printer that is gone falls back to the default.
    system->AddPrinter("Annex");
    printer->SetPrinterIndex(0);
    system->RemovePrinter("Office");
    printer->Refresh();
    EXPECT_EQ(printer->Printers(), QStringList({"Home", "Annex"}));
    EXPECT_EQ(printer->PrinterIndex(), 0);
    EXPECT_EQ(printer->Printers()[0], "Home");
}

TEST_F(PrinterTest, WithoutPrintersNothingIsSelectedAndQueriesFail)
{
    auto empty = std::make_shared<TestPrintSystem>();
    TPrinter none(empty);
    EXPECT_TRUE(none.Printers().isEmpty());
    EXPECT_EQ(none.PrinterIndex(), -1);
    HDEVMODE block = nullptr;
    EXPECT_EQ(MessageOf([&] { none.GetPrinter(nullptr, nullptr, nullptr, 0, block); }), "Printer selected is not valid");
    EXPECT_EQ(MessageOf([&] { none.Handle(); }), "Printer selected is not valid");
    EXPECT_EQ(MessageOf([&] { none.BeginDoc(); }), "Printer selected is not valid");
    EXPECT_EQ(MessageOf([&] { none.SetPrinterIndex(0); }), "Printer index out of range");
    EXPECT_FALSE(none.Printing());
}

TEST_F(PrinterTest, GetPrinterHandsOutItsOwnBlock)
{
    char16_t device[6], driver[64], port[64];
    HDEVMODE first = nullptr;
    printer->SetPrinterIndex(0);
    printer->GetPrinter(device, driver, port, 6, first);
    EXPECT_EQ(QString::fromUtf16(device), "Offic");  // cut to the buffer
    ASSERT_NE(first, nullptr);
    first->DevMode.dmCopies = 5;
    HDEVMODE again = nullptr;
    printer->GetPrinter(nullptr, driver, port, 64, again);
    EXPECT_EQ(again, first);
    EXPECT_EQ(QString::fromUtf16(driver), "test-driver");
    EXPECT_EQ(again->DevMode.dmCopies, 5);

    // SetPrinter with its own block keeps the edits; with none, the defaults come back.
    printer->SetPrinter(u"Office", driver, port, again);
    printer->GetPrinter(nullptr, nullptr, nullptr, 0, again);
    EXPECT_EQ(again->DevMode.dmCopies, 5);
    printer->SetPrinter(u"Office", driver, port, nullptr);
    printer->GetPrinter(nullptr, nullptr, nullptr, 0, again);
    EXPECT_EQ(again->DevMode.dmCopies, 1);

    // A foreign block is copied, not adopted.
    TDeviceModeBlock foreign;
    foreign.DevMode = again->DevMode;
    foreign.DevMode.dmCopies = 3;
    printer->SetPrinter(u"Home", driver, port, &foreign);
    EXPECT_EQ(printer->PrinterIndex(), 1);
    printer->GetPrinter(nullptr, nullptr, nullptr, 0, again);
    EXPECT_NE(again, &foreign);
    EXPECT_EQ(again->DevMode.dmCopies, 3);

    // Another index: the previous printer's device mode does not carry over.
    printer->SetPrinterIndex(0);
    printer->GetPrinter(nullptr, nullptr, nullptr, 0, again);
    EXPECT_EQ(again->DevMode.dmCopies, 1);
}

TEST_F(PrinterTest, HandleAnswersTheDeviceModesOrientationUntilTheNextSetPrinter)
{
    printer->SetPrinterIndex(1);
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), LOGPIXELSX), 300);
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), PHYSICALWIDTH), 2550);
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), PHYSICALOFFSETY), 40);
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), 12345), 0);
    EXPECT_EQ(GetDeviceCaps(nullptr, LOGPIXELSX), 0);
    EXPECT_EQ(printer->PageWidth(), 2450);
    EXPECT_EQ(printer->PageHeight(), 3200);

    HDEVMODE block = nullptr;
    char16_t device[64];
    printer->GetPrinter(device, nullptr, nullptr, 64, block);
    block->DevMode.dmOrientation = DMORIENT_LANDSCAPE;
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), PHYSICALWIDTH), 2550);  // the context in hand
    printer->SetPrinter(device, nullptr, nullptr, block);
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), PHYSICALWIDTH), 3300);
    EXPECT_EQ(GetDeviceCaps(printer->Handle(), PHYSICALOFFSETX), 40);
    EXPECT_EQ(printer->PageWidth(), 3200);
}

TEST_F(PrinterTest, DocumentsAreRecordedPageByPage)
{
    printer->SetTitle("report");
    printer->BeginDoc();
    ASSERT_TRUE(printer->Printing());
    EXPECT_EQ(printer->PageNumber(), 1);
    TCanvas* canvas = printer->Canvas();
    ASSERT_NE(canvas, nullptr);
    canvas->SetBrushColor(0x0000FF);
    canvas->Rectangle(-50, -40, 100, 200);
    printer->NewPage();
    EXPECT_EQ(printer->PageNumber(), 2);
    printer->Canvas()->Painter()->fillRect(QRect(10, 20, 30, 40), Qt::green);
    printer->EndDoc();
    EXPECT_FALSE(printer->Printing());
    EXPECT_EQ(printer->PageNumber(), 0);

    ASSERT_EQ(system->Jobs().size(), 1u);
    const testsupport::RecordedJob& job = system->Jobs()[0];
    EXPECT_EQ(job.Printer, "Home");
    EXPECT_EQ(job.Title, "report");
    EXPECT_TRUE(job.Started);
    EXPECT_TRUE(job.Ended);
    EXPECT_FALSE(job.Aborted);
    EXPECT_EQ(job.AbortProcCalls, 2);
    ASSERT_EQ(job.Pages.size(), 2u);
    EXPECT_EQ(job.Pages[0].Bounds(), QRectF(-50, -40, 150, 240));
    EXPECT_EQ(job.Pages[0].Calls.front().Brush, QColor(255, 0, 0));
    EXPECT_EQ(job.Pages[1].Bounds(), QRectF(10, 20, 30, 40));
}

TEST_F(PrinterTest, CallsOutsideAJobRaise)
{
    EXPECT_EQ(MessageOf([&] { printer->NewPage(); }), "Printer is not currently printing");
    EXPECT_EQ(MessageOf([&] { printer->EndDoc(); }), "Printer is not currently printing");
    EXPECT_EQ(MessageOf([&] { printer->Canvas(); }), "Printer is not currently printing");
    printer->Abort();  // nothing open: nothing to do
    printer->BeginDoc();
    EXPECT_EQ(MessageOf([&] { printer->BeginDoc(); }), "Printing in progress");
    EXPECT_EQ(MessageOf([&] { printer->SetPrinterIndex(0); }), "Printing in progress");
    EXPECT_EQ(MessageOf([&] { printer->SetPrinter(u"Office", nullptr, nullptr, nullptr); }), "Printing in progress");
    printer->EndDoc();
    EXPECT_TRUE(system->Jobs()[0].Ended);
}

TEST_F(PrinterTest, AbortDiscardsTheJobAndTheNextOneRuns)
{
    printer->BeginDoc();
    printer->NewPage();
    printer->Abort();
    EXPECT_FALSE(printer->Printing());
    EXPECT_FALSE(printer->Aborted());
    printer->BeginDoc();
    printer->EndDoc();
    ASSERT_EQ(system->Jobs().size(), 2u);
    EXPECT_TRUE(system->Jobs()[0].Aborted);
    EXPECT_FALSE(system->Jobs()[0].Ended);
    EXPECT_TRUE(system->Jobs()[1].Ended);
}

TEST_F(PrinterTest, TheAbortProcedureLetsMessagesRun)
{
    int pumps = 0;
    const auto previous = SetProcessMessagesObserver([&] { ++pumps; });
    printer->BeginDoc();
    printer->NewPage();
    printer->NewPage();
    printer->EndDoc();
    SetProcessMessagesObserver(previous);
    EXPECT_EQ(pumps, 3);
    EXPECT_EQ(system->Jobs()[0].AbortProcCalls, 3);
}

TEST_F(PrinterTest, RefusedDocumentsAndVanishedPrinters)
{
    system->Find("Home")->RefuseDocuments = true;
    printer->BeginDoc();  // refused: no job, nothing raised
    EXPECT_FALSE(printer->Printing());
    EXPECT_EQ(MessageOf([&] { printer->NewPage(); }), "Printer is not currently printing");
    ASSERT_EQ(system->Jobs().size(), 1u);
    EXPECT_FALSE(system->Jobs()[0].Started);

    // Turned away once finished: the job is closed and the failure raised.
    system->Find("Home")->RefuseDocuments = false;
    system->Find("Home")->RefuseFinishedJobs = true;
    printer->BeginDoc();
    EXPECT_EQ(MessageOf([&] { printer->EndDoc(); }), "The print system did not accept the job");
    EXPECT_FALSE(printer->Printing());
    EXPECT_TRUE(system->Jobs().back().Aborted);

    // Listed, then gone before the job starts.
    printer->SetPrinterIndex(0);
    system->RemovePrinter("Office");
    EXPECT_EQ(MessageOf([&] { printer->BeginDoc(); }), "Printer selected is not valid");
    EXPECT_FALSE(printer->Printing());
    // Selected by a name the system never knew.
    printer->SetPrinter(u"Nowhere", nullptr, nullptr, nullptr);
    EXPECT_EQ(printer->Printers().size(), 3);
    EXPECT_EQ(MessageOf([&] { printer->Handle(); }), "Printer selected is not valid");
    EXPECT_EQ(MessageOf([&] { printer->BeginDoc(); }), "Printer selected is not valid");
}

TEST_F(PrinterTest, PaperListsComeThroughDeviceCapabilities)
{
    int16_t codes[8] = {};
    ScopedPrintSystem scope(system);
    EXPECT_EQ(DeviceCapabilitiesW(u"Office", u"test:", DC_PAPERS, nullptr, 0, nullptr), 4);
    EXPECT_EQ(DeviceCapabilitiesW(u"Office", u"test:", DC_PAPERS, codes, 2, nullptr), 4);
    EXPECT_EQ(codes[0], 1);
    EXPECT_EQ(codes[1], 5);
    EXPECT_EQ(codes[2], 0);  // beyond the room given
    EXPECT_EQ(DeviceCapabilitiesW(u"Nowhere", u"", DC_PAPERS, nullptr, 0, nullptr), -1);
    EXPECT_EQ(DeviceCapabilitiesW(u"Office", u"", 3, nullptr, 0, nullptr), -1);
    system->Find("Office")->Papers.reset();
    EXPECT_EQ(DeviceCapabilitiesW(u"Office", u"", DC_PAPERS, codes, 8, nullptr), -1);
}

TEST_F(PrinterTest, TheProcessPrinterFollowsTheInstalledSystem)
{
    ScopedPrintSystem scope(system);
    TPrinter* process = Printer();
    EXPECT_EQ(process, Printer());
    EXPECT_EQ(&process->System(), system.get());
    EXPECT_EQ(process->PrinterIndex(), 1);
    auto other = std::make_shared<TestPrintSystem>();
    ScopedPrintSystem inner(other);
    EXPECT_EQ(&Printer()->System(), other.get());
    EXPECT_EQ(Printer()->PrinterIndex(), -1);
}

}  // namespace
}  // namespace qrp
