#include "tools/samplegen/laudo.h"

#include "emf/record_reader.h"
#include "emf/validate.h"
#include "reportfile/page_list.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <set>

namespace samplegen {
namespace {

std::vector<uint8_t> Committed(const std::string& name)
{
    const char* env = std::getenv("QRP_SOURCE_DIR");
    const std::string source = env && *env ? env : QRP_DEFAULT_SOURCE_DIR;
    std::ifstream in(source + "/samples/" + name, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Bytes 16..23 hold the date of writing.
void ExpectSameExceptDate(std::vector<uint8_t> a, std::vector<uint8_t> b)
{
    ASSERT_EQ(a.size(), b.size());
    ASSERT_GE(a.size(), 24u);
    std::fill(a.begin() + 16, a.begin() + 24, 0);
    std::fill(b.begin() + 16, b.begin() + 24, 0);
    EXPECT_TRUE(a == b);
}

TEST(Samples, RegeneratingGivesTheCommittedFiles)
{
    const auto plain = Committed("laudo.QRP");
    const auto compressed = Committed("laudo-compressed.QRP");
    if (plain.empty() || compressed.empty()) GTEST_SKIP() << "samples/ not found";
    ExpectSameExceptDate(LaudoReport(false), plain);
    ExpectSameExceptDate(LaudoReport(true), compressed);
}

TEST(Samples, PagesAreWellFormedA4PicturesRecordedThroughGdi)
{
    const auto pages = LaudoPages();
    ASSERT_EQ(pages.size(), 3u);
    for (const auto& page : pages) {
        EXPECT_EQ(qrp::emf::ValidationError(page), "");
        std::set<uint32_t> types;
        qrp::emf::RecordReader reader(page);
        while (auto r = reader.Next()) types.insert(r->Type());
        for (const uint32_t t : {17u, 9u, 11u, 82u, 37u, 40u, 84u, 38u, 39u, 43u, 27u, 54u, 87u, 86u, 81u, 33u, 34u})
            EXPECT_TRUE(types.count(t)) << "record type " << t;
    }
    qrp::TQRPageList list;
    qrp::TMemoryStream in(LaudoReport(true));
    list.LoadFromStream(in);
    ASSERT_EQ(list.PageCount(), 3);
    const auto first = list.GetPage(1);
    EXPECT_EQ(first->MMWidth(), 21000);
    EXPECT_EQ(first->MMHeight(), 29700);
    EXPECT_EQ(first->Width(), 4961);
}

}  // namespace
}  // namespace samplegen
