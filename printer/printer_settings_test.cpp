#include "printer/printer_settings.h"

#include "base/exceptions.h"
#include "platform/messages.h"
#include "platform/printer.h"
#include "platform/testing/test_print_system.h"

#include <gtest/gtest.h>

#include <memory>

namespace qrp {
namespace {

using PS = TQRPaperSize;
using testsupport::ScopedPrintSystem;
using testsupport::TestPrinter;
using testsupport::TestPrintSystem;

class PrinterSettingsTest : public ::testing::Test {
protected:
    PrinterSettingsTest()
        : system(std::make_shared<TestPrintSystem>()), scope(system), office(&system->AddPrinter("Office"))
    {
    }

    // The device mode the printer object holds now.
    DEVMODEW& Block()
    {
        HDEVMODE block = nullptr;
        printer->GetPrinter(nullptr, nullptr, nullptr, 0, block);
        EXPECT_NE(block, nullptr);
        return block->DevMode;
    }

    void Bind()
    {
        printer = std::make_unique<TPrinter>(system);
        settings.SetPrinter(printer.get());
    }

    std::shared_ptr<TestPrintSystem> system;
    ScopedPrintSystem scope;
    TestPrinter* office;
    std::unique_ptr<TPrinter> printer;
    TPrinterSettings settings;
};

TEST_F(PrinterSettingsTest, BindingReadsTheDevice)
{
    Bind();
    EXPECT_EQ(settings.Printer(), printer.get());
    EXPECT_EQ(settings.Device(), "Office");
    EXPECT_EQ(settings.Driver(), "test-driver");
    EXPECT_EQ(settings.Port(), "test:");
    EXPECT_EQ(settings.Index(), 0);
    EXPECT_EQ(settings.PixelsPerX(), 600);
    EXPECT_EQ(settings.PixelsPerY(), 600);
    EXPECT_EQ(settings.Copies(), 1);
    EXPECT_EQ(settings.PaperSize(), PS::A4);
    EXPECT_EQ(settings.OutputBin(), TQRBin::Auto);
    EXPECT_EQ(settings.Collate(), 1);
    EXPECT_EQ(settings.PrintQuality(), 600);
    EXPECT_EQ(settings.LeftOffset(), 42);  // 100 dots at 600 dpi
    EXPECT_EQ(settings.TopOffset(), 42);
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::Letter));
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::A5));
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::Custom));
    EXPECT_FALSE(settings.GetPaperSizeSupported(PS::A3));
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::Default));
}

TEST_F(PrinterSettingsTest, UnboundSettingsIgnoreGuardedSetters)
{
    EXPECT_EQ(settings.Index(), -1);
    EXPECT_EQ(settings.PaperSize(), PS::A4);
    settings.SetCopies(4);
    settings.SetOrientation(poLandscape);
    settings.SetDuplex(true);
    settings.SetOutputBin(TQRBin::Lower);
    settings.SetPaperSize(PS::Letter);
    EXPECT_EQ(settings.Copies(), 0);
    EXPECT_EQ(settings.Orientation(), poPortrait);
    EXPECT_FALSE(settings.Duplex());
    EXPECT_EQ(settings.OutputBin(), TQRBin::First);
    EXPECT_EQ(settings.PaperSize(), PS::A4);
    settings.ApplySettings();  // unbound: nothing to reach
    settings.SetPaperSize(PS::Default);
    EXPECT_EQ(settings.PaperSize(), PS::Default);
}

TEST_F(PrinterSettingsTest, PaperCodesReadBackAsSizes)
{
    struct Case {
        int16_t code;
        PS size;
    } cases[] = {{256, PS::Custom}, {118, PS::Default}, {70, PS::Default}, {1, PS::Letter}, {68, PS::A3ExtraTrans}};
    for (const Case& c : cases) {
        office->DefaultDevMode->dmPaperSize = c.code;
        Bind();
        EXPECT_EQ(settings.PaperSize(), c.size) << "code " << c.code;
    }
    office->DefaultDevMode->dmPaperSize = DMPAPER_A4;
    office->DefaultDevMode->dmFields &= ~DM_PAPERSIZE;
    Bind();
    EXPECT_EQ(settings.PaperSize(), PS::Default);
}

