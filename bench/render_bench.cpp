// Playback speed: one page played onto a 794 x 1123 image (A4 at 96 dpi), the size a
// screen preview paints. Target: median at most 5 ms per page.
#include "emf/enh_metafile.h"
#include "render/play.h"
#include "reportfile/page_list.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const QSize kPage(794, 1123);

std::string SharedDir()
{
    const char* env = std::getenv("QRP_SHARED_DIR");
    return env && *env ? env : QRP_DEFAULT_SHARED_DIR;
}

qrp::emf::HENHMETAFILE LoadPicture(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return qrp::emf::SetEnhMetaFileBits(std::move(bytes));
}

void PlayOnto(benchmark::State& state, const qrp::emf::EnhMetaFile& picture)
{
    QImage image(kPage, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        qrp::render::PlayEnhMetaFile(painter, picture, QRect(QPoint(0, 0), kPage));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// The sample report's first page: a laboratory exam as a report generator records it.
void BM_PlaySampleReportFirstPage(benchmark::State& state)
{
    qrp::emf::HENHMETAFILE picture;
    try {
        qrp::TQRPageList report;
        report.LoadFromFile(QRP_SAMPLES_DIR "/laudo.QRP");
        if (const auto page = report.GetPage(1)) picture = page->SharedHandle();
    } catch (const std::exception&) {
    }
    if (!picture) {
        state.SkipWithError("samples/laudo.QRP not found or unreadable");
        return;
    }
    PlayOnto(state, *picture);
}
BENCHMARK(BM_PlaySampleReportFirstPage)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

// A text-heavy corpus page: 3470 characters in EXTTEXTOUTW records with dx arrays, a
// font created per run.
void BM_PlayTextHeavyCorpusPage(benchmark::State& state)
{
    const auto picture = LoadPicture(SharedDir() + "/corpus/emf/libreoffice-generated/ProblemExtracting.emf");
    if (!picture) {
        state.SkipWithError("corpus page not found (QRP_SHARED_DIR)");
        return;
    }
    PlayOnto(state, *picture);
}
BENCHMARK(BM_PlayTextHeavyCorpusPage)->Unit(benchmark::kMillisecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
