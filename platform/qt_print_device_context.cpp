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
    if (FPainter.isActive()) AbortDoc();
}

int QtPrintDeviceContext::StartDoc(const QString& documentName)
{
    if (FPainter.isActive() || FSpoolFile) return 0;
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
    FSpooler->setPageLayout(FPrinter->pageLayout());
    FSpooler->setDocName(documentName);
    FTitle = documentName;
    if (!FPainter.begin(FSpooler.get())) {
        DropSpoolFile();
        return 0;
    }
    FPagesStarted = 0;
    return 1;
}

int QtPrintDeviceContext::StartPage()
{
    if (!FPainter.isActive() || FInPage) return 0;
    if (FPagesStarted > 0 && !FSpooler->newPage()) return 0;
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
    if (!FPainter.isActive()) return 0;
    FPainter.end();
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