TEST_F(PrinterSettingsTest, CustomPaperIsWrittenAsTheUserCodeWithItsOwnMeasures)
{
    Bind();
    settings.SetPaperSize(PS::Custom);
    settings.SetPaperWidth(1000);
    settings.SetPaperLength(1500);
    EXPECT_EQ(settings.PaperWidth(), 1000);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmPaperSize, 256);
    EXPECT_EQ(Block().dmPaperWidth, 1000);
    EXPECT_EQ(Block().dmPaperLength, 1500);
    settings.GetSettings();
    EXPECT_EQ(settings.PaperSize(), PS::Custom);

    settings.SetUseCustomPaperCode(true);
    settings.SetCustomPaperCode(300);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmPaperSize, 300);
}

TEST_F(PrinterSettingsTest, BinCodesReadBackAsTheFirstMatchingBin)
{
    struct Case {
        int16_t code;
        TQRBin bin;
    } cases[] = {{1, TQRBin::First}, {14, TQRBin::Cassette}, {15, TQRBin::First}, {257, TQRBin::First}, {2, TQRBin::Lower}};
    for (const Case& c : cases) {
        office->DefaultDevMode->dmDefaultSource = c.code;
        Bind();
        EXPECT_EQ(settings.OutputBin(), c.bin) << "code " << c.code;
    }
    settings.SetOutputBin(TQRBin::Last);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmDefaultSource, 14);
    settings.SetUseCustomBinCode(true);
    settings.SetCustomBinCode(257);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmDefaultSource, 257);
}

TEST_F(PrinterSettingsTest, FieldsTheDriverDidNotOfferAreAddedByTheFirstApply)
{
    office->SetFields(DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH);
    office->DefaultDevMode->dmCopies = 7;
    Bind();
    EXPECT_EQ(settings.Copies(), 1);
    settings.SetCopies(3);
    settings.SetOrientation(poLandscape);
    settings.SetOutputBin(TQRBin::Manual);
    EXPECT_EQ(settings.Copies(), 1);
    EXPECT_EQ(settings.Orientation(), poPortrait);
    EXPECT_EQ(settings.OutputBin(), TQRBin::First);

    settings.ApplySettings();
    const DEVMODEW& dm = Block();
    EXPECT_EQ(dm.dmFields & (DM_COPIES | DM_ORIENTATION | DM_DEFAULTSOURCE), DM_COPIES | DM_ORIENTATION | DM_DEFAULTSOURCE);
    EXPECT_EQ(dm.dmCopies, 1);
    settings.SetCopies(3);
    settings.SetOrientation(poLandscape);
    settings.SetOutputBin(TQRBin::Manual);
    EXPECT_EQ(settings.Copies(), 3);
    EXPECT_EQ(settings.Orientation(), poLandscape);
    EXPECT_EQ(settings.OutputBin(), TQRBin::Manual);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmCopies, 3);
    EXPECT_EQ(Block().dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(Block().dmDefaultSource, 4);
    // Orientation is never read back from the device.
    settings.GetSettings();
    EXPECT_EQ(settings.Orientation(), poLandscape);
}

TEST_F(PrinterSettingsTest, PaperSizesOutsideTheDeviceListAreIgnored)
{
    Bind();
    settings.SetPaperSize(PS::Letter);
    settings.SetPaperSize(PS::A3);
    EXPECT_EQ(settings.PaperSize(), PS::Letter);
    settings.SetPaperSize(PS::Custom);
    EXPECT_EQ(settings.PaperSize(), PS::Custom);
    settings.SetPaperSize(PS::Default);
    EXPECT_EQ(settings.PaperSize(), PS::Default);
    settings.SetPaperSize(static_cast<PS>(200));
    EXPECT_EQ(settings.PaperSize(), PS::Default);
}

