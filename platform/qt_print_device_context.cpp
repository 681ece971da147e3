#include "platform/qt_print_device_context.h"

#include "platform/cups_queue.h"
#include "platform/qt_printer_setup.h"

#include <QDir>
#include <QPageLayout>
#include <QTemporaryFile>

namespace qrp {

std::vector<std::pair<QByteArray, QByteArray>> CupsJobOptions(const QPrinter& printer, const QString& inputSlot)
{
    std::vector<std::pair<QByteArray, QByteArray>> options;
    options.emplace_back("media", printer.pageLayout().pageSize().key().toUtf8());
    const int copies = printer.copyCount();
    if (copies > 1) {
        options.emplace_back("copies", QByteArray::number(copies));
        options.emplace_back("Collate", printer.collateCopies() ? "True" : "False");
    }
    switch (printer.duplex()) {
    case QPrinter::DuplexLongSide:
    case QPrinter::DuplexAuto: options.emplace_back("sides", "two-sided-long-edge"); break;
    case QPrinter::DuplexShortSide: options.emplace_back("sides", "two-sided-short-edge"); break;
    default: options.emplace_back("sides", "one-sided"); break;
    }
    if (!inputSlot.isEmpty()) options.emplace_back("InputSlot", inputSlot.toUtf8());
    return options;
}

QtPrintDeviceContext::QtPrintDeviceContext(std::unique_ptr<QPrinter> printer, QString inputSlot)
    : FPrinter(std::move(printer)), FInputSlot(std::move(inputSlot)), FCaps(CapsOfPrinter(*FPrinter))
{
}

QtPrintDeviceContext::~QtPrintDeviceContext()
{
    if (FOpen) AbortDoc();
}

int QtPrintDeviceContext::StartDoc(const QString& documentName)
{
    if (FOpen || FSpoolFile) return 0;
    // A queue that rejects jobs refuses the document here rather than losing it later.
    if (!CupsQueueAcceptsJobs(FPrinter->printerName())) return 0;
    FSpoolFile = std::make_unique<QTemporaryFile>(QDir::tempPath() + QStringLiteral("/qrp-job-XXXXXX.pdf"));
    if (!FSpoolFile->open()) {
        FSpoolFile.reset();
        return 0;
    }
    FSpoolFile->close();
    FSpooler = std::make_unique<QPrinter>(QPrinter::HighResolution);
    FSpooler->setOutputFormat(QPrinter::PdfFormat);
    FSpooler->setOutputFileName(FSpoolFile->fileName());
    FSpooler->setResolution(FPrinter->resolution());
    FSpooler->setColorMode(FPrinter->colorMode());
    FSpooler->setFullPage(true);
    FSheetLayout = FPrinter->pageLayout();
    FSpooler->setPageLayout(FSheetLayout);
    FSpooler->setDocName(documentName);
    FTitle = documentName;
    FOpen = true;
    FPagesStarted = 0;
    return 1;
}

int QtPrintDeviceContext::ResetOrientation(TSheetOrientation orientation)
{
    if (FInPage) return 0;
    FSheetLayout.setOrientation(orientation == TSheetOrientation::Landscape ? QPageLayout::Landscape
                                                                              : QPageLayout::Portrait);
    // The measures follow the sheet, as for a device made from the turned device mode.
    QPrinter turned(QPrinter::HighResolution);
    turned.setResolution(FPrinter->resolution());
    turned.setFullPage(true);
    turned.setPageLayout(FSheetLayout);
    FCaps = CapsOfPrinter(turned);
    return 1;
}

int QtPrintDeviceContext::StartPage()
{
    if (!FOpen || FInPage) return 0;
    // The PDF engine fixes a page's media box when the page starts: the layout goes first,
    // and the painter begins on the first sheet.
    FSpooler->setPageLayout(FSheetLayout);
    if (FPagesStarted == 0) {
        if (!FPainter.begin(FSpooler.get())) return 0;
    } else if (!FSpooler->newPage()) {
        return 0;
    }
    ++FPagesStarted;
    FInPage = true;
    // Device coordinates start at the corner of the printable area.
    FPainter.resetTransform();
    FPainter.setClipping(false);
    FPainter.translate(FCaps.PhysicalOffsetX, FCaps.PhysicalOffsetY);
    return 1;
}

int QtPrintDeviceContext::EndPage()
{
    if (!FOpen || !FInPage) return 0;
    FInPage = false;
    if (FAbortProc && !FAbortProc()) {
        AbortDoc();
        return 0;
    }
    return 1;
}

int QtPrintDeviceContext::EndDoc()
{
    if (!FOpen) return 0;
    FInPage = false;
    FOpen = false;
    // A document without a sheet still ends as a file of one blank sheet.
    if (!FPainter.isActive() && !FPainter.begin(FSpooler.get())) {
        DropSpoolFile();
        return 0;
    }
    const bool written = FPainter.end();
    const QByteArray file = FSpoolFile->fileName().toLocal8Bit();
    const QByteArray queue = FPrinter->printerName().toLocal8Bit();
    const QByteArray title = FTitle.toUtf8();
    int job = 0;
    if (written) {
        const auto options = CupsJobOptions(*FPrinter, FInputSlot);
        job = CupsPrintFile(queue, file, title, options);
    }
    DropSpoolFile();
    return job > 0 ? 1 : 0;
}

int QtPrintDeviceContext::AbortDoc()
{
    if (!FOpen) return 0;
    if (FPainter.isActive()) FPainter.end();
    FOpen = false;
    FInPage = false;
    DropSpoolFile();
    return 1;
}

void QtPrintDeviceContext::DropSpoolFile()
{
    FSpooler.reset();
    FSpoolFile.reset();  // removes the file
}

}  // namespace qrp
