// TestPrintSystem: a print system with scripted printers for tests. Each printer has a
// default device mode, a paper list, a resolution, a sheet and offsets; every document
// started on it is recorded with its pages and the drawing calls made on each page.
//
//   auto system = std::make_shared<qrp::testsupport::TestPrintSystem>();
//   system->AddPrinter("Office").SetA4(600);
//   qrp::testsupport::ScopedPrintSystem scope(system);   // process-wide, process printer reset
//   ... print through qrp::TPrinter ...
//   system->Jobs()[0].Pages.size();
#pragma once

#include "platform/devmode.h"
#include "platform/device_context.h"
#include "platform/print_system.h"

#include <QColor>
#include <QRectF>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace qrp::testsupport {

struct TestPrinter {
    QString Name;
    QString Driver = "test-driver";
    QString Port = "test:";
    // The default device mode; nullopt: DocumentProperties fails for this printer.
    std::optional<DEVMODEW> DefaultDevMode;
    // DC_PAPERS; nullopt answers -1.
    std::optional<std::vector<int16_t>> Papers;
    // Measures of the portrait sheet; a device mode in landscape swaps width and height,
    // the offsets and the resolutions.
    TDeviceCaps PortraitCaps;
    // When set, decides the measures from the device mode instead.
    std::function<TDeviceCaps(const DEVMODEW&)> CapsFor;
    bool FailDeviceContext = false;  // CreateIC and CreateDC fail
    bool RefuseDocuments = false;    // StartDoc fails
    bool RefuseFinishedJobs = false; // EndDoc fails (the queue turned the job away)
    bool TurnsSheets = true;         // ResetOrientation succeeds

    // A4 portrait at `dpi`, 1/6 inch offsets on each edge, default device mode with paper
    // A4, portrait, 1 copy, the usual fields, and the paper list Letter, Legal, A4, A5.
    TestPrinter& SetA4(int dpi);
    // Full control over the sheet: all measures in device pixels.
    TestPrinter& SetSheet(int dpiX, int dpiY, int width, int height, int offsetX, int offsetY,
                          int printableWidth, int printableHeight);
    TestPrinter& SetFields(uint32_t dmFields);
};

// One call made on a page's painter: what kind ("path", "rects", "lines", "polygon",
// "points", "ellipse", "image", "pixmap", "text"), its bounds in device pixels after the
// painter's transform, and the pen and brush colours at that moment.
struct DrawCall {
    QString Kind;
    QRectF Bounds;
    QColor Pen;
    QColor Brush;
    QString Text;  // for "text"
};

struct RecordedPage {
    std::vector<DrawCall> Calls;
    TDeviceCaps Caps;  // the measures of the sheet when the page started
    // The union of every call's bounds.
    QRectF Bounds() const;
};

struct RecordedJob {
    QString Printer;
    QString Title;
    DEVMODEW DevMode{};  // as the printing context was created from it
    TDeviceCaps Caps;
    std::vector<RecordedPage> Pages;
    bool Started = false;  // StartDoc succeeded
    bool Ended = false;    // EndDoc
    bool Aborted = false;  // AbortDoc
    int AbortProcCalls = 0;
};

class TestPrintSystem : public PrintSystem {
public:
    TestPrintSystem();
    ~TestPrintSystem() override;

    // Adds a printer (A4 at 600 dpi until changed) and returns it for scripting.
    TestPrinter& AddPrinter(const QString& name);
    TestPrinter* Find(const QString& name);
    void RemovePrinter(const QString& name);
    void SetDefaultPrinter(const QString& name) { FDefault = name; }

    const std::vector<RecordedJob>& Jobs() const { return FJobs; }
    void ClearJobs() { FJobs.clear(); }
    // Number of CreateIC calls so far.
    int InformationContexts() const { return FInformationContexts; }

    QStringList PrinterNames() override;
    QString DefaultPrinterName() override;
    QString DriverName(const QString& printer) override;
    QString PortName(const QString& printer) override;
    std::optional<DEVMODEW> DefaultDeviceMode(const QString& printer) override;
    std::optional<std::vector<int16_t>> Papers(const QString& printer, const DEVMODEW* devMode) override;
    std::unique_ptr<TDeviceContext> CreateIC(const QString& printer, const DEVMODEW& devMode) override;
    std::unique_ptr<TPrintDeviceContext> CreateDC(const QString& printer, const DEVMODEW& devMode) override;

    // The measures a printer answers for a device mode.
    TDeviceCaps CapsOf(const TestPrinter& printer, const DEVMODEW& devMode) const;

private:
    friend class TestPrintDeviceContext;
    std::vector<std::unique_ptr<TestPrinter>> FPrinters;
    QString FDefault;
    std::vector<RecordedJob> FJobs;
    int FInformationContexts = 0;
};

// Installs a print system process-wide for the scope; the process printer is dropped on
// entry and on exit.
class ScopedPrintSystem {
public:
    explicit ScopedPrintSystem(std::shared_ptr<PrintSystem> system);
    ~ScopedPrintSystem();
    ScopedPrintSystem(const ScopedPrintSystem&) = delete;
    ScopedPrintSystem& operator=(const ScopedPrintSystem&) = delete;

private:
    std::shared_ptr<PrintSystem> FPrevious;
};

}  // namespace qrp::testsupport
