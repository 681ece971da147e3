// TQRPrinter: the object that holds a loaded report (its page list over the report stream),
// the printer device it prints on with that device's settings, and the conversions from
// tenths of a millimetre to screen pixels that the preview lays pages out with.
//
// One report printer serves the process: SharedReportPrinter() creates it on first use,
// together with the blank report layout it belongs to. It is not thread-safe: every call
// comes from the GUI thread.
#pragma once

#include "printer/paper_size.h"
#include "printer/printer_settings.h"

#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QObject;

namespace qrp {

class TMemoryStream;
class TMetafile;
class TPrinter;
class TQRPageList;
class TQRReportLayout;
class TQRPrinter;
class TQRStream;
class THyperlink;
using THyperlinkList = std::vector<THyperlink>;

enum TQRPrinterStatus : uint8_t { mpReady, mpBusy, mpFinished };
enum TQRPrinterDestination : uint8_t { qrdMetafile, qrdPrinter };

// An event of the report printer, called with the report printer as sender.
using TQRPrinterEvent = std::function<void(TQRPrinter* sender)>;

// The window a print job shows while it runs, made by the report printer's progress window
// factory: it becomes the report printer's Client and receives the progress notices. A
// QWidget is shown when the job starts and hidden when it ends.
using TQRProgressWindowFactory = std::function<std::unique_ptr<QObject>(TQRPrinter& printer)>;

// A control that shows a report printer (the preview). When the report printer is destroyed
// while such a control is its Client, it unbinds the control: SetQRPrinter(nullptr).
class TQRPrinterView {
public:
    virtual ~TQRPrinterView() = default;
    virtual void SetQRPrinter(TQRPrinter* printer) = 0;
};

class TQRPrinter {
public:
    // parentReport: the report layout this report printer belongs to, or nullptr.
    explicit TQRPrinter(TQRReportLayout* parentReport);
    ~TQRPrinter();
    TQRPrinter(const TQRPrinter&) = delete;
    TQRPrinter& operator=(const TQRPrinter&) = delete;

    // Lets go of the loaded report: frees the report stream, clears the page list and
    // returns to mpReady. PageCount keeps its value.
    void Cleanup();

    // Loads a report file: the page list opens it (proving its last page), the page count
    // and screen factors are taken, and the paper size and orientation are inferred from
    // page 1. Raises the page list's failure: a report held before is gone by then
    // (GetPage answers nullptr) while PageCount, the factors and the paper keep their values.
    // A page 1 that cannot be measured raises too, leaving the new count and mpReady.
    void Load(const std::string& fileName);
    // The same from a copy of a memory stream's contents (no last-page check).
    void LoadFromStream(TMemoryStream& inStream);
    // Writes the report stream to fileName, byte for byte, when a report is held.
    void Save(const std::string& fileName);

    // A new page picture that the caller owns, or nullptr outside 1..PageCount or without a
    // report.
    std::unique_ptr<TMetafile> GetPage(int value);
    // Forwards to the page list's GetPageEx without any check.
    void GetPageEx(int value, std::unique_ptr<TMetafile>& metafile, std::unique_ptr<THyperlinkList>& hyperlinks);

    // 0.1 mm to screen pixels, rounded halves to even.
    int32_t XSize(long double value) const;
    int32_t YSize(long double value) const;
    // Positions with the printer's unprintable margin removed.
    int32_t XPos(long double value) const;
    int32_t YPos(long double value) const;

    // The paper as it lies (after orientation), in 0.1 mm.
    int32_t PaperWidthValue() const;
    int32_t PaperLengthValue() const;

    // Runs one print job of FirstPage..LastPage on the printer device (print_job.cpp).
    void Print();
    // Asks the running print job to stop after its current sheet.
    void Cancel() { FCancelled = true; }

    // The printer device and its settings.
    TPrinter& Printer() const { return *aPrinter; }
    TPrinterSettings& PrinterSettings() const { return *aPrinterSettings; }
    int PrinterIndex() const;
    // Selects another installed printer and re-reads its settings (its default device mode);
    // -1, the current index, a standard printer or no installed printer change nothing.
    void SetPrinterIndex(int value);
    std::vector<std::string> Printers() const;
    bool PrinterOK() const { return FPrinterOK; }

    // Through the settings.
    TQRPaperSize PaperSize() const;
    void SetPaperSize(TQRPaperSize value);
    TPrinterOrientation Orientation() const;
    void SetOrientation(TPrinterOrientation value);
    int32_t PaperWidth() const;
    void SetPaperWidth(int32_t value);
    int32_t PaperLength() const;
    void SetPaperLength(int32_t value);
    int32_t Copies() const;
    void SetCopies(int32_t value);
    TQRBin OutputBin() const;
    void SetOutputBin(TQRBin value);
    bool Duplex() const;
    void SetDuplex(bool value);
    bool UseStandardPrinter() const;

    // Through the page list.
    bool Compression() const;
    void SetCompression(bool value);
    TQRPageList& PageList() const { return *FPageList; }

