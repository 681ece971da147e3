// TPrinterSettings: a copy of the device settings the report system cares about, read from
// a printer object's device mode and capabilities (GetSettings) and written back into its
// device mode before a job (ApplySettings). TQRPrinterSettings: the plain settings record a
// report layout carries.
#pragma once

#include "platform/devmode.h"
#include "printer/bin.h"
#include "printer/paper_size.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>

namespace qrp {

class TPrinter;
class TPrinterSettings;

enum TPrinterOrientation : uint8_t { poPortrait, poLandscape };

// One entry for each size from Letter to Custom (index: ordinal - 1); none for Default.
using TPaperSizesSupported = std::array<bool, kPaperSizeCount - 1>;

// Called with the settings object, a cancel flag (false on entry) and the locked device mode.
using TQRPrinterSettingsEvent = std::function<void(TPrinterSettings* Sender, bool& Cancel, DEVMODEW* DevMode)>;

constexpr int kPrinterNameChars = 512;  // 1024-byte UTF-16 buffers: 511 characters and a zero

class TPrinterSettings {
public:
    TPrinterSettings();
    ~TPrinterSettings();
    TPrinterSettings(const TPrinterSettings&) = delete;
    TPrinterSettings& operator=(const TPrinterSettings&) = delete;

    // The bound printer object (not owned). Setting one that knows an installed printer
    // reads the device at once.
    TPrinter* Printer() const { return FPrinter; }
    void SetPrinter(TPrinter* printer);

    // Reads the bound device. Never raises: a failed read unbinds the printer object.
    void GetSettings();
    // Writes the settings into the bound printer object's device mode and selects it
    // (unless OnApplyPrinterSettings cancels). Does nothing while unbound or when the
    // printer object has no device mode. Failures of the printer object propagate.
    void ApplySettings();

    // Letter .. Custom: whether the device offers the size; Default: true.
    bool GetPaperSizeSupported(TQRPaperSize paperSize) const;
    // Every bit of `flags` is set in the bound device mode's dmFields.
    bool SettingSupported(uint32_t flags) const;

    int Copies() const { return FCopies; }
    void SetCopies(int value);
    TPrinterOrientation Orientation() const { return FOrientation; }
    void SetOrientation(TPrinterOrientation value);
    bool Duplex() const { return FDuplex; }
    void SetDuplex(bool value);
    TQRBin OutputBin() const { return FOutputBin; }
    void SetOutputBin(TQRBin value);
    TQRPaperSize PaperSize() const { return FPaperSize; }
    void SetPaperSize(TQRPaperSize value);
    // Portrait measures in 0.1 mm: the catalogue's for a named size, else the stored ones.
    int PaperWidth() const;
    void SetPaperWidth(int value) { FPaperWidth = value; }
    int PaperLength() const;
    void SetPaperLength(int value) { FPaperLength = value; }

    QString Device() const;
    QString Driver() const;
    QString Port() const;
    int PixelsPerX() const { return FPixelsPerX; }
    int PixelsPerY() const { return FPixelsPerY; }
    int TopOffset() const { return FTopOffset; }
    int LeftOffset() const { return FLeftOffset; }
    int MaxExtentX() const { return FMaxExtentX; }
    int MaxExtentY() const { return FMaxExtentY; }
    int MinExtentX() const { return FMinExtentX; }
    int MinExtentY() const { return FMinExtentY; }
    // Printer index of the bound printer object at the last completed read; -1 before.
    int Index() const { return FIndex; }
    const TPaperSizesSupported& PaperSizes() const { return FPaperSizes; }
    // The device mode's address as of the last lock (nullptr before the first).
    DEVMODEW* DevMode() const { return FDevMode; }

    const TQRPrinterSettingsEvent& OnGetPrinterSettings() const { return FOnGetPrinterSettings; }
    void SetOnGetPrinterSettings(TQRPrinterSettingsEvent handler) { FOnGetPrinterSettings = std::move(handler); }
    const TQRPrinterSettingsEvent& OnApplyPrinterSettings() const { return FOnApplyPrinterSettings; }
    void SetOnApplyPrinterSettings(TQRPrinterSettingsEvent handler) { FOnApplyPrinterSettings = std::move(handler); }

