#include "printer/qr_printer.h"

#include "base/arith.h"
#include "base/swallowed.h"
#include "platform/printer.h"
#include "printer/notices.h"
#include "printer/report_layout.h"
#include "printer/screen_metrics.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <QCoreApplication>


namespace qrp {

namespace {

constexpr long double kTenthsPerInch = 254.0L;

int32_t RoundLow32(long double value) { return static_cast<int32_t>(Round(value)); }

bool HasNoMeasures(TQRPaperSize size)
{
    return size == TQRPaperSize::Default || size == TQRPaperSize::Custom;
}

}  // namespace

TQRPrinter::TQRPrinter(TQRReportLayout* parentReport)
{
    // Whether any printer was installed is fixed now: a report printer made without one
    // never prints.
    FPrinterOK = !qrp::Printer()->Printers().isEmpty();
    aPrinterSettings = std::make_unique<TPrinterSettings>();
    if (parentReport) {
        FParentReport = parentReport;
        aPrinterSettings->SetUseStandardprinter(parentReport->PrinterSettings().UseStandardprinter);
        aPrinterSettings->SetMemoryLimit(parentReport->PrinterSettings().MemoryLimit);
    } else {
        aPrinterSettings->SetUseStandardprinter(false);
    }
    if (aPrinterSettings->UseStandardprinter()) {
        aPrinter = qrp::Printer();
    } else {
        FOwnPrinter = std::make_unique<TPrinter>();
        aPrinter = FOwnPrinter.get();
        // A new printer object selects the system's default printer on first use.
        if (!aPrinter->Printers().isEmpty()) aPrinter->PrinterIndex();
    }
    if (FPrinterOK) aPrinterSettings->SetPrinter(aPrinter);
    FTopWaste = aPrinterSettings->TopOffset();
    FLeftWaste = aPrinterSettings->LeftOffset();
    FPageList = std::make_unique<TQRPageList>();
}

TQRPrinter::~TQRPrinter()
{
    if (FStatus != mpReady) Cleanup();
    // The preview showing this report lets go of it while the report printer still stands.
    if (auto* view = dynamic_cast<TQRPrinterView*>(FClient.data())) {
        try {
            view->SetQRPrinter(nullptr);
        } catch (...) {
            // An AfterPreview handler that raises cannot stop the destruction; the preview
            // is unbound either way.
            LogSwallowed("unbinding the preview of a report printer that goes");
        }
    }
}

void TQRPrinter::Cleanup()
{
    if (FStatus == mpBusy) Cancel();
    if (aStream) {
        aStream.reset();
        FPageList->SetStream(nullptr);
    }
    FPageList->Clear();
    FStatus = mpReady;
}

void TQRPrinter::Load(const std::string& fileName)
{
    LoadWith([&] { FPageList->LoadFromFile(fileName); });
}

void TQRPrinter::LoadFromStream(TMemoryStream& inStream)
{
    LoadWith([&] { FPageList->LoadFromStream(inStream); });
}

void TQRPrinter::LoadWith(const std::function<void()>& loadPageList)
{
    if (FStatus != mpReady) Cleanup();
    loadPageList();
    FPageCount = FPageList->PageCount();
    const int pixelsPerInch = ScreenPixelsPerInch();
    FXFactor = static_cast<long double>(pixelsPerInch) / kTenthsPerInch;
    FYFactor = FXFactor;
    if (FPageCount > 0) InferPaperFromFirstPage();
    aStream = FPageList->Stream();
    FStatus = mpFinished;
    FOnPrintSetupEvent = nullptr;
    FOnExportToFilterEvent = nullptr;
    FReportLoaded = true;
}

// Page 1's frame against the catalogue rows Letter .. ESheet: a row matches when both sides
// are within 2 mm of the frame's (the frame is exact in 0.01 mm; counting whole steps of
// 4 mm of its screen size missed Letter, whose width lies just under a step). Every match
// writes through to the settings (which refuse sizes the printer does not offer), so the
// last accepted match stands.
void TQRPrinter::InferPaperFromFirstPage()
{
    const std::unique_ptr<TMetafile> page = FPageList->GetPage(1);
    // All in hundredths of a millimetre, in integers: the answer is the same on every platform.
    const int64_t width = page ? page->MMWidth() : 0;
    const int64_t height = page ? page->MMHeight() : 0;
    constexpr int64_t kTolerance = 200;
    const auto near = [](int64_t a, int64_t b) { return (a > b ? a - b : b - a) <= kTolerance; };
    bool matched = false;
    for (int v = Ord(TQRPaperSize::Letter); v <= Ord(TQRPaperSize::ESheet); ++v) {
        const int64_t tw = PaperDimensions[static_cast<std::size_t>(v)][0];
        const int64_t th = PaperDimensions[static_cast<std::size_t>(v)][1];
        if (near(width, tw) && near(height, th)) {
            SetPaperSize(PaperSizeAt(v));
            SetOrientation(poPortrait);
            matched = true;
        }
        if (near(height, tw) && near(width, th)) {
            SetPaperSize(PaperSizeAt(v));
            SetOrientation(poLandscape);
            matched = true;
        }
    }
    if (!matched) SetOrientation(height < width ? poLandscape : poPortrait);
}

void TQRPrinter::Save(const std::string& fileName)
{
    if (FStatus != mpFinished) return;
    FPageList->SaveToFile(fileName);
}

std::unique_ptr<TMetafile> TQRPrinter::GetPage(int value)
{
    if ((FStatus != mpBusy && FStatus != mpFinished) || value < 1 || value > FPageCount) return nullptr;
    return FPageList->GetPage(value);
}

void TQRPrinter::GetPageEx(int value, std::unique_ptr<TMetafile>& metafile, std::unique_ptr<THyperlinkList>& hyperlinks)
{
    FPageList->GetPageEx(value, metafile, hyperlinks);
}

int32_t TQRPrinter::XSize(long double value) const { return RoundLow32(value * FXFactor); }

int32_t TQRPrinter::YSize(long double value) const { return RoundLow32(value * FYFactor); }

int32_t TQRPrinter::XPos(long double value) const { return RoundLow32((value - FLeftWaste) * FXFactor); }

int32_t TQRPrinter::YPos(long double value) const { return RoundLow32((value - FTopWaste) * FYFactor); }

int32_t TQRPrinter::PaperWidthValue() const
{
    const TQRPaperSize size = PaperSize();
    const bool portrait = Orientation() == poPortrait;
    if (HasNoMeasures(size)) return portrait ? aPrinterSettings->PaperWidth() : aPrinterSettings->PaperLength();
    return portrait ? PaperWidthTenths(size) : PaperHeightTenths(size);
}

int32_t TQRPrinter::PaperLengthValue() const
{
    const TQRPaperSize size = PaperSize();
    const bool portrait = Orientation() == poPortrait;
    if (HasNoMeasures(size)) return portrait ? aPrinterSettings->PaperLength() : aPrinterSettings->PaperWidth();
    return portrait ? PaperHeightTenths(size) : PaperWidthTenths(size);
}

int TQRPrinter::PrinterIndex() const { return aPrinter->PrinterIndex(); }

void TQRPrinter::SetPrinterIndex(int value)
{
    aPrinter->Refresh();
    if (!FPrinterOK || UseStandardPrinter() || value == -1 || value == aPrinter->PrinterIndex()) return;
    aPrinter->SetPrinterIndex(value);
    ResetDeviceMode(aPrinter);
    aPrinterSettings->GetSettings();
}

std::vector<std::string> TQRPrinter::Printers() const
{
    std::vector<std::string> names;
    for (const QString& name : aPrinter->Printers()) names.push_back(name.toStdString());
    return names;
}

TQRPaperSize TQRPrinter::PaperSize() const { return aPrinterSettings->PaperSize(); }
void TQRPrinter::SetPaperSize(TQRPaperSize value) { aPrinterSettings->SetPaperSize(value); }
TPrinterOrientation TQRPrinter::Orientation() const { return aPrinterSettings->Orientation(); }
void TQRPrinter::SetOrientation(TPrinterOrientation value) { aPrinterSettings->SetOrientation(value); }
int32_t TQRPrinter::PaperWidth() const { return aPrinterSettings->PaperWidth(); }
void TQRPrinter::SetPaperWidth(int32_t value) { aPrinterSettings->SetPaperWidth(value); }
int32_t TQRPrinter::PaperLength() const { return aPrinterSettings->PaperLength(); }
void TQRPrinter::SetPaperLength(int32_t value) { aPrinterSettings->SetPaperLength(value); }
int32_t TQRPrinter::Copies() const { return aPrinterSettings->Copies(); }
void TQRPrinter::SetCopies(int32_t value) { aPrinterSettings->SetCopies(value); }
TQRBin TQRPrinter::OutputBin() const { return aPrinterSettings->OutputBin(); }
void TQRPrinter::SetOutputBin(TQRBin value) { aPrinterSettings->SetOutputBin(value); }
bool TQRPrinter::Duplex() const { return aPrinterSettings->Duplex(); }
void TQRPrinter::SetDuplex(bool value) { aPrinterSettings->SetDuplex(value); }
bool TQRPrinter::UseStandardPrinter() const { return aPrinterSettings->UseStandardprinter(); }

bool TQRPrinter::Compression() const { return FPageList->Compression(); }
void TQRPrinter::SetCompression(bool value) { FPageList->SetCompression(value); }

int32_t TQRPrinter::LeftWaste() const
{
    return FDestination == qrdPrinter ? aPrinterSettings->LeftOffset() : 0;
}

int32_t TQRPrinter::TopWaste() const
{
    return FDestination == qrdPrinter ? aPrinterSettings->TopOffset() : 0;
}

void TQRPrinter::SetProgress(int value)
{
    FProgress = value;
    PostProgressNotice(FClient.data(), value);
}

void TQRPrinter::SetAvailablePages(int value)
{
    FAvailablePages = value;
    PostPageAvailableNotice(FClient.data(), value);
}

void TQRPrinter::SetShowingPreview(bool value)
{
    struct StoreOnExit {
        bool& field;
        bool value;
        ~StoreOnExit() { field = value; }
    } store{FShowingPreview, value};
    if (FShowingPreview && !value) {
        if (FStatus == mpBusy) Cancel();
        if (FAfterPreviewEvent) FAfterPreviewEvent(this);
    }
}

namespace {

struct SharedObjects {
    std::unique_ptr<TQRReportLayout> layout;
    std::unique_ptr<TQRPrinter> printer;
};

SharedObjects& Shared()
{
    static SharedObjects shared;
    return shared;
}

}  // namespace

TQRPrinter& SharedReportPrinter()
{
    SharedObjects& shared = Shared();
    if (!shared.printer) {
        shared.layout = std::make_unique<TQRReportLayout>();
        shared.printer = std::make_unique<TQRPrinter>(shared.layout.get());
        // The printer object and its widgets must go before the application object does.
        static bool registered = false;
        if (!registered && QCoreApplication::instance()) {
            qAddPostRoutine(&DestroySharedReportPrinter);
            registered = true;
        }
    }
    return *shared.printer;
}

void DestroySharedReportPrinter()
{
    SharedObjects& shared = Shared();
    shared.printer.reset();
    shared.layout.reset();
}

}  // namespace qrp
