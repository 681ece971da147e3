// The damage report: every skipped record counted, the first ones kept with type, offset and
// reason, and the text tools print from it.
#include "render/test_pictures.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace qrp::render {
namespace {

using namespace qrp::testsupport;
using emf::EmfWriter;

PlayStats Play(const std::vector<uint8_t>& bytes)
{
    const auto picture = emf::SetEnhMetaFileBits(bytes);
    EXPECT_TRUE(picture);
    PlayStats stats;
    if (picture) Render(*picture, 16, &stats);
    return stats;
}

TEST(PlayerSkips, CleanPictureKeepsNothing)
{
    EmfWriter w = PixelWriter(16);
    w.Rectangle({1, 1, 8, 8});
    const PlayStats stats = Play(w.Finish());
    EXPECT_TRUE(stats.Clean());
    EXPECT_TRUE(stats.skips.empty());
    EXPECT_EQ(DescribeSkips(stats), "");
}

TEST(PlayerSkips, ManyBadRecordsAreCountedExactlyButKeptUpToTheCap)
{
    EmfWriter w = PixelWriter(16);
    const uint32_t count = 5000;
    const size_t firstAt = w.Bytes().size();
    for (uint32_t i = 0; i < count; ++i) w.Append(126);
    w.Rectangle({1, 1, 8, 8});
    const PlayStats stats = Play(w.Finish());
    EXPECT_EQ(stats.skipped, count);
    ASSERT_EQ(stats.skips.size(), PlayStats::kMaxKept);
    EXPECT_EQ(stats.skips[0].offset, firstAt);
    EXPECT_EQ(stats.skips[1].offset, firstAt + 8);
    EXPECT_EQ(stats.skips.back().type, 126u);
    EXPECT_EQ(stats.skips.back().reason, skip::kUnsupported);
    const std::string text = DescribeSkips(stats);
    EXPECT_NE(text.find("and " + std::to_string(count - PlayStats::kMaxKept) + " more skipped records\n"),
              std::string::npos);
    EXPECT_EQ(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')), PlayStats::kMaxKept + 1);
}

TEST(PlayerSkips, RecordTypeNamesFollowTheFormat)
{
    EXPECT_EQ(RecordTypeName(emf::kEmrHeader), "EMR_HEADER");
    EXPECT_EQ(RecordTypeName(emf::kEmrComment), "EMR_GDICOMMENT");
    EXPECT_EQ(RecordTypeName(emf::kEmrSetDIBitsToDevice), "EMR_SETDIBITSTODEVICE");
    EXPECT_EQ(RecordTypeName(0), "unknown");
    EXPECT_EQ(RecordTypeName(0xFFFFFFFF), "unknown");
}

}  // namespace
}  // namespace qrp::render
