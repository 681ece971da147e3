#include "printer/print_job.h"

#include "platform/canvas.h"
#include "platform/messages.h"
#include "platform/printer.h"
#include "printer/print_job_geometry.h"
#include "printer/progress_form.h"
#include "printer/qr_printer.h"
#include "printer/report_layout.h"
#include "reportfile/metafile.h"

#include <QPointer>
#include <QWidget>

#include <exception>
#include <memory>

namespace qrp {

namespace {

TSheet CurrentSheet(HDC dc)
{
    return TSheet{GetDeviceCaps(dc, PHYSICALWIDTH), GetDeviceCaps(dc, PHYSICALHEIGHT), GetDeviceCaps(dc, PHYSICALOFFSETX),
                  GetDeviceCaps(dc, PHYSICALOFFSETY)};
}

// The progress window of one job: made for the report printer, shown, made its Client; on
// release hidden, destroyed, and the Client handed back to the control it designated
// before the job (unless someone else took the Client meanwhile).
class ProgressWindowScope {
public:
    ProgressWindowScope(TQRPrinter& printer) : FPrinter(printer), FPreviousClient(printer.Client()) {}
    ~ProgressWindowScope() { Release(); }
    ProgressWindowScope(const ProgressWindowScope&) = delete;
    ProgressWindowScope& operator=(const ProgressWindowScope&) = delete;

    void Open()
    {
        const TQRProgressWindowFactory& factory = FPrinter.ProgressWindowFactory();
        FWindow = factory ? factory(FPrinter) : std::make_unique<TQRProgressForm>(FPrinter);
        if (auto* widget = qobject_cast<QWidget*>(FWindow.get())) widget->show();
        FPrinter.SetClient(FWindow.get());
    }

    void Hide()
    {
        if (auto* widget = qobject_cast<QWidget*>(FWindow.get())) widget->hide();
    }

    void Release()
    {
        if (!FWindow) return;
        if (FPrinter.Client() == FWindow.get()) FPrinter.SetClient(FPreviousClient.data());
        FWindow.reset();
    }

private:
    TQRPrinter& FPrinter;
    QPointer<QObject> FPreviousClient;
    std::unique_ptr<QObject> FWindow;
};

TSheetOrientation JobOrientation(const TQRPrinter& printer)
{
    return printer.PrinterSettings().Orientation() == poLandscape ? TSheetOrientation::Landscape
                                                                   : TSheetOrientation::Portrait;
}

// The sheet a page is printed on lies the way its frame does; an empty sheet lies as the
// job's paper. Without a layout every sheet keeps the job's orientation.
void TurnSheetFor(TQRPrinter& printer, const TMetafile* picture)
{
    if (!printer.ParentReport()) return;
    const TSheetOrientation job = JobOrientation(printer);
    printer.Printer().SetNextSheetOrientation(picture ? SheetOrientationFor(picture->MMWidth(), picture->MMHeight(), job)
                                                      : job);
}

// A page picture fetched before its sheet is started (the sheet is turned to the page's
// frame): a failure to read it is kept and raised where the page is drawn.
struct TFetchedPage {
    std::unique_ptr<TMetafile> Picture;
    std::exception_ptr Failure;
};

TFetchedPage FetchPage(TQRPrinter& printer, int pageNumber)
{
    TFetchedPage page;
    try {
        page.Picture = printer.GetPage(pageNumber);
    } catch (...) {
        page.Failure = std::current_exception();
    }
    return page;
}

void PrintRange(TQRPrinter& printer, bool showProgress, ProgressWindowScope& progress)
{
    TPrinter& device = printer.Printer();
    device.SetTitle(QString::fromStdString(printer.Title()));
    if (device.Printing()) device.Abort();
    printer.PrinterSettings().ApplySettings();

    const int first = printer.FirstPage() != 0 ? printer.FirstPage() : 1;
    const int last = printer.LastPage() != 0 ? printer.LastPage() : printer.PageCount();
    TFetchedPage page = FetchPage(printer, first);
    TurnSheetFor(printer, page.Picture.get());
    device.BeginDoc();

    if (showProgress) progress.Open();
    for (int i = first; i <= last; ++i) {
        ProcessMessages();
        if (showProgress) printer.SetProgress(RangeProgress(i, first, last));
        printer.SetPageNumber(i);
        if (page.Failure) std::rethrow_exception(page.Failure);
        if (page.Picture) device.Canvas()->StretchDraw(PictureRectangle(printer, *page.Picture), *page.Picture);
        page.Picture.reset();
        if (i < last) {
            page = FetchPage(printer, i + 1);
            TurnSheetFor(printer, page.Picture.get());
            device.NewPage();
        }
        // Cancellation point: the sheet just drawn is the last one the job sends; noticed
        // after the last page, it discards the whole job.
        if (printer.Cancelled()) {
            device.Abort();
            break;
        }
    }
    if (showProgress) progress.Hide();

    TQRReportLayout* layout = printer.ParentReport();
    if (layout && layout->AfterPrint()) layout->AfterPrint()(layout);
}

}  // namespace

TRect PageRectangle(TQRPrinter& printer)
{
    TPrinter& device = printer.Printer();
    if (!printer.ParentReport()) return Rect(0, 0, device.PageWidth(), device.PageHeight());
    const HDC dc = device.Handle();
    return FitOnSheet(0, 0, CurrentSheet(dc));
}

TRect PictureRectangle(TQRPrinter& printer, const TMetafile& picture)
{
    if (!printer.ParentReport()) return PageRectangle(printer);
    return FitOnSheet(picture.MMWidth(), picture.MMHeight(), CurrentSheet(printer.Printer().Handle()));
}

void RunPrintJob(TQRPrinter& printer)
{
    if (printer.Status() != mpFinished || !printer.PrinterOK()) return;
    const TQRReportLayout* layout = printer.ParentReport();
    const bool showProgress = layout && layout->ShowProgress();
    printer.SetCancelled(false);

    ProgressWindowScope progress(printer);
    std::exception_ptr failure;
    try {
        PrintRange(printer, showProgress, progress);
    } catch (...) {
        failure = std::current_exception();
    }

    // Clean-up: the sheets already sent are printed, and the window goes.
    TPrinter& device = printer.Printer();
    try {
        if (device.Printing()) device.EndDoc();
    } catch (...) {
        // A job that failed reports its own failure, not the one of closing it.
        if (!failure) failure = std::current_exception();
    }
    if (device.Printing()) device.Abort();
    progress.Release();
    if (failure) std::rethrow_exception(failure);
}

void TQRPrinter::Print() { RunPrintJob(*this); }

}  // namespace qrp
