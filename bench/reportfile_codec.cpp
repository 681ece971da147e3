// Page codec throughput on real pages, against the plain rendering of the algorithm.
// Pages: the EMF files of corpus/emf/libreoffice-generated ($QRP_SHARED_DIR or the
// repository's ../shared), each coded as one page as the page list does.
#include "reportfile/qr_compress.h"
#include "testsupport/reference_codec.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

namespace qrp {
namespace {

using Bytes = std::vector<uint8_t>;

const std::vector<Bytes>& Pages()
{
    static const std::vector<Bytes> pages = [] {
        const char* env = std::getenv("QRP_SHARED_DIR");
        const std::filesystem::path dir =
            std::filesystem::path(env && *env ? env : QRP_DEFAULT_SHARED_DIR) / "corpus/emf/libreoffice-generated";
        std::vector<Bytes> out;
        for (const auto& entry : std::filesystem::directory_iterator(dir)) {
            if (entry.path().extension() != ".emf") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
        if (out.empty()) throw std::runtime_error("no pages in " + dir.string());
        return out;
    }();
    return pages;
}

int64_t TotalBytes()
{
    int64_t total = 0;
    for (const Bytes& p : Pages()) total += static_cast<int64_t>(p.size());
    return total;
}

std::vector<Bytes> CodedPages()
{
    std::vector<Bytes> coded;
    for (const Bytes& p : Pages()) {
        TMemoryStream out;
        TQRCompress c(out, true);
        c.CompressBlock(p.data(), p.size());
        c.Close();
        coded.push_back(out.Bytes());
    }
    return coded;
}

void BM_Compress(benchmark::State& state)
{
    TMemoryStream out;
    for (auto _ : state) {
        for (const Bytes& p : Pages()) {
            out.SetPosition(0);
            TQRCompress c(out, true);
            c.CompressBlock(p.data(), p.size());
            c.Close();
        }
        benchmark::DoNotOptimize(out.Memory());
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes());
}

void BM_CompressReference(benchmark::State& state)
{
    TMemoryStream out;
    for (auto _ : state) {
        for (const Bytes& p : Pages()) {
            out.SetPosition(0);
            qrp::testsupport::ReferenceCodec c(out, true);
            for (const uint8_t b : p) c.Compress(b);
            c.Close();
        }
        benchmark::DoNotOptimize(out.Memory());
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes());
}

void BM_Expand(benchmark::State& state)
{
    const std::vector<Bytes> coded = CodedPages();
    std::vector<std::unique_ptr<TMemoryStream>> inputs;
    for (const Bytes& c : coded) inputs.push_back(std::make_unique<TMemoryStream>(c));
    Bytes plain;
    for (auto _ : state) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            plain.resize(Pages()[i].size());
            inputs[i]->SetPosition(0);
            TQRCompress c(*inputs[i], false);
            c.ExpandBlock(plain.data(), plain.size());
            benchmark::DoNotOptimize(plain.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes());
}

void BM_ExpandReference(benchmark::State& state)
{
    const std::vector<Bytes> coded = CodedPages();
    std::vector<std::unique_ptr<TMemoryStream>> inputs;
    for (const Bytes& c : coded) inputs.push_back(std::make_unique<TMemoryStream>(c));
    Bytes plain;
    for (auto _ : state) {
        for (size_t i = 0; i < inputs.size(); ++i) {
            plain.resize(Pages()[i].size());
            inputs[i]->SetPosition(0);
            qrp::testsupport::ReferenceCodec c(*inputs[i], false);
            for (uint8_t& b : plain) b = c.Expand();
            benchmark::DoNotOptimize(plain.data());
        }
    }
    state.SetBytesProcessed(state.iterations() * TotalBytes());
}

BENCHMARK(BM_Compress)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CompressReference)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expand)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExpandReference)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qrp
