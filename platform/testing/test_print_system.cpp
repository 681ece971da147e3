#include "platform/testing/test_print_system.h"

#include "platform/printer.h"
#include "platform/testing/recording_paint_device.h"

#include <QPainter>

#include <algorithm>
#include <utility>

namespace qrp::testsupport {

TestPrinter& TestPrinter::SetA4(int dpi)
{
    // 210 x 297 mm; 1/6 inch unprintable on every edge.
    const int width = (2100 * dpi + 127) / 254;
    const int height = (2970 * dpi + 127) / 254;
    const int margin = dpi / 6;
    SetSheet(dpi, dpi, width, height, margin, margin, width - 2 * margin, height - 2 * margin);
    DEVMODEW dm = MakeDevMode(reinterpret_cast<const char16_t*>(Name.utf16()));
    dm.dmFields = DM_ORIENTATION | DM_PAPERSIZE | DM_PAPERLENGTH | DM_PAPERWIDTH | DM_COPIES | DM_DEFAULTSOURCE |
                  DM_PRINTQUALITY | DM_YRESOLUTION | DM_COLLATE;
    dm.dmOrientation = DMORIENT_PORTRAIT;
    dm.dmPaperSize = DMPAPER_A4;
    dm.dmPaperWidth = 2100;
    dm.dmPaperLength = 2970;
    dm.dmCopies = 1;
    dm.dmDefaultSource = DMBIN_AUTO;
    dm.dmPrintQuality = static_cast<int16_t>(dpi);
    dm.dmYResolution = static_cast<int16_t>(dpi);
    dm.dmCollate = DMCOLLATE_TRUE;
    DefaultDevMode = dm;
    Papers = std::vector<int16_t>{1, 5, 9, 11};
    return *this;
}

TestPrinter& TestPrinter::SetSheet(int dpiX, int dpiY, int width, int height, int offsetX, int offsetY,
                                   int printableWidth, int printableHeight)
{
    PortraitCaps.LogPixelsX = dpiX;
    PortraitCaps.LogPixelsY = dpiY;
    PortraitCaps.PhysicalWidth = width;
    PortraitCaps.PhysicalHeight = height;
    PortraitCaps.PhysicalOffsetX = offsetX;
    PortraitCaps.PhysicalOffsetY = offsetY;
    PortraitCaps.HorzRes = printableWidth;
    PortraitCaps.VertRes = printableHeight;
    return *this;
}

TestPrinter& TestPrinter::SetFields(uint32_t dmFields)
{
    if (DefaultDevMode) DefaultDevMode->dmFields = dmFields;
    return *this;
}

QRectF RecordedPage::Bounds() const
{
    QRectF bounds;
    for (const DrawCall& call : Calls) bounds = bounds.united(call.Bounds);
    return bounds;
}

// A printing context that records the document into the system's job list.
class TestPrintDeviceContext : public TPrintDeviceContext {
public:
    TestPrintDeviceContext(TestPrintSystem* system, const TestPrinter& printer, const DEVMODEW& devMode)
        : FSystem(system),
          FPrinter(printer),
          FPrinterName(printer.Name),
          FRefuse(printer.RefuseDocuments),
          FRefuseAtEnd(printer.RefuseFinishedJobs),
          FDevMode(devMode),
          FCaps(system->CapsOf(printer, devMode))
    {
    }

    ~TestPrintDeviceContext() override
    {
        if (FPainter.isActive()) FPainter.end();
    }

    TDeviceCaps Caps() const override { return FCaps; }
    void SetAbortProc(TAbortProc proc) override { FAbortProc = std::move(proc); }

    int StartDoc(const QString& documentName) override
    {
        if (FJob >= 0) return 0;
        RecordedJob job;
        job.Printer = FPrinterName;
        job.Title = documentName;
        job.DevMode = FDevMode;
        job.Caps = FCaps;
        job.Started = !FRefuse;
        FSystem->FJobs.push_back(job);
        if (FRefuse) return 0;
        FJob = static_cast<int>(FSystem->FJobs.size()) - 1;
        FDevice = std::make_unique<RecordingPaintDevice>(
            std::max(FCaps.HorzRes, 1), std::max(FCaps.VertRes, 1), FCaps.LogPixelsX, FCaps.LogPixelsY,
            [this](const DrawCall& call) {
                if (FInPage) Job().Pages.back().Calls.push_back(call);
            });
        FPainter.begin(FDevice.get());
        return 1;
    }

    int StartPage() override
    {
        if (FJob < 0 || FInPage || Job().Ended || Job().Aborted) return 0;
        Job().Pages.emplace_back();
        Job().Pages.back().Caps = FCaps;
        FInPage = true;
        return 1;
    }

    int EndPage() override
    {
        if (FJob < 0 || !FInPage) return 0;
        FInPage = false;
        if (FAbortProc) {
            ++Job().AbortProcCalls;
            if (!FAbortProc()) {
                AbortDoc();
                return 0;
            }
        }
        return 1;
    }

    int EndDoc() override
    {
        if (FJob < 0 || Job().Ended || Job().Aborted) return 0;
        FInPage = false;
        FPainter.end();
        if (FRefuseAtEnd) {
            Job().Aborted = true;
            return 0;
        }
        Job().Ended = true;
        return 1;
    }

