#include "platform/printer.h"

#include "base/exceptions.h"
#include "base/swallowed.h"
#include "platform/canvas.h"
#include "platform/messages.h"

#include <utility>

namespace qrp {

namespace {

constexpr const char* kInvalidPrinter = "Printer selected is not valid";
constexpr const char* kNotPrinting = "Printer is not currently printing";
constexpr const char* kPrinting = "Printing in progress";
constexpr const char* kIndexOutOfRange = "Printer index out of range";
constexpr const char* kJobNotAccepted = "The print system did not accept the job";

void CopyName(const QString& name, char16_t* buffer, std::size_t capacity)
{
    if (!buffer || capacity == 0) return;
    const std::size_t n = std::min(static_cast<std::size_t>(name.size()), capacity - 1);
    const char16_t* text = reinterpret_cast<const char16_t*>(name.utf16());
    for (std::size_t i = 0; i < n; ++i) buffer[i] = text[i];
    buffer[n] = u'\0';
}

}  // namespace

TPrinter::TPrinter() : TPrinter(CurrentPrintSystem()) {}

TPrinter::TPrinter(std::shared_ptr<PrintSystem> system) : FSystem(std::move(system)) {}

TPrinter::~TPrinter()
{
    if (FPrinting) {
        try {
            EndDoc();
        } catch (...) {
            // A destructor cannot report; the job is closed either way.
            LogSwallowed("ending the print job of a printer object that goes");
        }
    }
}

const QStringList& TPrinter::Printers()
{
    if (!FPrintersRead) {
        FPrinters = FSystem->PrinterNames();
        FPrintersRead = true;
    }
    return FPrinters;
}

void TPrinter::Refresh()
{
    const QString selected = FPrinterIndex >= 0 && FPrinterIndex < FPrinters.size() ? FPrinters[FPrinterIndex] : QString();
    FPrintersRead = false;
    Printers();
    const int index = selected.isEmpty() ? -1 : static_cast<int>(FPrinters.indexOf(selected));
    if (index != FPrinterIndex || index < 0) {
        // The selected printer is gone: its device mode goes with it.
        FDeviceMode.reset();
        FInfoContext.reset();
    }
    FPrinterIndex = index;
}

void TPrinter::SelectDefaultPrinter()
{
    const QStringList& printers = Printers();
    if (printers.isEmpty()) {
        FPrinterIndex = -1;
        return;
    }
    const int index = static_cast<int>(printers.indexOf(FSystem->DefaultPrinterName()));
    FPrinterIndex = index >= 0 ? index : 0;
    FInfoContext.reset();
}

int TPrinter::PrinterIndex()
{
    if (FPrinterIndex < 0) SelectDefaultPrinter();
    return FPrinterIndex;
}

void TPrinter::SetPrinterIndex(int index)
{
    CheckPrinting(false);
    const int previous = PrinterIndex();
    if (index == -1) {
        SelectDefaultPrinter();
    } else {
        if (index < 0 || index >= Printers().size()) throw EPrinter(kIndexOutOfRange);
        FPrinterIndex = index;
    }
    if (FPrinterIndex != previous) {
        // Another printer: the device mode of the previous one does not carry over.
        FDeviceMode.reset();
    }
    FInfoContext.reset();
}

QString TPrinter::SelectedName()
{
    const int index = PrinterIndex();
    return index >= 0 ? FPrinters[index] : QString();
}

void TPrinter::FetchDefaultDeviceMode()
{
    const QString name = SelectedName();
    std::optional<DEVMODEW> devMode = name.isEmpty() ? std::nullopt : FSystem->DefaultDeviceMode(name);
    if (!devMode) {
        FDeviceMode.reset();
        return;
    }
    // The new block is made before the old one goes, so its handle differs from the old.
    auto block = std::make_unique<TDeviceModeBlock>();
    block->DevMode = *devMode;
    FDeviceMode = std::move(block);
}

void TPrinter::GetPrinter(char16_t* device, char16_t* driver, char16_t* port, std::size_t capacity, HDEVMODE& deviceMode)
{
    const QString name = SelectedName();
    if (name.isEmpty()) throw EPrinter(kInvalidPrinter);
    CopyName(name, device, capacity);
    CopyName(FSystem->DriverName(name), driver, capacity);
    CopyName(FSystem->PortName(name), port, capacity);
    if (!FDeviceMode) FetchDefaultDeviceMode();
    deviceMode = FDeviceMode.get();
}

void TPrinter::SetPrinter(const char16_t* device, const char16_t* /*driver*/, const char16_t* /*port*/, HDEVMODE deviceMode)
{
    CheckPrinting(false);
    const QString name = device ? QString::fromUtf16(device) : QString();
    Printers();
    int index = static_cast<int>(FPrinters.indexOf(name));
    if (index < 0) {
        FPrinters.append(name);
        index = static_cast<int>(FPrinters.size()) - 1;
    }
    FPrinterIndex = index;
    FInfoContext.reset();
    if (!deviceMode) {
        FetchDefaultDeviceMode();
    } else if (deviceMode != FDeviceMode.get()) {
        auto block = std::make_unique<TDeviceModeBlock>();
        block->DevMode = deviceMode->DevMode;
        FDeviceMode = std::move(block);
    }
}

HDC TPrinter::Handle()
{
    if (FPrinting && FPrintContext) return FPrintContext.get();
    if (!FInfoContext) {
        const QString name = SelectedName();
        if (name.isEmpty()) throw EPrinter(kInvalidPrinter);
        if (!FDeviceMode) FetchDefaultDeviceMode();
        const DEVMODEW devMode = FDeviceMode ? FDeviceMode->DevMode : MakeDevMode(reinterpret_cast<const char16_t*>(name.utf16()));
        FInfoContext = FSystem->CreateIC(name, devMode);
        if (!FInfoContext) throw EPrinter(kInvalidPrinter);
    }
    return FInfoContext.get();
}

void TPrinter::CheckPrinting(bool printing) const
{
    if (FPrinting == printing) return;
    throw EPrinter(printing ? kNotPrinting : kPrinting);
}

void TPrinter::BeginDoc()
{
    CheckPrinting(false);
    const QString name = SelectedName();
    if (name.isEmpty()) throw EPrinter(kInvalidPrinter);
    if (!FDeviceMode) FetchDefaultDeviceMode();
    const DEVMODEW devMode = FDeviceMode ? FDeviceMode->DevMode : MakeDevMode(reinterpret_cast<const char16_t*>(name.utf16()));
    FInfoContext.reset();
    std::unique_ptr<TPrintDeviceContext> context = FSystem->CreateDC(name, devMode);
    if (!context) throw EPrinter(kInvalidPrinter);
    FAborted = false;
    context->SetAbortProc([this] {
        ProcessMessages();
        return !FAborted;
    });
    if (context->StartDoc(FTitle) <= 0) {  // the spooler refused: no job is open
        FNextSheet.reset();
        return;
    }
    FPrintContext = std::move(context);
    FPrinting = true;
    FPageNumber = 1;
    StartSheet();
    FCanvas = std::make_unique<TCanvas>(FPrintContext->Painter());
}

void TPrinter::NewPage()
{
    CheckPrinting(true);
    FPrintContext->EndPage();
    StartSheet();
    ++FPageNumber;
}

void TPrinter::EndDoc()
{
    CheckPrinting(true);
    FPrintContext->EndPage();
    int result = 1;
    if (!FAborted) result = FPrintContext->EndDoc();
    CloseJob();
    if (result <= 0) throw EPrinter(kJobNotAccepted);
}

void TPrinter::Abort()
{
    if (!FPrinting) return;
    FPrintContext->AbortDoc();
    FAborted = true;
    FPrintContext->EndPage();
    CloseJob();
}

void TPrinter::StartSheet()
{
    if (FNextSheet) FPrintContext->ResetOrientation(*FNextSheet);
    FNextSheet.reset();
    FPrintContext->StartPage();
}

void TPrinter::CloseJob()
{
    FNextSheet.reset();
    FCanvas.reset();
    FPrintContext.reset();
    FPrinting = false;
    FAborted = false;
    FPageNumber = 0;
}

int TPrinter::PageWidth() { return GetDeviceCaps(Handle(), HORZRES); }

int TPrinter::PageHeight() { return GetDeviceCaps(Handle(), VERTRES); }

TCanvas* TPrinter::Canvas()
{
    CheckPrinting(true);
    return FCanvas.get();
}

namespace {

std::unique_ptr<TPrinter>& ProcessPrinter()
{
    static std::unique_ptr<TPrinter> printer;
    return printer;
}

}  // namespace

TPrinter* Printer()
{
    std::unique_ptr<TPrinter>& printer = ProcessPrinter();
    if (!printer) printer = std::make_unique<TPrinter>();
    return printer.get();
}

std::unique_ptr<TPrinter> SetProcessPrinter(std::unique_ptr<TPrinter> printer)
{
    return std::exchange(ProcessPrinter(), std::move(printer));
}

}  // namespace qrp
