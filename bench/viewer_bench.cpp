// The viewer on the sample report: window to first page painted, next page to painted, and
// a zoom step (which must fetch no page). Runs on the offscreen platform unless another is
// named. Painting is synchronous (repaint), so each figure includes the paint.
#include "preview/preview.h"
#include "printer/qr_printer.h"
#include "viewer/dialogs.h"
#include "viewer/form1.h"

#include <QApplication>
#include <QFileInfo>
#include <QToolButton>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

namespace {

// Answers nothing: the benchmarks never open a dialog.
class NoDialogs : public qrp::TViewerDialogs {
public:
    std::optional<QString> ExecuteOpen(QWidget*) override { return std::nullopt; }
    std::optional<QString> ExecuteSave(QWidget*, const QString&) override { return std::nullopt; }
    bool ExecutePrint(QWidget*, qrp::TPrintDialogState&) override { return false; }
    bool AskOverwrite(QWidget*) override { return false; }
    void ShowMessage(QWidget*, const QString&) override {}
    void ShowError(QWidget*, const QString&) override {}
    bool AskOpenLink(QWidget*, const QString&) override { return false; }
    bool OpenLink(const QUrl&) override { return false; }
};

// The sample report. The build names the shared folder as <source>/../shared; the sample lies in <source>/samples.
// QRP_BENCH_REPORT names another report to measure.
QString SampleReport()
{
    if (const char* other = std::getenv("QRP_BENCH_REPORT"); other && *other) return QString::fromLocal8Bit(other);
    QString shared = QStringLiteral(QRP_DEFAULT_SHARED_DIR);
    shared.chop(static_cast<qsizetype>(std::strlen("/../shared")));
    return shared + QStringLiteral("/samples/laudo.QRP");
}

// The widget application the benchmarks need, made on first use (the benchmark library
// owns main).
// How long making it took: part of a start before any window exists.
double gApplicationMs = 0;

void EnsureApplication()
{
    if (QApplication::instance()) return;
    const auto start = std::chrono::steady_clock::now();
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    if (!platform || !*platform) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "viewer_bench";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    gApplicationMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint) ++Paints;
        return false;
    }
};

// A window at the designed size with the sample loaded and painted once.
std::unique_ptr<qrp::TForm1> OpenSample(NoDialogs& dialogs)
{
    auto form = std::make_unique<qrp::TForm1>(dialogs);
    form->prepara(SampleReport());
    form->show();
    // Paints reach a window only once it is exposed.
    while (!form->windowHandle() || !form->windowHandle()->isExposed()) QApplication::processEvents(QEventLoop::AllEvents, 5);
    form->prev->PreviewImage()->repaint();
    return form;
}

void BM_WindowToFirstPagePainted(benchmark::State& state)
{
    EnsureApplication();
    if (!QFileInfo::exists(SampleReport())) return state.SkipWithError("samples/laudo.QRP is missing");
    NoDialogs dialogs;
    int paints = 0;
    for (auto _ : state) {
        auto form = OpenSample(dialogs);
        PaintCounter counter(form->prev->PreviewImage());
        form->prev->PreviewImage()->repaint();
        paints += counter.Paints;
        state.PauseTiming();
        form.reset();
        qrp::DestroySharedReportPrinter();
        state.ResumeTiming();
    }
    state.counters["paints"] = paints;
    state.counters["application_ms"] = gApplicationMs;
}
BENCHMARK(BM_WindowToFirstPagePainted)->Unit(benchmark::kMillisecond);

void BM_NextPagePainted(benchmark::State& state)
{
    EnsureApplication();
    if (!QFileInfo::exists(SampleReport())) return state.SkipWithError("samples/laudo.QRP is missing");
    NoDialogs dialogs;
    auto form = OpenSample(dialogs);
    const int pages = qrp::SharedReportPrinter().PageCount();
    PaintCounter counter(form->prev->PreviewImage());
    for (auto _ : state) {
        // Next page, and back to page 1 from the last: every iteration fetches one page.
        if (form->prev->PageNumber() == pages)
            form->SpeedButton1->click();
        else
            form->SpeedButton3->click();
    }
    state.counters["fetches"] = form->prev->PreviewImage()->FetchCount();
    state.counters["paints"] = counter.Paints;
    form.reset();
    qrp::DestroySharedReportPrinter();
}
BENCHMARK(BM_NextPagePainted)->Unit(benchmark::kMillisecond);

void BM_ZoomStepPainted(benchmark::State& state)
{
    EnsureApplication();
    if (!QFileInfo::exists(SampleReport())) return state.SkipWithError("samples/laudo.QRP is missing");
    NoDialogs dialogs;
    auto form = OpenSample(dialogs);
    const int fetchesBefore = form->prev->PreviewImage()->FetchCount();
    PaintCounter counter(form->prev->PreviewImage());
    bool up = true;
    for (auto _ : state) {
        // Zoom in to 190 then out to 30 and again: every step lays out and repaints.
        const int before = form->prev->Zoom();
        (up ? form->SpeedButton5 : form->SpeedButton7)->click();
        if (form->prev->Zoom() == before) {
            up = !up;
            (up ? form->SpeedButton5 : form->SpeedButton7)->click();
        }
        form->prev->PreviewImage()->repaint();
    }
    const int fetches = form->prev->PreviewImage()->FetchCount() - fetchesBefore;
    state.counters["fetches"] = fetches;
    state.counters["paints"] = counter.Paints;
    if (fetches != 0) state.SkipWithError("a zoom step fetched a page");
    form.reset();
    qrp::DestroySharedReportPrinter();
}
BENCHMARK(BM_ZoomStepPainted)->Unit(benchmark::kMillisecond);

}  // namespace