TEST_F(PrinterSettingsTest, NamedSizesMeasureFromTheCatalogueAndDefaultFromTheSheet)
{
    // A sheet that is not quite A4: 2110 x 2980 at 600 dpi.
    office->SetSheet(600, 600, 4984, 7039, 0, 0, 4984, 7039);
    Bind();
    EXPECT_EQ(settings.PaperSize(), PS::A4);
    EXPECT_EQ(settings.PaperWidth(), 2100);
    EXPECT_EQ(settings.PaperLength(), 2970);
    settings.SetPaperWidth(1234);
    EXPECT_EQ(settings.PaperWidth(), 2100);

    settings.SetPaperWidth(2110);
    settings.SetPaperSize(PS::Default);
    EXPECT_EQ(settings.PaperWidth(), 2110);
    EXPECT_EQ(settings.PaperLength(), 2980);
    Block().dmPaperSize = 11;
    settings.ApplySettings();
    EXPECT_EQ(Block().dmPaperSize, 11);  // Default leaves the device's paper
    EXPECT_EQ(Block().dmPaperWidth, 2110);
    EXPECT_EQ(Block().dmPaperLength, 2980);
}

TEST_F(PrinterSettingsTest, OffsetsAndSheetAreRoundedFromDevicePixels)
{
    office->SetSheet(600, 300, 4961, 3508, 100, 25, 4761, 3458);
    Bind();
    EXPECT_EQ(settings.LeftOffset(), 42);  // Round(100 / 600 x 254)
    EXPECT_EQ(settings.TopOffset(), 21);   // Round(25 / 300 x 254) = Round(21.17)
    settings.SetPaperSize(PS::Default);
    EXPECT_EQ(settings.PaperWidth(), 2100);
    EXPECT_EQ(settings.PaperLength(), 2970);
}

TEST_F(PrinterSettingsTest, DuplexFollowsTheDeviceOnlyWhenItOffersDuplex)
{
    Bind();
    settings.SetExtendedDuplex(5);
    settings.GetSettings();
    EXPECT_FALSE(settings.Duplex());
    EXPECT_EQ(settings.ExtendedDuplex(), 5);
    Block().dmDuplex = 9;
    settings.ApplySettings();
    EXPECT_EQ(Block().dmDuplex, 9);
    EXPECT_EQ(Block().dmFields & DM_DUPLEX, 0u);

    office->SetFields(office->DefaultDevMode->dmFields | DM_DUPLEX);
    office->DefaultDevMode->dmDuplex = DMDUP_VERTICAL;
    Bind();
    EXPECT_TRUE(settings.Duplex());
    EXPECT_EQ(settings.ExtendedDuplex(), 2);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmDuplex, 2);  // the device's own value goes back
    settings.SetExtendedDuplex(0);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmDuplex, DMDUP_HORIZONTAL);
    settings.SetDuplex(false);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmDuplex, DMDUP_SIMPLEX);
}

