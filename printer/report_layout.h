// TQRReportLayout: the blank report layout that owns the shared report printer. Of a report
// layout this system needs its printer settings record, its page (what a print job stretches
// every picture onto), its ShowProgress flag, its preferred initial zoom and its after-print
// event.
#pragma once

#include "printer/paper_size.h"
#include "printer/printer_settings.h"
#include "printer/zoom_state.h"

#include <cstdint>
#include <functional>

namespace qrp {

class TQRReportLayout;

// A layout page: its paper and its measures in tenths of a millimetre, portrait.
struct TQRPage {
    TQRPaperSize PaperSize = TQRPaperSize::A4;
    TPrinterOrientation Orientation = poPortrait;
    int32_t Width = 2100;
    int32_t Length = 2970;
};

// The page of a new blank layout: Letter under a US measurement locale, else A4; then the
// default printer's paper when it is a named size (Default and Custom keep the measures).
TQRPage BlankLayoutPage(bool usMeasurement, TQRPaperSize defaultPrinterPaper);

// The system locale measures in US units (its measurement code begins with 1).
bool LocaleUsesUSMeasurement();

using TQRLayoutEvent = std::function<void(TQRReportLayout* sender)>;

class TQRReportLayout {
public:
    // A blank layout: settings record with UseStandardprinter false and MemoryLimit 250000,
    // the page from the locale and the default printer's paper, progress shown, zoom to fit.
    TQRReportLayout();
    // A blank layout on a given page (tests).
    explicit TQRReportLayout(const TQRPage& page);

    TQRPrinterSettings& PrinterSettings() { return FPrinterSettings; }
    const TQRPrinterSettings& PrinterSettings() const { return FPrinterSettings; }
    TQRPage& Page() { return FPage; }
    const TQRPage& Page() const { return FPage; }
    bool ShowProgress() const { return FShowProgress; }
    void SetShowProgress(bool value) { FShowProgress = value; }
    TQRZoomState PrevInitialZoom() const { return FPrevInitialZoom; }
    void SetPrevInitialZoom(TQRZoomState value) { FPrevInitialZoom = value; }
    const TQRLayoutEvent& AfterPrint() const { return FAfterPrint; }
    void SetAfterPrint(TQRLayoutEvent value) { FAfterPrint = std::move(value); }

private:
    TQRPrinterSettings FPrinterSettings;
    TQRPage FPage;
    bool FShowProgress = true;
    TQRZoomState FPrevInitialZoom = qrZoomToFit;
    TQRLayoutEvent FAfterPrint;
};

}  // namespace qrp
