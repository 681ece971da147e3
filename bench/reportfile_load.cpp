// Loading a long report and reading its last page: the load's check read walks every
// record once, the page read then goes straight through the file's last four bytes. The
// report stream of a loaded file stays on disk, so memory does not grow with the report.
#include "base/tempfile.h"
#include "emf/emf_writer.h"
#include "reportfile/page_list.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <unistd.h>

namespace qrp {
namespace {

// A page of about 6 KB: a frame, rules and a few lines of text.
TMetafile SamplePage(int number)
{
    emf::EmfWriterOptions options;
    options.devicePixels = {4961, 7016};
    options.deviceMillimeters = {210, 297};
    emf::EmfWriter w(options);
    emf::LogFontW font;
    font.height = -42;
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(1, font);
    w.SelectObject(1);
    for (int line = 0; line < 40; ++line) {
        const std::u16string text = u"Resultado " + std::u16string(1, static_cast<char16_t>(u'0' + (number + line) % 10));
        const std::vector<int32_t> dx(text.size(), 25);
        w.ExtTextOutW({300, 300 + line * 150}, text, dx);
        w.MoveToEx(300, 360 + line * 150);
        w.LineTo(4600, 360 + line * 150);
    }
    w.DeleteObject(1);
    TMetafile m;
    m.SetHandle(emf::SetEnhMetaFileBits(w.Finish()));
    return m;
}

// The report files, made once per run and removed at exit.
struct ReportFiles {
    std::map<std::pair<int, bool>, std::string> paths;
    ~ReportFiles()
    {
        for (const auto& [key, path] : paths) std::remove(path.c_str());
    }
};

const std::string& ReportFile(int pages, bool compressed)
{
    static ReportFiles files;
    auto& path = files.paths[{pages, compressed}];
    if (path.empty()) {
        TQRPageList list;
        list.SetStream(std::make_shared<TQRStream>(250000));
        list.SetCompression(compressed);
        for (int p = 1; p <= pages; ++p) list.AddPage(SamplePage(p));
        list.Finish();
        path = CreateUniqueFile(TempDirectory(), "qrp-bench-");
        list.SaveToFile(path);
    }
    return path;
}

int64_t ResidentBytes()
{
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<int64_t>(resident) * ::sysconf(_SC_PAGESIZE);
}

void BM_LoadAndReadLastPage(benchmark::State& state)
{
    const int pages = static_cast<int>(state.range(0));
    const bool compressed = state.range(1) != 0;
    const std::string& path = ReportFile(pages, compressed);
    int64_t growth = 0;
    for (auto _ : state) {
        const int64_t before = ResidentBytes();
        TQRPageList list;
        list.LoadFromFile(path);
        auto last = list.GetPage(list.PageCount());
        benchmark::DoNotOptimize(last.get());
        growth = std::max<int64_t>(growth, ResidentBytes() - before);
    }
    std::ifstream in(path, std::ios::ate | std::ios::binary);
    state.counters["file_MB"] = static_cast<double>(in.tellg()) / 1e6;
    state.counters["rss_growth_KB"] = static_cast<double>(growth) / 1024.0;
}

BENCHMARK(BM_LoadAndReadLastPage)
    ->Args({1000, 0})
    ->Args({10000, 0})
    ->Args({10000, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qrp
