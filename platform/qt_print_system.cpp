#include "platform/qt_print_system.h"

#include "platform/cups_queue.h"
#include "platform/qt_print_device_context.h"
#include "platform/qt_printer_setup.h"

#include <QPageSize>
#include <QPrinter>
#include <QPrinterInfo>

namespace qrp {

namespace {

std::unique_ptr<QPrinter> MakePrinter(const QPrinterInfo& info, const DEVMODEW& devMode)
{
    auto printer = std::make_unique<QPrinter>(info, QPrinter::HighResolution);
    ConfigurePrinter(*printer, info, devMode);
    return printer;
}

// The PPD InputSlot keyword for the device mode's bin, or empty.
QString InputSlotOf(const QString& printer, const DEVMODEW& devMode)
{
    if (!(devMode.dmFields & DM_DEFAULTSOURCE)) return QString();
    const std::optional<CupsPpdDefaults> ppd = CupsPpdDefaultsOf(printer);
    return ppd ? CupsInputSlotForBin(devMode.dmDefaultSource, ppd->InputSlots) : QString();
}

int16_t DuplexCode(QPrinter::DuplexMode mode)
{
    switch (mode) {
    case QPrinter::DuplexLongSide: return DMDUP_VERTICAL;
    case QPrinter::DuplexShortSide: return DMDUP_HORIZONTAL;
    case QPrinter::DuplexAuto: return DMDUP_VERTICAL;
    default: return DMDUP_SIMPLEX;
    }
}

}  // namespace

QStringList QtPrintSystem::PrinterNames() { return QPrinterInfo::availablePrinterNames(); }

QString QtPrintSystem::DefaultPrinterName() { return QPrinterInfo::defaultPrinterName(); }

QString QtPrintSystem::DriverName(const QString& printer)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    return info.isNull() || info.makeAndModel().isEmpty() ? QStringLiteral("CUPS") : info.makeAndModel();
}

QString QtPrintSystem::PortName(const QString& printer) { return QStringLiteral("cups:") + printer; }

std::optional<DEVMODEW> QtPrintSystem::DefaultDeviceMode(const QString& printer)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull()) return std::nullopt;
    DEVMODEW dm = MakeDevMode(reinterpret_cast<const char16_t*>(printer.utf16()));
    dm.dmFields = DM_ORIENTATION | DM_COPIES | DM_COLLATE;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmCopies = 1;
    dm.dmCollate = DMCOLLATE_TRUE;

    const QPageSize page = info.defaultPageSize();
    if (page.isValid()) {
        dm.dmFields |= DM_PAPERSIZE | DM_PAPERWIDTH | DM_PAPERLENGTH;
        dm.dmPaperSize = PaperCodeOf(page);
        const QSizeF mm = page.size(QPageSize::Millimeter);
        dm.dmPaperWidth = static_cast<int16_t>(qRound(mm.width() * 10));
        dm.dmPaperLength = static_cast<int16_t>(qRound(mm.height() * 10));
    }

    const QList<QPrinter::DuplexMode> duplexModes = info.supportedDuplexModes();
    if (duplexModes.size() > 1) {
        dm.dmFields |= DM_DUPLEX;
        dm.dmDuplex = DuplexCode(info.defaultDuplexMode());
    }
    const QList<QPrinter::ColorMode> colorModes = info.supportedColorModes();
    if (colorModes.contains(QPrinter::Color)) {
        dm.dmFields |= DM_COLOR;
        dm.dmColor = info.defaultColorMode() == QPrinter::Color ? DMCOLOR_COLOR : DMCOLOR_MONOCHROME;
    }

    const std::optional<CupsPpdDefaults> ppd = CupsPpdDefaultsOf(printer);
    int dpi = ppd ? ppd->DefaultResolution : 0;
    if (dpi <= 0) dpi = QPrinter(info, QPrinter::HighResolution).resolution();
    if (dpi > 0 && dpi <= INT16_MAX) {
        dm.dmFields |= DM_PRINTQUALITY | DM_YRESOLUTION;
        dm.dmPrintQuality = static_cast<int16_t>(dpi);
        dm.dmYResolution = static_cast<int16_t>(dpi);
    }

    if (ppd && !ppd->InputSlots.isEmpty()) {
        dm.dmFields |= DM_DEFAULTSOURCE;
        const int code = CupsBinForInputSlot(ppd->DefaultInputSlot, ppd->InputSlots);
        dm.dmDefaultSource = static_cast<int16_t>(code != 0 ? code : DMBIN_AUTO);
    }
    return dm;
}

std::optional<std::vector<int16_t>> QtPrintSystem::Papers(const QString& printer, const DEVMODEW* /*devMode*/)
{
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull()) return std::nullopt;
    const QList<QPageSize> sizes = info.supportedPageSizes();
    if (sizes.isEmpty()) return std::nullopt;
    std::vector<int16_t> codes;
    bool custom = false;
    for (const QPageSize& size : sizes) {
        const int16_t code = PaperCodeOf(size);
        if (code == DMPAPER_USER) {
            if (custom) continue;
            custom = true;
        }
        codes.push_back(code);
    }
    return codes;
}

std::unique_ptr<TDeviceContext> QtPrintSystem::CreateIC(const QString& printer, const DEVMODEW& devMode)
{
    class InformationContext : public TDeviceContext {
    public:
        explicit InformationContext(const TDeviceCaps& caps) : FCaps(caps) {}
        TDeviceCaps Caps() const override { return FCaps; }

    private:
        TDeviceCaps FCaps;
    };

    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull()) return nullptr;
    const std::unique_ptr<QPrinter> qprinter = MakePrinter(info, devMode);
    const TDeviceCaps caps = CapsOfPrinter(*qprinter);
    if (caps.LogPixelsX <= 0 || caps.LogPixelsY <= 0) return nullptr;
    return std::make_unique<InformationContext>(caps);
}

std::unique_ptr<TPrintDeviceContext> QtPrintSystem::CreateDC(const QString& printer, const DEVMODEW& devMode)
{
    // A QPrinter named after a missing queue would silently become a file writer.
    const QPrinterInfo info = QPrinterInfo::printerInfo(printer);
    if (info.isNull()) return nullptr;
    return std::make_unique<QtPrintDeviceContext>(MakePrinter(info, devMode), InputSlotOf(printer, devMode));
}

}  // namespace qrp
