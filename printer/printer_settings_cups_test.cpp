// Printer settings read from and written to the private PDF queue of the test command's
// CUPS server (scripts/cups-test-server.sh). Skipped where no such server runs.
#include "printer/printer_settings.h"

#include "base/exceptions.h"
#include "platform/canvas.h"
#include "platform/printer.h"
#include "platform/qt_print_system.h"
#include "platform/testing/cups_test_queue.h"

#include <QFile>

#include <gtest/gtest.h>

#include <memory>

namespace qrp {
namespace {

using testsupport::CupsTestQueue;

TEST(PrinterSettingsOnCups, ReadsTheQueueAndPrintsWithTheAppliedSettings)
{
    const auto queue = CupsTestQueue::FromEnvironment();
    if (!queue) GTEST_SKIP() << CupsTestQueue::kSkipReason;
    TPrinter printer(std::make_shared<QtPrintSystem>());
    printer.SetPrinterIndex(static_cast<int>(printer.Printers().indexOf(queue->Name())));
    ASSERT_EQ(printer.Printers()[printer.PrinterIndex()], queue->Name());

    TPrinterSettings settings;
    settings.SetPrinter(&printer);
    ASSERT_EQ(settings.Printer(), &printer);
    EXPECT_EQ(settings.Device(), queue->Name());
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    EXPECT_EQ(settings.PaperWidth(), 2100);
    EXPECT_EQ(settings.PaperLength(), 2970);
    EXPECT_EQ(settings.PixelsPerX(), 300);
    EXPECT_EQ(settings.PixelsPerY(), 300);
    EXPECT_EQ(settings.LeftOffset(), 0);
    EXPECT_EQ(settings.TopOffset(), 0);
    EXPECT_EQ(settings.Copies(), 1);
    EXPECT_TRUE(settings.GetPaperSizeSupported(TQRPaperSize::Letter));
    EXPECT_TRUE(settings.GetPaperSizeSupported(TQRPaperSize::A3));
    EXPECT_TRUE(settings.GetPaperSizeSupported(TQRPaperSize::Custom));

    settings.SetPaperSize(TQRPaperSize::Letter);
    settings.SetOrientation(poLandscape);
    settings.SetCopies(2);
    ASSERT_EQ(settings.PaperSize(), TQRPaperSize::Letter);
    settings.ApplySettings();
    settings.GetSettings();
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::Letter);
    EXPECT_EQ(settings.Copies(), 2);
    EXPECT_EQ(printer.PageWidth(), 3300);  // Letter across at 300 dpi

    const QString title = CupsTestQueue::UniqueTitle("settings");
    printer.SetTitle(title);
    printer.BeginDoc();
    ASSERT_TRUE(printer.Printing());
    printer.Canvas()->Rectangle(0, 0, 300, 300);
    printer.NewPage();
    printer.EndDoc();
    const QString pdf = queue->WaitForOutput(title);
    ASSERT_FALSE(pdf.isEmpty());
    const auto facts = CupsTestQueue::ReadPdf(pdf);
    QFile::remove(pdf);
    ASSERT_TRUE(facts);
    EXPECT_EQ(facts->Pages, 4);
    EXPECT_NEAR(std::min(facts->WidthPt, facts->HeightPt), 612, 1.0);
    EXPECT_NEAR(std::max(facts->WidthPt, facts->HeightPt), 792, 1.0);
}

TEST(PrinterSettingsOnCups, AVanishedQueueKeepsTheSettingsAndRefusesTheJob)
{
    const auto queue = CupsTestQueue::FromEnvironment();
    if (!queue) GTEST_SKIP() << CupsTestQueue::kSkipReason;
    const QString name = CupsTestQueue::UniqueTitle("vanishing");
    ASSERT_TRUE(queue->AddQueue(name));
    TPrinter printer(std::make_shared<QtPrintSystem>());
    const int index = static_cast<int>(printer.Printers().indexOf(name));
    if (index < 0) queue->RemoveQueue(name);
    ASSERT_GE(index, 0);
    printer.SetPrinterIndex(index);
    TPrinterSettings settings;
    settings.SetPrinter(&printer);
    EXPECT_EQ(settings.Printer(), &printer);

    queue->RemoveQueue(name);
    ResetDeviceMode(&printer);  // the default device mode of a queue that is gone: none
    settings.GetSettings();     // nothing to read: the fields stay
    EXPECT_EQ(settings.PaperSize(), TQRPaperSize::A4);
    settings.ApplySettings();   // no device mode: nothing to write
    try {
        printer.BeginDoc();
        ADD_FAILURE() << "a job started on a vanished queue";
    } catch (const EPrinter& e) {
        EXPECT_STREQ(e.what(), "Printer selected is not valid");
    }
}

}  // namespace
}  // namespace qrp
