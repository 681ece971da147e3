// TPrinter: the printer object. It lists the installed printers, keeps the selected one
// with its device-mode block, answers device capabilities and runs print documents on the
// process's print system. One process-wide instance is reached through Printer().
#pragma once

#include "platform/devmode.h"
#include "platform/device_context.h"
#include "platform/print_system.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <memory>
#include <optional>

class QPainter;

namespace qrp {

class TCanvas;

class TPrinter {
public:
    // On the current print system (CurrentPrintSystem()).
    TPrinter();
    explicit TPrinter(std::shared_ptr<PrintSystem> system);
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;

    // The installed printers, read once and kept until Refresh.
    const QStringList& Printers();
    // Reads the list again on the next Printers(); the selection is kept by name.
    void Refresh();

    // Index of the selected printer in Printers(); the first read selects the system's
    // default (or the first printer). -1 when no printer is installed.
    int PrinterIndex();
    // -1 selects the default printer. Raises EPrinter "Printer index out of range" outside
    // the list and "Printing in progress" during a job. Keeps the device-mode block.
    void SetPrinterIndex(int index);

    // Copies device, driver and port names of the selected printer into the buffers (each
    // of `capacity` characters including the terminating zero; longer names are cut) and
    // hands out the handle of this object's own device-mode block, fetching the printer's
    // default device mode first when it holds none (the handle stays empty when that
    // fails). Any buffer may be nullptr.
    void GetPrinter(char16_t* device, char16_t* driver, char16_t* port, std::size_t capacity, HDEVMODE& deviceMode);
    // Selects the printer named `device` (added to the list when it is not there) with
    // that device-mode block: this object's own block, or another whose record is copied.
    // An empty block frees the block held and fetches the printer's default device mode
    // (no block when that fails). Drops the current information context.
    void SetPrinter(const char16_t* device, const char16_t* driver, const char16_t* port, HDEVMODE deviceMode);
    // The device-mode block held now, without fetching one (nullptr when none is held).
    HDEVMODE DeviceModeHandle() const { return FDeviceMode.get(); }

    // The information context (during a job: the printing context) for GetDeviceCaps.
    // Raises EPrinter "Printer selected is not valid" when the device cannot be created.
    HDC Handle();

    const QString& Title() const { return FTitle; }
    void SetTitle(const QString& title) { FTitle = title; }
    bool Printing() const { return FPrinting; }
    bool Aborted() const { return FAborted; }
    int PageNumber() const { return FPageNumber; }

    // Creates the printing context from the selected printer and the device-mode block
    // as it stands ("Printer selected is not valid" when that fails), starts a document
    // named Title whose abort procedure lets the GUI process messages, and starts the first
    // page. When the spooler refuses the document, no job is open and nothing is raised.
    void BeginDoc();
    // EndPage, StartPage. "Printer is not currently printing" without a job.
    void NewPage();
    // EndPage, then EndDoc unless aborted. "Printer is not currently printing" without a job;
    // "The print system did not accept the job" (the job is closed) when the spooler
    // refused the finished document.
    void EndDoc();
    // AbortDoc, EndPage, closes the job. Does nothing without a job.
    void Abort();
    // The orientation of the next sheet the job starts: the first when called before
    // BeginDoc, else the one NewPage starts. A device that cannot turn its sheets keeps the
    // job's orientation. Forgotten when the job ends.
    void SetNextSheetOrientation(TSheetOrientation orientation) { FNextSheet = orientation; }

    // Printable area of the device in device pixels (HORZRES, VERTRES).
    int PageWidth();
    int PageHeight();
    // The canvas of the open job: a TCanvas over the job's painter, origin at the corner of
    // the printable area. "Printer is not currently printing" without a job.
    TCanvas* Canvas();

    PrintSystem& System() const { return *FSystem; }

private:
    void SelectDefaultPrinter();
    void FetchDefaultDeviceMode();
    QString SelectedName();
    void CheckPrinting(bool printing) const;
    void CloseJob();
    void StartSheet();

    std::shared_ptr<PrintSystem> FSystem;
    QStringList FPrinters;
    bool FPrintersRead = false;
    int FPrinterIndex = -1;
    std::unique_ptr<TDeviceModeBlock> FDeviceMode;
    std::unique_ptr<TDeviceContext> FInfoContext;
    std::unique_ptr<TPrintDeviceContext> FPrintContext;
    std::unique_ptr<TCanvas> FCanvas;
    QString FTitle;
    bool FPrinting = false;
    bool FAborted = false;
    int FPageNumber = 0;
    std::optional<TSheetOrientation> FNextSheet;
};

// The process-wide printer object, made on first use on the current print system.
TPrinter* Printer();
// Replaces the process-wide printer object (nullptr: made again on next use); returns the
// one it held.
std::unique_ptr<TPrinter> SetProcessPrinter(std::unique_ptr<TPrinter> printer);

}  // namespace qrp
