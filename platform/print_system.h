// The print spooler a printer object talks to: installed printers, their default device
// modes and paper lists, information contexts and printing contexts. The process uses one
// system at a time: CUPS through Qt PrintSupport, or a test double.
#pragma once

#include "platform/devmode.h"
#include "platform/device_context.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qrp {

constexpr int DC_PAPERS = 2;

class PrintSystem {
public:
    virtual ~PrintSystem() = default;

    // Names of the installed printers, in a stable order.
    virtual QStringList PrinterNames() = 0;
    // The system's default printer; empty when there is none.
    virtual QString DefaultPrinterName() = 0;
    // Driver and port names shown for a printer.
    virtual QString DriverName(const QString& printer) = 0;
    virtual QString PortName(const QString& printer) = 0;

    // OpenPrinterW + DocumentPropertiesW: the printer's default device mode; nullopt when
    // the printer is unknown or offers none.
    virtual std::optional<DEVMODEW> DefaultDeviceMode(const QString& printer) = 0;
    // DeviceCapabilitiesW(DC_PAPERS): the paper codes the printer offers; nullopt for the
    // platform's -1 (unknown printer, no paper list).
    virtual std::optional<std::vector<int16_t>> Papers(const QString& printer, const DEVMODEW* devMode) = 0;
    // An information context for the printer set up from devMode; nullptr when the device
    // cannot be created.
    virtual std::unique_ptr<TDeviceContext> CreateIC(const QString& printer, const DEVMODEW& devMode) = 0;
    // A printing context for the printer set up from devMode; nullptr when the device
    // cannot be created.
    virtual std::unique_ptr<TPrintDeviceContext> CreateDC(const QString& printer, const DEVMODEW& devMode) = 0;
};

// The process's print system: CUPS unless a test installed another.
std::shared_ptr<PrintSystem> CurrentPrintSystem();
// Installs a print system (nullptr: back to CUPS) and drops the process printer, so that
// the next Printer() is made on the new system. Returns the one installed before.
std::shared_ptr<PrintSystem> InstallPrintSystem(std::shared_ptr<PrintSystem> system);

// DeviceCapabilitiesW on the current print system for DC_PAPERS: the number of paper codes
// the printer offers (-1 on failure); with an output buffer, also the codes, at most
// outputCount of them.
int DeviceCapabilitiesW(const char16_t* device, const char16_t* port, int capability, int16_t* output,
                        std::size_t outputCount, const DEVMODEW* devMode);
// The same on a given print system (a printer object's own).
int DeviceCapabilitiesW(PrintSystem& system, const char16_t* device, const char16_t* port, int capability,
                        int16_t* output, std::size_t outputCount, const DEVMODEW* devMode);

}  // namespace qrp
