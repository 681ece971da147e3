// Every WMF of the shared corpus converts to a valid EMF the way a placeable read does it,
// and every cut of it converts or is refused without a crash.
#include "base/test_shared.h"
#include "emf/wmf/emf_to_wmf.h"
#include "emf/header.h"
#include "emf/validate.h"
#include "emf/wmf/wmf_convert.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace qrp::emf {
namespace {

namespace fs = std::filesystem;
using gdi::MM_ANISOTROPIC;

std::vector<fs::path> CorpusWmfs()
{
    std::vector<fs::path> files;
    const char* shared = std::getenv("QRP_SHARED_DIR");
    if (!shared) return files;
    const fs::path dir = fs::path(shared) / "corpus" / "wmf";
    if (!fs::is_directory(dir)) return files;
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        if (entry.is_regular_file() && entry.path().extension() == ".wmf") files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<uint8_t> ReadAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The body after a placeable header, if any.
Bytes Body(const std::vector<uint8_t>& file)
{
    if (file.size() >= 22 && LoadU32(file.data()) == 0x9AC6CDD7) return Bytes(file).subspan(22);
    return file;
}

// A placeable read: convert with extents 0, then again with the first frame's right/bottom.
std::optional<std::vector<uint8_t>> PlaceableRead(Bytes body)
{
    const auto first = SetWinMetaFileBits(body, {MM_ANISOTROPIC, 0, 0});
    if (!first) return std::nullopt;
    const EnhMetaHeader h = ParseHeader(*first);
    return SetWinMetaFileBits(body, {MM_ANISOTROPIC, h.rclFrame.right, h.rclFrame.bottom});
}

TEST(WmfCorpus, EveryFileConvertsToAValidEnhancedMetafile)
{
    const auto files = CorpusWmfs();
    if (files.empty()) QRP_SKIP_WITHOUT_SHARED("QRP_SHARED_DIR/corpus/wmf not found");
    EXPECT_EQ(files.size(), 54u);
    for (const fs::path& path : files) {
        const std::vector<uint8_t> file = ReadAll(path);
        const auto emf = PlaceableRead(Body(file));
        ASSERT_TRUE(emf.has_value()) << path;
        EXPECT_EQ(ValidationError(*emf), "") << path;
        EXPECT_GT(emf->size(), 108u + 20u) << path;
    }
}

TEST(WmfCorpus, EveryPictureGoesBackToAWmfByItsRecordsAndKeepsItsFrame)
{
    const auto files = CorpusWmfs();
    if (files.empty()) QRP_SKIP_WITHOUT_SHARED("QRP_SHARED_DIR/corpus/wmf not found");
    for (const fs::path& path : files) {
        const std::vector<uint8_t> file = ReadAll(path);
        const auto emf = PlaceableRead(Body(file));
        ASSERT_TRUE(emf.has_value()) << path;
        const RectL frame = ParseHeader(*emf).rclFrame;
        wmf::EmfToWmf converter(*emf, ReferenceDevice{});
        const std::vector<uint8_t> body = converter.Convert(false);
        const int32_t width = frame.right - frame.left, height = frame.bottom - frame.top;
        const auto back = SetWinMetaFileBits(body, {MM_ANISOTROPIC, width, height});
        ASSERT_TRUE(back.has_value()) << path;
        EXPECT_EQ(ValidationError(*back), "") << path;
        if (width > 0 && height > 0) {
            EXPECT_EQ(ParseHeader(*back).rclFrame, (RectL{0, 0, width, height})) << path;
        }
    }
}

TEST(WmfCorpus, CutsOfEveryFileConvertOrAreRefused)
{
    const auto files = CorpusWmfs();
    if (files.empty()) QRP_SKIP_WITHOUT_SHARED("QRP_SHARED_DIR/corpus/wmf not found");
    for (const fs::path& path : files) {
        const std::vector<uint8_t> file = ReadAll(path);
        const Bytes body = Body(file);
        constexpr size_t kCuts = 48;
        for (size_t i = 0; i < kCuts; ++i) {
            const size_t cut = body.size() * i / kCuts + i % 7;
            if (cut >= body.size()) continue;
            const auto emf = SetWinMetaFileBits(body.first(cut), {MM_ANISOTROPIC, 0, 0});
            if (emf) {
                EXPECT_EQ(ValidationError(*emf), "") << path << " cut at " << cut;
            }
        }
    }
}

}  // namespace
}  // namespace qrp::emf
