// The print system of the machine: CUPS printers through Qt PrintSupport.
#pragma once

#include "platform/print_system.h"

namespace qrp {

class QtPrintSystem : public PrintSystem {
public:
    QStringList PrinterNames() override;
    QString DefaultPrinterName() override;
    QString DriverName(const QString& printer) override;
    QString PortName(const QString& printer) override;
    // From the printer's PPD defaults: paper (its Windows code, 256 for a size without
    // one), portrait, 1 copy, collation, duplex, colour, resolution and input slot; dmFields
    // holds what the printer offers.
    std::optional<DEVMODEW> DefaultDeviceMode(const QString& printer) override;
    // The Windows codes of the printer's supported page sizes (256 for sizes without one,
    // once).
    std::optional<std::vector<int16_t>> Papers(const QString& printer, const DEVMODEW* devMode) override;
    // Measures of a QPrinter set up from the device mode: resolution, full paper and the
    // device's own unprintable margins.
    std::unique_ptr<TDeviceContext> CreateIC(const QString& printer, const DEVMODEW& devMode) override;
    // A QPrinter set up from the device mode; the job goes to CUPS at EndDoc, with the
    // input slot of the device mode's bin.
    std::unique_ptr<TPrintDeviceContext> CreateDC(const QString& printer, const DEVMODEW& devMode) override;
};

}  // namespace qrp
