// The text of a page without rasterising, against rendering the same page 800 pixels wide.
// Target: the text at least 20 times faster than the rendering.
#include "emf/enh_metafile.h"
#include "render/page_text.h"
#include "render/play.h"
#include "reportfile/page_list.h"

#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

namespace {

qrp::emf::HENHMETAFILE SamplePage()
{
    try {
        qrp::TQRPageList report;
        report.LoadFromFile(QRP_SAMPLES_DIR "/laudo.QRP");
        if (const auto page = report.GetPage(1)) return page->SharedHandle();
    } catch (const std::exception&) {
    }
    return nullptr;
}

void BM_SamplePageText(benchmark::State& state)
{
    const auto picture = SamplePage();
    if (!picture) {
        state.SkipWithError("samples/laudo.QRP not found or unreadable");
        return;
    }
    for (auto _ : state) {
        const qrp::render::PageText text = qrp::render::PictureText(*picture);
        benchmark::DoNotOptimize(text.lines.data());
    }
}
BENCHMARK(BM_SamplePageText)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

void BM_SamplePageRender800(benchmark::State& state)
{
    const auto picture = SamplePage();
    if (!picture) {
        state.SkipWithError("samples/laudo.QRP not found or unreadable");
        return;
    }
    const auto& frame = picture->Header().rclFrame;
    const int height = static_cast<int>(800.0 * (frame.bottom - frame.top) / std::max(1, frame.right - frame.left));
    QImage image(800, std::clamp(height, 1, 4000), QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        qrp::render::PlayEnhMetaFile(painter, *picture, image.rect());
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}
BENCHMARK(BM_SamplePageRender800)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
