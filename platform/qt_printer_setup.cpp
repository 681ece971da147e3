#include "platform/qt_printer_setup.h"

#include "base/arith.h"

#include <QMarginsF>
#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

namespace qrp {

QPageSize PageSizeOf(const DEVMODEW& devMode, const QPrinterInfo& info)
{
    if ((devMode.dmFields & DM_PAPERSIZE) && devMode.dmPaperSize > 0 && devMode.dmPaperSize != DMPAPER_USER) {
        const QPageSize::PageSizeId id = QPageSize::id(devMode.dmPaperSize);
        if (id != QPageSize::Custom) return QPageSize(id);
    }
    if ((devMode.dmFields & DM_PAPERWIDTH) && (devMode.dmFields & DM_PAPERLENGTH) && devMode.dmPaperWidth > 0 &&
        devMode.dmPaperLength > 0) {
        return QPageSize(QSizeF(devMode.dmPaperWidth / 10.0, devMode.dmPaperLength / 10.0), QPageSize::Millimeter,
                         QString(), QPageSize::ExactMatch);
    }
    const QPageSize fallback = info.defaultPageSize();
    return fallback.isValid() ? fallback : QPageSize(QPageSize::A4);
}

void ConfigurePrinter(QPrinter& printer, const QPrinterInfo& info, const DEVMODEW& devMode)
{
    const uint32_t fields = devMode.dmFields;
    if ((fields & DM_PRINTQUALITY) && devMode.dmPrintQuality > 0) printer.setResolution(devMode.dmPrintQuality);
    printer.setFullPage(true);
    printer.setPageSize(PageSizeOf(devMode, info));
    printer.setPageOrientation((fields & DM_ORIENTATION) && devMode.dmOrientation == DMORIENT_LANDSCAPE
                                   ? QPageLayout::Landscape
                                   : QPageLayout::Portrait);
    // Full page: the painter reaches the whole sheet; the device margins stay the minimum.
    printer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Point);
    if ((fields & DM_COPIES) && devMode.dmCopies > 0) printer.setCopyCount(devMode.dmCopies);
    if (fields & DM_COLLATE) printer.setCollateCopies(devMode.dmCollate == DMCOLLATE_TRUE);
    if (fields & DM_DUPLEX) {
        switch (devMode.dmDuplex) {
        case DMDUP_VERTICAL: printer.setDuplex(QPrinter::DuplexLongSide); break;
        case DMDUP_HORIZONTAL: printer.setDuplex(QPrinter::DuplexShortSide); break;
        default: printer.setDuplex(QPrinter::DuplexNone); break;
        }
    }
    if (fields & DM_COLOR) {
        printer.setColorMode(devMode.dmColor == DMCOLOR_MONOCHROME ? QPrinter::GrayScale : QPrinter::Color);
    }
}

TDeviceCaps CapsOfPrinter(const QPrinter& printer)
{
    TDeviceCaps caps;
    const int dpi = printer.resolution();
    caps.LogPixelsX = dpi;
    caps.LogPixelsY = dpi;
    // The sheet, and the area inside the device's own unprintable margins, as Qt lays
    // them out in the printer's orientation; millimetres keep metric sheets exact.
    QPageLayout layout = printer.pageLayout();
    layout.setUnits(QPageLayout::Millimeter);
    layout.setMode(QPageLayout::StandardMode);
    layout.setMargins(layout.minimumMargins());
    const QRectF paper = layout.fullRect(QPageLayout::Millimeter);
    const QRectF printable = layout.paintRect(QPageLayout::Millimeter);
    const auto toPixels = [](qreal mm, int dotsPerInch) {
        return static_cast<int>(Round(static_cast<long double>(mm) * dotsPerInch / 25.4L));
    };
    caps.PhysicalWidth = toPixels(paper.width(), dpi);
    caps.PhysicalHeight = toPixels(paper.height(), dpi);
    caps.PhysicalOffsetX = toPixels(printable.left() - paper.left(), dpi);
    caps.PhysicalOffsetY = toPixels(printable.top() - paper.top(), dpi);
    caps.HorzRes = toPixels(printable.width(), dpi);
    caps.VertRes = toPixels(printable.height(), dpi);
    return caps;
}

int16_t PaperCodeOf(const QPageSize& size)
{
    const int code = size.windowsId();
    return code > 0 ? static_cast<int16_t>(code) : DMPAPER_USER;
}

}  // namespace qrp
