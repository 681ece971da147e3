// A printing context on a CUPS queue. Pages are drawn by Qt's PDF engine into a spool file
// laid out as the queue's QPrinter (paper, orientation, resolution); EndDoc hands the file
// to CUPS with the job's options and reports whether the queue took it; AbortDoc drops it,
// so nothing of an aborted job is printed. Each sheet may be turned: the PDF page takes the
// orientation in force when it starts.
#pragma once

#include "platform/device_context.h"
#include "platform/devmode.h"

#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

class QTemporaryFile;

namespace qrp {

// The options of a CUPS job for a QPrinter set up from a device mode: media, copies,
// collation, sides and the input slot keyword when there is one.
std::vector<std::pair<QByteArray, QByteArray>> CupsJobOptions(const QPrinter& printer, const QString& inputSlot);

class QtPrintDeviceContext : public TPrintDeviceContext {
public:
    // printer: the queue's QPrinter, set up from the device mode; inputSlot: the PPD
    // InputSlot keyword for the job, or empty.
    QtPrintDeviceContext(std::unique_ptr<QPrinter> printer, QString inputSlot);
    ~QtPrintDeviceContext() override;

    TDeviceCaps Caps() const override { return FCaps; }
    void SetAbortProc(TAbortProc proc) override { FAbortProc = std::move(proc); }
    int StartDoc(const QString& documentName) override;
    int StartPage() override;
    int EndPage() override;
    int EndDoc() override;
    int AbortDoc() override;
    int ResetOrientation(TSheetOrientation orientation) override;
    QPainter* Painter() override { return FPainter.isActive() ? &FPainter : nullptr; }

private:
    void DropSpoolFile();

    std::unique_ptr<QPrinter> FPrinter;  // the queue, as the device mode sets it up
    QString FInputSlot;
    TDeviceCaps FCaps;
    std::unique_ptr<QTemporaryFile> FSpoolFile;
    std::unique_ptr<QPrinter> FSpooler;  // Qt's PDF engine writing the spool file
    QPainter FPainter;
    QString FTitle;
    TAbortProc FAbortProc;
    QPageLayout FSheetLayout;  // the layout of the next sheet
    bool FOpen = false;        // a document is open (the painter begins on its first sheet)
    int FPagesStarted = 0;
    bool FInPage = false;
};

}  // namespace qrp