TEST_F(PrinterSettingsTest, CancelledApplyKeepsTheEditsForTheNextJob)
{
    Bind();
    settings.SetOrientation(poLandscape);
    settings.SetCopies(2);
    int calls = 0;
    settings.SetOnApplyPrinterSettings([&](TPrinterSettings* sender, bool& cancel, DEVMODEW* devMode) {
        ++calls;
        EXPECT_EQ(sender, &settings);
        EXPECT_FALSE(cancel);
        EXPECT_EQ(devMode->dmCopies, 2);
        devMode->dmColor = DMCOLOR_MONOCHROME;
        cancel = true;
    });
    printer->Handle();
    const int contexts = system->InformationContexts();
    settings.ApplySettings();
    EXPECT_EQ(calls, 1);
    printer->Handle();
    EXPECT_EQ(system->InformationContexts(), contexts) << "SetPrinter ran and dropped the context";

    printer->BeginDoc();
    printer->EndDoc();
    ASSERT_EQ(system->Jobs().size(), 1u);
    EXPECT_EQ(system->Jobs()[0].DevMode.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(system->Jobs()[0].DevMode.dmCopies, 2);
    EXPECT_EQ(system->Jobs()[0].DevMode.dmColor, DMCOLOR_MONOCHROME);

    settings.SetOnApplyPrinterSettings(nullptr);
    settings.ApplySettings();
    printer->Handle();
    EXPECT_EQ(system->InformationContexts(), contexts + 1);
}

TEST_F(PrinterSettingsTest, CancelledReadLeavesEveryField)
{
    Bind();
    office->DefaultDevMode->dmPaperSize = DMPAPER_LETTER;
    ResetDeviceMode(printer.get());
    settings.SetOnGetPrinterSettings([](TPrinterSettings*, bool& cancel, DEVMODEW*) { cancel = true; });
    settings.GetSettings();
    EXPECT_EQ(settings.PaperSize(), PS::A4);
    EXPECT_EQ(settings.Printer(), printer.get());
}

TEST_F(PrinterSettingsTest, SwitchingPrintersReadsTheNewDevicesPaper)
{
    TestPrinter& home = system->AddPrinter("Home");
    home.DefaultDevMode->dmPaperSize = DMPAPER_LETTER;
    home.SetSheet(300, 300, 2550, 3300, 50, 50, 2450, 3200);
    Bind();
    settings.SetPaperSize(PS::A5);
    settings.SetOrientation(poLandscape);
    printer->SetPrinterIndex(1);
    ResetDeviceMode(printer.get());
    settings.GetSettings();
    EXPECT_EQ(settings.Device(), "Home");
    EXPECT_EQ(settings.Index(), 1);
    EXPECT_EQ(settings.PaperSize(), PS::Letter);
    EXPECT_EQ(settings.PixelsPerX(), 300);
    EXPECT_EQ(settings.Orientation(), poLandscape);
}

TEST_F(PrinterSettingsTest, ResetDeviceModeDropsEditsAndLongNamesAreCut)
{
    const QString longName(600, QChar('P'));
    system->AddPrinter(longName);
    Bind();
    Block().dmCopies = 9;
    ResetDeviceMode(printer.get());
    // Until the next read the settings hold the freed block's address: nothing may use it.
    EXPECT_FALSE(settings.SettingSupported(DM_COPIES));
    settings.SetCopies(4);
    EXPECT_EQ(settings.Copies(), 1);
    EXPECT_EQ(Block().dmCopies, 1);
    ResetDeviceMode(nullptr);

    printer->SetPrinterIndex(1);
    settings.GetSettings();
    EXPECT_EQ(settings.Device().size(), kPrinterNameChars - 1);
    // The 261-character buffers of ResetDeviceMode cut the name: it selects another printer
    // object entry, which the print system does not know.
    ResetDeviceMode(printer.get());
    EXPECT_EQ(printer->Printers()[printer->PrinterIndex()].size(), 260);
    EXPECT_THROW(printer->Handle(), EPrinter);
}

TEST_F(PrinterSettingsTest, FailedReadsUnbindAndKeepWhatWasRead)
{
    office->SetSheet(0, 0, 4961, 7016, 100, 100, 4761, 6816);  // resolution 0
    Bind();
    EXPECT_EQ(settings.Printer(), nullptr);
    EXPECT_EQ(settings.PixelsPerX(), 0);
    EXPECT_EQ(settings.Copies(), 1);  // read before the failure
    EXPECT_FALSE(settings.SettingSupported(DM_COPIES));
    settings.SetCopies(5);
    EXPECT_EQ(settings.Copies(), 1);
    settings.ApplySettings();

    office->SetA4(600);
    office->FailDeviceContext = true;
    Bind();
    EXPECT_EQ(settings.Printer(), nullptr);

    office->FailDeviceContext = false;
    settings.SetOnGetPrinterSettings([](TPrinterSettings*, bool&, DEVMODEW*) { throw std::runtime_error("handler"); });
    Bind();
    EXPECT_EQ(settings.Printer(), nullptr);
}

TEST_F(PrinterSettingsTest, MissingDeviceModeOrPaperListFallsBackSilently)
{
    Bind();
    settings.SetPaperSize(PS::Letter);
    office->Papers.reset();  // DC_PAPERS answers -1
    settings.GetSettings();
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::Letter));  // previous entries stay
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::Custom));
    office->Papers = std::vector<int16_t>{};  // an empty list
    settings.GetSettings();
    EXPECT_FALSE(settings.GetPaperSizeSupported(PS::Letter));
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::Custom));
    office->Papers = std::vector<int16_t>{8, 0, 118, 256, -3};
    settings.GetSettings();
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::A3));
    EXPECT_TRUE(settings.GetPaperSizeSupported(PS::Custom));
    EXPECT_FALSE(settings.GetPaperSizeSupported(PS::A4));

    // A printer without a device mode: nothing is read, the printer stays bound, and a job
    // runs on the device's own defaults.
    TestPrinter& bare = system->AddPrinter("Bare");
    bare.DefaultDevMode.reset();
    printer->Refresh();
    printer->SetPrinterIndex(1);
    settings.SetPaperSize(PS::Default);
    settings.GetSettings();
    EXPECT_EQ(settings.Printer(), printer.get());
    EXPECT_EQ(settings.PaperSize(), PS::Default);
    settings.ApplySettings();
    printer->BeginDoc();
    printer->EndDoc();
    EXPECT_EQ(system->Jobs().back().Printer, "Bare");
}

