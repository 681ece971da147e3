#include "printer/report_layout.h"

#include "base/swallowed.h"
#include "platform/locale_measure.h"

namespace qrp {

namespace {

TQRPage PortraitPage(TQRPaperSize size)
{
    return TQRPage{size, poPortrait, PaperWidthTenths(size), PaperHeightTenths(size)};
}

TQRPaperSize DefaultPaperOrDefault()
{
    try {
        return DefaultPrinterPaperSize();
    } catch (...) {
        // Any failure reading the process printer's paper leaves the page's own measures.
        LogSwallowed("reading the process printer's paper");
        return TQRPaperSize::Default;
    }
}

}  // namespace

TQRPage BlankLayoutPage(bool usMeasurement, TQRPaperSize defaultPrinterPaper)
{
    TQRPage page = PortraitPage(usMeasurement ? TQRPaperSize::Letter : TQRPaperSize::A4);
    page.PaperSize = defaultPrinterPaper;
    if (defaultPrinterPaper != TQRPaperSize::Default && defaultPrinterPaper != TQRPaperSize::Custom) {
        page.Width = PaperWidthTenths(defaultPrinterPaper);
        page.Length = PaperHeightTenths(defaultPrinterPaper);
    }
    return page;
}

bool LocaleUsesUSMeasurement()
{
    const std::string measure = LocaleMeasure();
    return !measure.empty() && measure[0] == '1';
}

TQRReportLayout::TQRReportLayout()
    : TQRReportLayout(BlankLayoutPage(LocaleUsesUSMeasurement(), DefaultPaperOrDefault()))
{
}

TQRReportLayout::TQRReportLayout(const TQRPage& page) : FPage(page)
{
    FPrinterSettings.UseStandardprinter = false;
    FPrinterSettings.MemoryLimit = 250000;
}

}  // namespace qrp