    bool PrintMetafile() const { return FPrintMetafile; }
    void SetPrintMetafile(bool value) { FPrintMetafile = value; }
    bool UseStandardprinter() const { return FUseStandardPrinter; }
    void SetUseStandardprinter(bool value) { FUseStandardPrinter = value; }
    bool UseExtendedDuplex() const { return FUseExtendedDuplex; }
    void SetUseExtendedDuplex(bool value) { FUseExtendedDuplex = value; }
    int ExtendedDuplex() const { return FExtendedDuplex; }
    void SetExtendedDuplex(int value) { FExtendedDuplex = value; }
    bool UseCustomBinCode() const { return FUseCustomBinCode; }
    void SetUseCustomBinCode(bool value) { FUseCustomBinCode = value; }
    int CustomBinCode() const { return FCustomBinCode; }
    void SetCustomBinCode(int value) { FCustomBinCode = value; }
    bool UseCustomPaperCode() const { return FUseCustomPaperCode; }
    void SetUseCustomPaperCode(bool value) { FUseCustomPaperCode = value; }
    int CustomPaperCode() const { return FCustomPaperCode; }
    void SetCustomPaperCode(int value) { FCustomPaperCode = value; }
    int MemoryLimit() const { return FmemoryLimit; }
    void SetMemoryLimit(int value) { FmemoryLimit = value; }
    int PrintQuality() const { return FPrintQuality; }
    void SetPrintQuality(int value) { FPrintQuality = value; }
    int Collate() const { return FCollate; }
    void SetCollate(int value) { FCollate = value; }
    int ColorOption() const { return FColorOption; }
    void SetColorOption(int value) { FColorOption = value; }
    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& value) { FTitle = value; }

private:
    bool LockDeviceMode();
    void UnlockDeviceMode();
    void ReadDevice();
    void AddDevModeField(uint32_t flag);

    int FIndex = -1;
    std::array<char16_t, kPrinterNameChars> FDevice{};
    std::array<char16_t, kPrinterNameChars> FDriver{};
    std::array<char16_t, kPrinterNameChars> FPort{};
    HDEVMODE DeviceMode = nullptr;
    DEVMODEW* FDevMode = nullptr;
    int FCopies = 0;
    bool FDuplex = false;
    bool FPrintMetafile = false;
    bool FUseStandardPrinter = false;
    TQRPrinterSettingsEvent FOnGetPrinterSettings;
    TQRPrinterSettingsEvent FOnApplyPrinterSettings;
    bool FUseExtendedDuplex = false;
    int FExtendedDuplex = 0;
    bool FUseCustomBinCode = false;
    int FCustomBinCode = 0;
    int FPrintQuality = 0;
    int FCollate = 0;
    int FColorOption = 0;
    int FmemoryLimit = 250000;
    bool FUseCustomPaperCode = false;
    int FCustomPaperCode = 0;
    int FMaxExtentX = 0;
    int FMaxExtentY = 0;
    int FMinExtentX = 0;
    int FMinExtentY = 0;
    TPrinterOrientation FOrientation = poPortrait;
    TQRBin FOutputBin = TQRBin::First;
    TQRPaperSize FPaperSize = TQRPaperSize::A4;
    TPaperSizesSupported FPaperSizes{};
    int FPaperWidth = 0;
    int FPaperLength = 0;
    int FPixelsPerX = 0;
    int FPixelsPerY = 0;
    int FTopOffset = 0;
    int FLeftOffset = 0;
    TPrinter* FPrinter = nullptr;
    QString FTitle;
};

// The settings record of a report layout: plain properties, no checks.
class TQRPrinterSettings {
public:
    int Copies = 1;
    bool Duplex = false;
    TPrinterOrientation Orientation = poPortrait;
    TQRBin OutputBin = TQRBin::Auto;
    TQRPaperSize PaperSize = TQRPaperSize::Letter;
    int PrinterIndex = -1;
    QString Title;
    int FirstPage = 0;
    int LastPage = 0;
    bool PrintMetafile = false;
    bool UseStandardprinter = false;
    bool UseExtendedDuplex = false;
    int ExtendedDuplex = 0;
    int MemoryLimit = 250000;
    int PrintQuality = 0;
    int Collate = 0;
    int ColorOption = 0;
    bool UseCustomBinCode = false;
    int CustomBinCode = 0;
    bool UseCustomPaperCode = false;
    int CustomPaperCode = 0;
};

// Makes the printer object return to its printer's default device mode: GetPrinter into
// 261-character buffers, then SetPrinter with the same names and no device-mode block.
// The settings object must run GetSettings afterwards to take the new block.
void ResetDeviceMode(TPrinter* printer);

// The process printer's current paper; Default when there is no printer, no device mode,
// no paper in it, a code without a size, or any failure.
TQRPaperSize DefaultPrinterPaperSize();

}  // namespace qrp