TEST_F(PrinterSettingsTest, EveryReadLetsMessagesRunFirst)
{
    int pumps = 0;
    const auto previous = SetProcessMessagesObserver([&] { ++pumps; });
    Bind();
    EXPECT_EQ(pumps, 1);
    settings.GetSettings();
    EXPECT_EQ(pumps, 2);
    SetProcessMessagesObserver(previous);
}

TEST_F(PrinterSettingsTest, ValuesAreWrittenAsTheirLow16Bits)
{
    Bind();
    settings.SetCopies(65536 + 2);
    settings.SetCollate(-1);
    settings.ApplySettings();
    EXPECT_EQ(Block().dmCopies, 2);
    EXPECT_EQ(Block().dmCollate, -1);
    settings.GetSettings();
    EXPECT_EQ(settings.Collate(), -1);  // sign-extended
}

TEST(DefaultPrinterPaperSize, ReadsTheProcessPrintersPaper)
{
    auto system = std::make_shared<TestPrintSystem>();
    ScopedPrintSystem scope(system);
    EXPECT_EQ(DefaultPrinterPaperSize(), PS::Default);  // no printer installed

    TestPrinter& office = system->AddPrinter("Office");
    office.DefaultDevMode->dmPaperSize = DMPAPER_LETTER;
    InstallPrintSystem(system);
    EXPECT_EQ(DefaultPrinterPaperSize(), PS::Letter);

    office.DefaultDevMode->dmPaperSize = 118;
    InstallPrintSystem(system);
    EXPECT_EQ(DefaultPrinterPaperSize(), PS::Default);

    office.SetFields(DM_ORIENTATION);
    office.DefaultDevMode->dmPaperSize = DMPAPER_LETTER;
    InstallPrintSystem(system);
    EXPECT_EQ(DefaultPrinterPaperSize(), PS::Default);

    office.DefaultDevMode.reset();
    InstallPrintSystem(system);
    EXPECT_EQ(DefaultPrinterPaperSize(), PS::Default);
}

}  // namespace
}  // namespace qrp
