// A printing context on a CUPS printer: a QPrinter set up from a device mode and a QPainter
// on it while a document is open.
#pragma once

#include "platform/device_context.h"
#include "platform/devmode.h"

#include <QPainter>
#include <QPrinter>

#include <memory>

namespace qrp {

class QtPrintDeviceContext : public TPrintDeviceContext {
public:
    // printer: already set up from the device mode.
    explicit QtPrintDeviceContext(std::unique_ptr<QPrinter> printer);
    ~QtPrintDeviceContext() override;

    TDeviceCaps Caps() const override { return FCaps; }
    void SetAbortProc(TAbortProc proc) override { FAbortProc = std::move(proc); }
    int StartDoc(const QString& documentName) override;
    int StartPage() override;
    int EndPage() override;
    int EndDoc() override;
    int AbortDoc() override;
    QPainter* Painter() override { return FPainter.isActive() ? &FPainter : nullptr; }

private:
    std::unique_ptr<QPrinter> FPrinter;
    QPainter FPainter;
    TDeviceCaps FCaps;
    TAbortProc FAbortProc;
    int FPagesStarted = 0;
    bool FInPage = false;
};

}  // namespace qrp
