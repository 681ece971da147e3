#include "platform/qt_printer_setup.h"

#include "platform/cups_queue.h"

#include <QPrinter>
#include <QPrinterInfo>

#include <gtest/gtest.h>

namespace qrp {
namespace {

DEVMODEW DevModeWith(uint32_t fields)
{
    DEVMODEW dm = MakeDevMode(u"pdf");
    dm.dmFields = fields;
    return dm;
}

TEST(QtPrinterSetup, PaperComesFromTheCodeThenTheMeasuresThenThePrinter)
{
    const QPrinterInfo none;
    DEVMODEW dm = DevModeWith(DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH);
    dm.dmPaperSize = DMPAPER_LETTER;
    dm.dmPaperWidth = 1000;
    dm.dmPaperLength = 1500;
    EXPECT_EQ(PageSizeOf(dm, none).id(), QPageSize::Letter);
    dm.dmPaperSize = 8;
    EXPECT_EQ(PageSizeOf(dm, none).id(), QPageSize::A3);
    for (int16_t code : {int16_t(256), int16_t(14), int16_t(0), int16_t(-4), int16_t(300)}) {
        dm.dmPaperSize = code;
        EXPECT_EQ(PageSizeOf(dm, none).size(QPageSize::Millimeter), QSizeF(100, 150)) << code;
    }
    dm.dmFields = DM_PAPERWIDTH;  // half a size: ignored
    EXPECT_EQ(PageSizeOf(dm, none).id(), QPageSize::A4);
    dm.dmFields = DM_PAPERWIDTH | DM_PAPERLENGTH;
    dm.dmPaperLength = 0;
    EXPECT_EQ(PageSizeOf(dm, none).id(), QPageSize::A4);

    EXPECT_EQ(PaperCodeOf(QPageSize(QPageSize::A4)), 9);
    EXPECT_EQ(PaperCodeOf(QPageSize(QSizeF(100, 150), QPageSize::Millimeter)), DMPAPER_USER);
}

TEST(QtPrinterSetup, CapabilitiesFollowResolutionPaperAndOrientation)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    DEVMODEW dm = DevModeWith(DM_PAPERSIZE | DM_ORIENTATION | DM_PRINTQUALITY | DM_COPIES | DM_COLLATE | DM_DUPLEX | DM_COLOR);
    dm.dmPaperSize = DMPAPER_A4;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPrintQuality = 300;
    dm.dmCopies = 3;
    dm.dmCollate = DMCOLLATE_FALSE;
    dm.dmDuplex = DMDUP_HORIZONTAL;
    dm.dmColor = DMCOLOR_MONOCHROME;
    ConfigurePrinter(printer, QPrinterInfo(), dm);
    EXPECT_EQ(printer.copyCount(), 3);
    EXPECT_FALSE(printer.collateCopies());
    EXPECT_EQ(printer.colorMode(), QPrinter::GrayScale);
    TDeviceCaps caps = CapsOfPrinter(printer);
    EXPECT_EQ(caps.LogPixelsX, 300);
    EXPECT_EQ(caps.PhysicalWidth, 2480);
    EXPECT_EQ(caps.PhysicalHeight, 3508);
    EXPECT_EQ(caps.PhysicalOffsetX, 0);
    EXPECT_EQ(caps.HorzRes, 2480);

    dm.dmOrientation = DMORIENT_LANDSCAPE;
    ConfigurePrinter(printer, QPrinterInfo(), dm);
    caps = CapsOfPrinter(printer);
    EXPECT_EQ(caps.PhysicalWidth, 3508);
    EXPECT_EQ(caps.PhysicalHeight, 2480);
    EXPECT_EQ(caps.VertRes, 2480);
}

TEST(CupsInputSlots, StandardKeywordsTakeThePlatformsCodesOthersFollow256)
{
    const QStringList choices = {"Auto", "Tray1", "Upper", "Cassette", "Tray2"};
    EXPECT_EQ(CupsBinForInputSlot("Auto", choices), 7);
    EXPECT_EQ(CupsBinForInputSlot("Upper", choices), 1);
    EXPECT_EQ(CupsBinForInputSlot("Cassette", choices), 14);
    EXPECT_EQ(CupsBinForInputSlot("Tray1", choices), 257);
    EXPECT_EQ(CupsBinForInputSlot("Tray2", choices), 260);
    EXPECT_EQ(CupsBinForInputSlot("Lower", choices), 0);
    EXPECT_EQ(CupsInputSlotForBin(257, choices), "Tray1");
    EXPECT_EQ(CupsInputSlotForBin(14, choices), "Cassette");
    EXPECT_EQ(CupsInputSlotForBin(2, choices), "");
    EXPECT_EQ(CupsInputSlotForBin(256, choices), "");
}

}  // namespace
}  // namespace qrp
