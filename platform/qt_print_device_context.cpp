#include "platform/qt_print_device_context.h"

#include "platform/cups_queue.h"
#include "platform/qt_printer_setup.h"

namespace qrp {

QtPrintDeviceContext::QtPrintDeviceContext(std::unique_ptr<QPrinter> printer)
    : FPrinter(std::move(printer)), FCaps(CapsOfPrinter(*FPrinter))
{
}

QtPrintDeviceContext::~QtPrintDeviceContext()
{
    if (FPainter.isActive()) AbortDoc();
}

int QtPrintDeviceContext::StartDoc(const QString& documentName)
{
    if (FPainter.isActive()) return 0;
    // A queue that rejects jobs refuses the document here rather than losing it later.
    if (!CupsQueueAcceptsJobs(FPrinter->printerName())) return 0;
    FPrinter->setDocName(documentName);
    if (!FPainter.begin(FPrinter.get())) return 0;
    FPagesStarted = 0;
    return 1;
}

int QtPrintDeviceContext::StartPage()
{
    if (!FPainter.isActive() || FInPage) return 0;
    if (FPagesStarted > 0 && !FPrinter->newPage()) return 0;
    ++FPagesStarted;
    FInPage = true;
    // Device coordinates start at the corner of the printable area.
    FPainter.resetTransform();
    FPainter.translate(FCaps.PhysicalOffsetX, FCaps.PhysicalOffsetY);
    return 1;
}

int QtPrintDeviceContext::EndPage()
{
    if (!FPainter.isActive() || !FInPage) return 0;
    FInPage = false;
    if (FAbortProc && !FAbortProc()) {
        AbortDoc();
        return 0;
    }
    return 1;
}

int QtPrintDeviceContext::EndDoc()
{
    if (!FPainter.isActive()) return 0;
    FInPage = false;
    // QPainter::end hands the document to CUPS; the status of that submission (the last
    // request of this thread; the queue check in StartDoc was the one before) tells
    // whether the queue took it.
    const bool ended = FPainter.end();
    return ended && !CupsLastRequestFailed() ? 1 : 0;
}

int QtPrintDeviceContext::AbortDoc()
{
    if (!FPainter.isActive()) return 0;
    FPrinter->abort();
    FPainter.end();
    FInPage = false;
    return 1;
}

}  // namespace qrp