    TQRReportLayout* ParentReport() const { return FParentReport; }
    TQRPrinterStatus Status() const { return FStatus; }
    bool ReportLoaded() const { return FReportLoaded; }
    void SetReportLoaded(bool value) { FReportLoaded = value; }
    int PageCount() const { return FPageCount; }
    void SetPageCount(int value) { FPageCount = value; }
    int PageNumber() const { return FPageNumber; }
    void SetPageNumber(int value) { FPageNumber = value; }
    int FirstPage() const { return FFirstPage; }
    void SetFirstPage(int value) { FFirstPage = value; }
    int LastPage() const { return FLastPage; }
    void SetLastPage(int value) { FLastPage = value; }
    bool Cancelled() const { return FCancelled; }
    void SetCancelled(bool value) { FCancelled = value; }
    const std::string& Title() const { return FTitle; }
    void SetTitle(const std::string& value) { FTitle = value; }
    TQRPrinterDestination Destination() const { return FDestination; }
    void SetDestination(TQRPrinterDestination value) { FDestination = value; }
    long double XFactor() const { return FXFactor; }
    void SetXFactor(long double value) { FXFactor = value; }
    long double YFactor() const { return FYFactor; }
    void SetYFactor(long double value) { FYFactor = value; }
    int MasterProgressStart() const { return FMasterProgressStart; }
    void SetMasterProgressStart(int value) { FMasterProgressStart = value; }
    int MasterProgressEnd() const { return FMasterProgressEnd; }
    void SetMasterProgressEnd(int value) { FMasterProgressEnd = value; }
    // The unprintable margins in 0.1 mm while the destination is the printer, else 0.
    int32_t LeftWaste() const;
    int32_t TopWaste() const;
    // The current page picture of a report generation (never set by a loaded report).
    const TMetafile* Page() const { return FPage.get(); }

    // The control that shows this report, or the progress window while a job runs. It
    // receives the notices; a destroyed client reads back as nullptr.
    QObject* Client() const { return FClient.data(); }
    void SetClient(QObject* value) { FClient = value; }
    QObject* Master() const { return FMaster.data(); }
    void SetMaster(QObject* value) { FMaster = value; }
    QObject* PreviewControl() const { return FPreviewControl.data(); }
    void SetPreviewControl(QObject* value) { FPreviewControl = value; }

    // Stores the value and posts a progress notice to the client.
    int Progress() const { return FProgress; }
    void SetProgress(int value);
    // Stores the value and posts a page-available notice to the client.
    int AvailablePages() const { return FAvailablePages; }
    void SetAvailablePages(int value);
    // A preview letting go of this report cancels a running generation and calls AfterPreview.
    bool ShowingPreview() const { return FShowingPreview; }
    void SetShowingPreview(bool value);

    const TQRPrinterEvent& AfterPreview() const { return FAfterPreviewEvent; }
    void SetAfterPreview(TQRPrinterEvent value) { FAfterPreviewEvent = std::move(value); }
    const TQRPrinterEvent& AfterPrint() const { return FAfterPrintEvent; }
    void SetAfterPrint(TQRPrinterEvent value) { FAfterPrintEvent = std::move(value); }
    const TQRPrinterEvent& OnPreview() const { return FOnPreviewEvent; }
    void SetOnPreview(TQRPrinterEvent value) { FOnPreviewEvent = std::move(value); }
    const TQRPrinterEvent& OnPrintSetup() const { return FOnPrintSetupEvent; }
    void SetOnPrintSetup(TQRPrinterEvent value) { FOnPrintSetupEvent = std::move(value); }
    const TQRPrinterEvent& OnExportToFilter() const { return FOnExportToFilterEvent; }
    void SetOnExportToFilter(TQRPrinterEvent value) { FOnExportToFilterEvent = std::move(value); }

    // Makes the window a print job shows; unset, the job shows a TQRProgressForm.
    const TQRProgressWindowFactory& ProgressWindowFactory() const { return FProgressWindowFactory; }
    void SetProgressWindowFactory(TQRProgressWindowFactory value) { FProgressWindowFactory = std::move(value); }

    // Margins for direct printing by a report generation.
    long double DPLeftMargin = 0;
    long double DPTopMargin = 0;

private:
    void LoadWith(const std::function<void()>& loadPageList);
    void InferPaperFromFirstPage();

    std::unique_ptr<TPrinter> FOwnPrinter;  // the printer object made here, when not standard
    TPrinter* aPrinter = nullptr;
    TQRReportLayout* FParentReport = nullptr;
    std::unique_ptr<TPrinterSettings> aPrinterSettings;
    std::unique_ptr<TQRPageList> FPageList;
    // Held from the moment a load hands the page list's stream over; the page list still
    // reads through it.
    std::shared_ptr<TQRStream> aStream;
    std::unique_ptr<TMetafile> FPage;

    TQRPrinterEvent FAfterPrintEvent;
    TQRPrinterEvent FAfterPreviewEvent;
    TQRPrinterEvent FOnExportToFilterEvent;
    TQRPrinterEvent FOnPreviewEvent;
    TQRPrinterEvent FOnPrintSetupEvent;
    TQRProgressWindowFactory FProgressWindowFactory;
    int FAvailablePages = 0;
    bool FCancelled = false;
    TQRPrinterDestination FDestination = qrdMetafile;
    int FFirstPage = 0;
    int FLastPage = 0;
    int32_t FLeftWaste = 0;
    int32_t FTopWaste = 0;
    QPointer<QObject> FClient;
    QPointer<QObject> FMaster;
    QPointer<QObject> FPreviewControl;
    int FPageCount = 0;
    int FPageNumber = 0;
    bool FPrinterOK = false;
    int FProgress = 0;
    int FMasterProgressStart = 0;
    int FMasterProgressEnd = 0;
    std::string FTitle;
    bool FShowingPreview = false;
    TQRPrinterStatus FStatus = mpReady;
    long double FXFactor = 0.37795L;
    long double FYFactor = 0.37795L;
    bool FReportLoaded = false;
};

// The one report printer of the process, made on first use with a blank report layout.
TQRPrinter& SharedReportPrinter();
// Destroys the shared report printer and its layout now (before the GUI application goes).
// Also runs when the application object is destroyed.
void DestroySharedReportPrinter();

}  // namespace qrp