    int AbortDoc() override
    {
        if (FJob < 0 || Job().Ended || Job().Aborted) return 0;
        FInPage = false;
        FPainter.end();
        Job().Aborted = true;
        return 1;
    }

    QPainter* Painter() override { return FPainter.isActive() ? &FPainter : nullptr; }

    int ResetOrientation(TSheetOrientation orientation) override
    {
        if (FJob < 0 || FInPage || !FPrinter.TurnsSheets) return 0;
        DEVMODEW turned = FDevMode;
        turned.dmFields |= DM_ORIENTATION;
        turned.dmOrientation = orientation == TSheetOrientation::Landscape ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
        FCaps = FSystem->CapsOf(FPrinter, turned);
        return 1;
    }

private:
    RecordedJob& Job() { return FSystem->FJobs[static_cast<std::size_t>(FJob)]; }

    TestPrintSystem* FSystem;
    TestPrinter FPrinter;
    QString FPrinterName;
    bool FRefuse;
    bool FRefuseAtEnd;
    DEVMODEW FDevMode;
    TDeviceCaps FCaps;
    TAbortProc FAbortProc;
    std::unique_ptr<RecordingPaintDevice> FDevice;
    QPainter FPainter;
    int FJob = -1;
    bool FInPage = false;
};

TestPrintSystem::TestPrintSystem() = default;
TestPrintSystem::~TestPrintSystem() = default;

TestPrinter& TestPrintSystem::AddPrinter(const QString& name)
{
    auto printer = std::make_unique<TestPrinter>();
    printer->Name = name;
    printer->SetA4(600);
    FPrinters.push_back(std::move(printer));
    return *FPrinters.back();
}

TestPrinter* TestPrintSystem::Find(const QString& name)
{
    for (const auto& printer : FPrinters) {
        if (printer->Name == name) return printer.get();
    }
    return nullptr;
}

void TestPrintSystem::RemovePrinter(const QString& name)
{
    FPrinters.erase(std::remove_if(FPrinters.begin(), FPrinters.end(),
                                   [&](const std::unique_ptr<TestPrinter>& p) { return p->Name == name; }),
                    FPrinters.end());
}

QStringList TestPrintSystem::PrinterNames()
{
    QStringList names;
    for (const auto& printer : FPrinters) names.append(printer->Name);
    return names;
}

QString TestPrintSystem::DefaultPrinterName()
{
    if (!FDefault.isEmpty() && Find(FDefault)) return FDefault;
    return FPrinters.empty() ? QString() : FPrinters.front()->Name;
}

QString TestPrintSystem::DriverName(const QString& printer)
{
    const TestPrinter* p = Find(printer);
    return p ? p->Driver : QString();
}

QString TestPrintSystem::PortName(const QString& printer)
{
    const TestPrinter* p = Find(printer);
    return p ? p->Port : QString();
}

std::optional<DEVMODEW> TestPrintSystem::DefaultDeviceMode(const QString& printer)
{
    const TestPrinter* p = Find(printer);
    if (!p) return std::nullopt;
    return p->DefaultDevMode;
}

std::optional<std::vector<int16_t>> TestPrintSystem::Papers(const QString& printer, const DEVMODEW*)
{
    const TestPrinter* p = Find(printer);
    if (!p) return std::nullopt;
    return p->Papers;
}

TDeviceCaps TestPrintSystem::CapsOf(const TestPrinter& printer, const DEVMODEW& devMode) const
{
    if (printer.CapsFor) return printer.CapsFor(devMode);
    TDeviceCaps caps = printer.PortraitCaps;
    if ((devMode.dmFields & DM_ORIENTATION) && devMode.dmOrientation == DMORIENT_LANDSCAPE) {
        std::swap(caps.LogPixelsX, caps.LogPixelsY);
        std::swap(caps.PhysicalWidth, caps.PhysicalHeight);
        std::swap(caps.PhysicalOffsetX, caps.PhysicalOffsetY);
        std::swap(caps.HorzRes, caps.VertRes);
    }
    return caps;
}

std::unique_ptr<TDeviceContext> TestPrintSystem::CreateIC(const QString& printer, const DEVMODEW& devMode)
{
    class InformationContext : public TDeviceContext {
    public:
        explicit InformationContext(const TDeviceCaps& caps) : FCaps(caps) {}
        TDeviceCaps Caps() const override { return FCaps; }

    private:
        TDeviceCaps FCaps;
    };

    const TestPrinter* p = Find(printer);
    if (!p || p->FailDeviceContext) return nullptr;
    ++FInformationContexts;
    return std::make_unique<InformationContext>(CapsOf(*p, devMode));
}

std::unique_ptr<TPrintDeviceContext> TestPrintSystem::CreateDC(const QString& printer, const DEVMODEW& devMode)
{
    const TestPrinter* p = Find(printer);
    if (!p || p->FailDeviceContext) return nullptr;
    return std::make_unique<TestPrintDeviceContext>(this, *p, devMode);
}

ScopedPrintSystem::ScopedPrintSystem(std::shared_ptr<PrintSystem> system)
    : FPrevious(InstallPrintSystem(std::move(system)))
{
}

ScopedPrintSystem::~ScopedPrintSystem() { InstallPrintSystem(std::move(FPrevious)); }

}  // namespace qrp::testsupport
