#include "printer/printer_settings.h"

#include "base/arith.h"
#include "base/exceptions.h"
#include "base/swallowed.h"
#include "platform/messages.h"
#include "platform/print_system.h"
#include "platform/printer.h"

#include <algorithm>
#include <vector>

namespace qrp {

namespace {

// Round(pixels / dotsPerInch x 254): device pixels to tenths of a millimetre.
int PixelsToTenths(int pixels, int dotsPerInch)
{
    if (dotsPerInch == 0) throw EPrinter("Device resolution is zero");
    return static_cast<int>(Round(static_cast<long double>(pixels) / dotsPerInch * 254));
}

QString TextOf(const std::array<char16_t, kPrinterNameChars>& buffer)
{
    return QString::fromUtf16(buffer.data());
}

}  // namespace

TPrinterSettings::TPrinterSettings() = default;

TPrinterSettings::~TPrinterSettings() = default;

void TPrinterSettings::SetPrinter(TPrinter* printer)
{
    FPrinter = printer;
    if (!FPrinter) return;
    bool hasPrinters = false;
    try {
        hasPrinters = !FPrinter->Printers().isEmpty();
    } catch (const Exception&) {
        hasPrinters = false;
    }
    if (hasPrinters) GetSettings();
}

bool TPrinterSettings::LockDeviceMode()
{
    try {
        FPrinter->GetPrinter(FDevice.data(), FDriver.data(), FPort.data(), kPrinterNameChars, DeviceMode);
        FDevMode = GlobalLock(DeviceMode);
    } catch (const Exception&) {
        FDevMode = nullptr;
    }
    return FDevMode != nullptr;
}

void TPrinterSettings::UnlockDeviceMode() { GlobalUnlock(DeviceMode); }

void TPrinterSettings::GetSettings()
{
    if (!FPrinter) return;
    ProcessMessages();
    if (!LockDeviceMode()) return;
    try {
        bool cancel = false;
        if (FOnGetPrinterSettings) FOnGetPrinterSettings(this, cancel, FDevMode);
        if (cancel) {
            UnlockDeviceMode();
            return;
        }
        ReadDevice();
        UnlockDeviceMode();
        FIndex = FPrinter->PrinterIndex();
    } catch (...) {
        // A failed read leaves what was read so far and unbinds the printer object.
        LogSwallowed("reading the printer's settings");
        UnlockDeviceMode();
        FPrinter = nullptr;
    }
}

void TPrinterSettings::ReadDevice()
{
    const HDC dc = FPrinter->Handle();
    FPixelsPerX = GetDeviceCaps(dc, LOGPIXELSX);
    FPixelsPerY = GetDeviceCaps(dc, LOGPIXELSY);

    FCopies = SettingSupported(DM_COPIES) ? FDevMode->dmCopies : 1;

    FOutputBin = TQRBin::First;
    if (SettingSupported(DM_DEFAULTSOURCE)) FOutputBin = BinOfCode(FDevMode->dmDefaultSource);

    if (SettingSupported(DM_DUPLEX)) {
        FDuplex = FDevMode->dmDuplex != DMDUP_SIMPLEX;
        FExtendedDuplex = FDevMode->dmDuplex;
    }

    FLeftOffset = PixelsToTenths(GetDeviceCaps(dc, PHYSICALOFFSETX), FPixelsPerX);
    FTopOffset = PixelsToTenths(GetDeviceCaps(dc, PHYSICALOFFSETY), FPixelsPerY);

    FPaperSize = TQRPaperSize::Default;
    if (SettingSupported(DM_PAPERSIZE)) FPaperSize = PaperSizeOfCode(FDevMode->dmPaperSize);

    FPaperWidth = PixelsToTenths(GetDeviceCaps(dc, PHYSICALWIDTH), FPixelsPerX);
    FPaperLength = PixelsToTenths(GetDeviceCaps(dc, PHYSICALHEIGHT), FPixelsPerY);

    PrintSystem& spooler = FPrinter->System();
    const int count = DeviceCapabilitiesW(spooler, FDevice.data(), FPort.data(), DC_PAPERS, nullptr, 0, FDevMode);
    if (count != -1) {
        FPaperSizes.fill(false);
        std::vector<int16_t> codes(static_cast<std::size_t>(std::max(count, 0)));
        const int fetched =
            DeviceCapabilitiesW(spooler, FDevice.data(), FPort.data(), DC_PAPERS, codes.data(), codes.size(), FDevMode);
        codes.resize(static_cast<std::size_t>(std::clamp(fetched, 0, count)));
        for (const int16_t code : codes) {
            const TQRPaperSize size = PaperSizeOfCode(code, TQRPaperSize::Letter);
            if (size != TQRPaperSize::Default) FPaperSizes[static_cast<std::size_t>(Ord(size) - 1)] = true;
        }
    }
    FPaperSizes[static_cast<std::size_t>(Ord(TQRPaperSize::Custom) - 1)] = true;

    FPrintQuality = FDevMode->dmPrintQuality;
    FCollate = FDevMode->dmCollate;
    FColorOption = FDevMode->dmColor;
}

void TPrinterSettings::AddDevModeField(uint32_t flag) { FDevMode->dmFields |= flag; }

void TPrinterSettings::ApplySettings()
{
    if (!FPrinter) return;
    FPrinter->GetPrinter(FDevice.data(), FDriver.data(), FPort.data(), kPrinterNameChars, DeviceMode);
    FDevMode = GlobalLock(DeviceMode);
    if (!FDevMode) return;  // no device mode: the job runs on the device's own defaults
    struct Unlock {
        HDEVMODE block;
        ~Unlock() { GlobalUnlock(block); }
    } unlock{DeviceMode};

    const auto low16 = [](int value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); };
    AddDevModeField(DM_PAPERLENGTH);
    FDevMode->dmPaperLength = low16(PaperLength());
    AddDevModeField(DM_PAPERWIDTH);
    FDevMode->dmPaperWidth = low16(PaperWidth());
    if (SettingSupported(DM_PAPERSIZE) && FPaperSize != TQRPaperSize::Default) {
        AddDevModeField(DM_PAPERSIZE);
        FDevMode->dmPaperSize = low16(FUseCustomPaperCode ? FCustomPaperCode : PaperCodes[static_cast<std::size_t>(Ord(FPaperSize))]);
    }
    AddDevModeField(DM_COPIES);
    FDevMode->dmCopies = low16(FCopies);
    if (SettingSupported(DM_DUPLEX)) {
        AddDevModeField(DM_DUPLEX);
        FDevMode->dmDuplex = low16(FExtendedDuplex != 0 ? FExtendedDuplex : (FDuplex ? DMDUP_HORIZONTAL : DMDUP_SIMPLEX));
    }
    AddDevModeField(DM_DEFAULTSOURCE);
    FDevMode->dmDefaultSource = low16(FUseCustomBinCode ? FCustomBinCode : BinCodes[static_cast<std::size_t>(Ord(FOutputBin))]);
    AddDevModeField(DM_ORIENTATION);
    FDevMode->dmOrientation = FOrientation == poLandscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
    if (SettingSupported(DM_COLLATE)) FDevMode->dmCollate = low16(FCollate);

