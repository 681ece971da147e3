#include "platform/print_system.h"

#include "platform/printer.h"
#include "platform/qt_print_system.h"

#include <mutex>
#include <utility>

namespace qrp {

namespace {

std::shared_ptr<PrintSystem>& Installed()
{
    static std::shared_ptr<PrintSystem> system;
    return system;
}

}  // namespace

std::shared_ptr<PrintSystem> CurrentPrintSystem()
{
    std::shared_ptr<PrintSystem>& system = Installed();
    if (!system) system = std::make_shared<QtPrintSystem>();
    return system;
}

std::shared_ptr<PrintSystem> InstallPrintSystem(std::shared_ptr<PrintSystem> system)
{
    SetProcessPrinter(nullptr);
    return std::exchange(Installed(), std::move(system));
}

int DeviceCapabilitiesW(const char16_t* device, const char16_t* port, int capability, int16_t* output,
                        std::size_t outputCount, const DEVMODEW* devMode)
{
    return DeviceCapabilitiesW(*CurrentPrintSystem(), device, port, capability, output, outputCount, devMode);
}

int DeviceCapabilitiesW(PrintSystem& system, const char16_t* device, const char16_t* /*port*/, int capability,
                        int16_t* output, std::size_t outputCount, const DEVMODEW* devMode)
{
    if (!device || capability != DC_PAPERS) return -1;
    const std::optional<std::vector<int16_t>> papers = system.Papers(QString::fromUtf16(device), devMode);
    if (!papers) return -1;
    if (output) {
        for (std::size_t i = 0; i < papers->size() && i < outputCount; ++i) output[i] = (*papers)[i];
    }
    return static_cast<int>(papers->size());
}

}  // namespace qrp
