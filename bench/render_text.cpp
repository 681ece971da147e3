// The text of a page without rasterising, against rendering the same page 800 pixels wide
// as `qrptool render` does (smooth text, fonts from the platform's font database).
// Target: the text at least 20 times faster than the rendering.
//
// Two states of the per-thread font cache, for both routes alike:
//  - Steady: the fonts and their rasterised glyphs kept from the previous iteration, as for
//    the next page of a report in the viewer, in grep or in a render of --all.
//  - FirstPage: the cache emptied before each iteration, so every font is made again and
//    every glyph rasterised again, as for the one page of a fresh `qrptool render`.
#include "emf/enh_metafile.h"
#include "render/fonts.h"
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

// Empties the font cache out of the timing when the state asks for a first page.
void PrepareFonts(benchmark::State& state, bool firstPage)
{
    if (!firstPage) return;
    state.PauseTiming();
    qrp::render::FontCache::ForThisThread().Clear();
    state.ResumeTiming();
}

void BM_SamplePageText(benchmark::State& state, bool firstPage)
{
    const auto picture = SamplePage();
    if (!picture) {
        state.SkipWithError("samples/laudo.QRP not found or unreadable");
        return;
    }
    for (auto _ : state) {
        PrepareFonts(state, firstPage);
        const qrp::render::PageText text = qrp::render::PictureText(*picture);
        benchmark::DoNotOptimize(text.lines.data());
    }
}

void BM_SamplePageRender800(benchmark::State& state, bool firstPage)
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
        PrepareFonts(state, firstPage);
        image.fill(Qt::white);
        QPainter painter(&image);
        qrp::render::PlayEnhMetaFile(painter, *picture, image.rect(), qrp::render::TextMode::kSmooth);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Microseconds: a page's text takes tens of them, which milliseconds would round away.
BENCHMARK_CAPTURE(BM_SamplePageText, Steady, false)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SamplePageRender800, Steady, false)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SamplePageText, FirstPage, true)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SamplePageRender800, FirstPage, true)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly(true);

}  // namespace