    bool cancel = false;
    if (FOnApplyPrinterSettings) FOnApplyPrinterSettings(this, cancel, FDevMode);
    if (!cancel) FPrinter->SetPrinter(FDevice.data(), FDriver.data(), FPort.data(), DeviceMode);
}

bool TPrinterSettings::GetPaperSizeSupported(TQRPaperSize paperSize) const
{
    if (paperSize == TQRPaperSize::Default) return true;
    return FPaperSizes[static_cast<std::size_t>(Ord(paperSize) - 1)];
}

bool TPrinterSettings::SettingSupported(uint32_t flags) const
{
    // The address of the last lock counts only while the printer object still holds that
    // block: a switch of printer frees it before the next read takes the new one.
    return FPrinter && FDevMode && DeviceMode == FPrinter->DeviceModeHandle() && (FDevMode->dmFields & flags) == flags;
}

void TPrinterSettings::SetCopies(int value)
{
    if (SettingSupported(DM_COPIES)) FCopies = value;
}

void TPrinterSettings::SetOrientation(TPrinterOrientation value)
{
    if (SettingSupported(DM_ORIENTATION)) FOrientation = value;
}

void TPrinterSettings::SetDuplex(bool value)
{
    if (SettingSupported(DM_DUPLEX)) FDuplex = value;
}

void TPrinterSettings::SetOutputBin(TQRBin value)
{
    if (SettingSupported(DM_DEFAULTSOURCE)) FOutputBin = value;
}

void TPrinterSettings::SetPaperSize(TQRPaperSize value)
{
    if (Ord(value) >= kPaperSizeCount) return;
    if (value == TQRPaperSize::Default || GetPaperSizeSupported(value)) FPaperSize = value;
}

int TPrinterSettings::PaperWidth() const
{
    if (FPaperSize == TQRPaperSize::Custom || FPaperSize == TQRPaperSize::Default) return FPaperWidth;
    return PaperWidthTenths(FPaperSize);
}

int TPrinterSettings::PaperLength() const
{
    if (FPaperSize == TQRPaperSize::Custom || FPaperSize == TQRPaperSize::Default) return FPaperLength;
    return PaperHeightTenths(FPaperSize);
}

QString TPrinterSettings::Device() const { return TextOf(FDevice); }
QString TPrinterSettings::Driver() const { return TextOf(FDriver); }
QString TPrinterSettings::Port() const { return TextOf(FPort); }

void ResetDeviceMode(TPrinter* printer)
{
    if (!printer) return;
    constexpr std::size_t kChars = 261;
    char16_t device[kChars] = {};
    char16_t driver[kChars] = {};
    char16_t port[kChars] = {};
    HDEVMODE deviceMode = nullptr;
    printer->GetPrinter(device, driver, port, kChars, deviceMode);
    printer->SetPrinter(device, driver, port, nullptr);
}

TQRPaperSize DefaultPrinterPaperSize()
{
    try {
        TPrinter* printer = Printer();
        if (!printer || printer->Printers().isEmpty()) return TQRPaperSize::Default;
        char16_t device[kPrinterNameChars] = {};
        char16_t driver[kPrinterNameChars] = {};
        char16_t port[kPrinterNameChars] = {};
        HDEVMODE deviceMode = nullptr;
        printer->GetPrinter(device, driver, port, kPrinterNameChars, deviceMode);
        const DEVMODEW* devMode = GlobalLock(deviceMode);
        if (!devMode) return TQRPaperSize::Default;
        const TQRPaperSize size =
            (devMode->dmFields & DM_PAPERSIZE) ? PaperSizeOfCode(devMode->dmPaperSize) : TQRPaperSize::Default;
        GlobalUnlock(deviceMode);
        return size;
    } catch (...) {
        LogSwallowed("reading the default printer's paper size");
        return TQRPaperSize::Default;
    }
}

}  // namespace qrp
