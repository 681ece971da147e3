#include "reportfile/page_list.h"

#include "base/exceptions.h"
#include "emf/bytes.h"
#include "reportfile/qr_compress.h"
#include "testsupport/files.h"
#include "testsupport/pictures.h"
#include "testsupport/reports.h"

#include <gtest/gtest.h>

#include <cstring>

namespace qrp {
namespace {

using testsupport::NumberedPageMetafile;
using testsupport::NumberedPagePicture;
using testsupport::NumberedReportBytes;
using Bytes = std::vector<uint8_t>;

int32_t I32At(const Bytes& b, size_t offset) { return emf::LoadI32(b.data() + offset); }

Bytes PictureBytes(const TMetafile& m)
{
    TMemoryStream s;
    m.SaveToStream(s);
    return s.Bytes();
}

void Load(TQRPageList& list, const Bytes& bytes)
{
    TMemoryStream in(bytes);
    list.LoadFromStream(in);
}

TEST(PageListLayout, HeaderAndOnePageRecordAsWritten)
{
    const Bytes picture = NumberedPagePicture(1);
    const auto P = static_cast<int32_t>(picture.size());
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    list.AddPage(NumberedPageMetafile(1));
    TMemoryStream out;
    list.SaveToStream(out);
    const Bytes& f = out.Bytes();

    ASSERT_EQ(static_cast<int32_t>(f.size()), 140 + P);
    EXPECT_EQ(f[0], 3);
    EXPECT_EQ(f[1], 0);
    EXPECT_EQ(f[2], 50);
    EXPECT_EQ(f[3], 0);
    EXPECT_EQ(I32At(f, 8), 1);
    EXPECT_EQ(f[25], 0);
    for (int i = 26; i <= 125; ++i) EXPECT_EQ(f[static_cast<size_t>(i)], 72) << i;
    for (int i : {4, 5, 6, 7, 12, 13, 14, 15, 24, 126, 127}) EXPECT_EQ(f[static_cast<size_t>(i)], 0) << i;
    double date;
    std::memcpy(&date, &f[16], 8);
    EXPECT_GT(date, 45000.0);  // a date after 2023

    EXPECT_EQ(I32At(f, 128), 1);
    EXPECT_EQ(I32At(f, 132), 140 + P);
    EXPECT_EQ(Bytes(f.begin() + 136, f.begin() + 136 + P), picture);
    EXPECT_EQ(I32At(f, 136 + static_cast<size_t>(P)), 128);

    // A second page and Finish: the header counts two.
    const Bytes picture2 = NumberedPagePicture(2, 5);
    const auto P2 = static_cast<int32_t>(picture2.size());
    list.AddPage(NumberedPageMetafile(2, 5));
    list.Finish();
    TMemoryStream out2;
    list.SaveToStream(out2);
    const Bytes& g = out2.Bytes();
    ASSERT_EQ(static_cast<int32_t>(g.size()), 152 + P + P2);
    EXPECT_EQ(I32At(g, 8), 2);
    EXPECT_EQ(I32At(g, 140 + static_cast<size_t>(P)), 2);
    EXPECT_EQ(I32At(g, 144 + static_cast<size_t>(P)), 152 + P + P2);
    EXPECT_EQ(I32At(g, g.size() - 4), 140 + P);
}

TEST(PageListLayout, CompressedRecordCarriesCountThenCodedBytes)
{
    const Bytes picture = NumberedPagePicture(1);
    TMemoryStream coded;
    {
        TQRCompress c(coded, true);
        c.CompressBlock(picture.data(), picture.size());
        c.Close();
    }
    const auto K = static_cast<int32_t>(coded.Size());
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    list.SetCompression(true);
    list.AddPage(NumberedPageMetafile(1));
    TMemoryStream out;
    list.SaveToStream(out);
    const Bytes& f = out.Bytes();
    ASSERT_EQ(static_cast<int32_t>(f.size()), 144 + K);
    EXPECT_EQ(f[25], 1);
    EXPECT_EQ(I32At(f, 132), 144 + K);
    EXPECT_EQ(I32At(f, 136), static_cast<int32_t>(picture.size()));
    EXPECT_EQ(Bytes(f.begin() + 140, f.begin() + 140 + K), coded.Bytes());
    EXPECT_EQ(I32At(f, 140 + static_cast<size_t>(K)), 128);
}

TEST(PageListLayout, HyperlinkEntriesAndEmptyPictures)
{
    const Bytes picture = NumberedPagePicture(1);
    const size_t P = picture.size();
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    list.AddPageEx(NumberedPageMetafile(1), nullptr);
    THyperlinkList links = {THyperlink({1, 2, 3, 4}, "abc"), THyperlink({5, 6, 7, 8}, "")};
    list.AddPageEx(NumberedPageMetafile(1), &links);
    list.AddPage(TMetafile());  // an empty picture: an empty page data field
    TMemoryStream out;
    list.SaveToStream(out);
    const Bytes& f = out.Bytes();
    EXPECT_EQ(I32At(f, 136 + P), 0);  // no list: count 0
    const size_t second = 128 + 8 + P + 4 + 4;
    EXPECT_EQ(I32At(f, second + 8 + P), 2);
    EXPECT_EQ(I32At(f, second + 8 + P + 4), 1);
    EXPECT_EQ(I32At(f, second + 8 + P + 4 + 16), 3);
    EXPECT_EQ(std::string(f.begin() + static_cast<long>(second + 8 + P + 24), f.begin() + static_cast<long>(second + 8 + P + 27)), "abc");
    EXPECT_EQ(I32At(f, second + 8 + P + 27 + 16), 0);
    const size_t third = second + 8 + P + 4 + 23 + 20 + 4;
    EXPECT_EQ(I32At(f, third), 3);
    EXPECT_EQ(I32At(f, third + 4), static_cast<int32_t>(third + 12));
    EXPECT_EQ(f.size(), third + 12);

    TQRPageList compressed;
    compressed.SetStream(std::make_shared<TQRStream>(250000));
    compressed.SetCompression(true);
    compressed.AddPageEx(TMetafile(), &links);  // compressed pages carry no links
    TMemoryStream out2;
    compressed.SaveToStream(out2);
    EXPECT_EQ(out2.Size(), 128 + 16);
    EXPECT_EQ(I32At(out2.Bytes(), 136), 0);
}

TEST(PageListRoundTrip, PlainAndCompressedWithAndWithoutLinks)
{
    for (const bool compressed : {false, true}) {
        for (const int links : {-1, 0, 3}) {
            for (const int pages : {1, 2, 7}) {
                SCOPED_TRACE(::testing::Message() << compressed << " " << links << " " << pages);
                const Bytes file = NumberedReportBytes(pages, compressed, links);
                TQRPageList list;
                Load(list, file);
                EXPECT_EQ(list.PageCount(), pages);
                EXPECT_EQ(list.Compression(), compressed);
                // Out of order: last, first, middle, then in order.
                std::vector<int> order = {pages, 1, (pages + 1) / 2};
                for (int p = 1; p <= pages; ++p) order.push_back(p);
                for (const int p : order) {
                    std::unique_ptr<TMetafile> m;
                    std::unique_ptr<THyperlinkList> l;
                    if (links < 0) {
                        m = list.GetPage(p);
                    } else {
                        list.GetPageEx(p, m, l);
                    }
                    ASSERT_TRUE(m);
                    EXPECT_EQ(PictureBytes(*m), NumberedPagePicture(p, p % 3));
                    if (links > 0 && !compressed) {
                        ASSERT_TRUE(l);
                        ASSERT_EQ(l->size(), 3u);
                        EXPECT_EQ((*l)[2].Area, (TRect{2, p, 12, p + 20}));
                        EXPECT_EQ((*l)[2].Link, "http://exame/" + std::to_string(p) + "/2");
                    } else {
                        EXPECT_FALSE(l);
                    }
                }
                EXPECT_FALSE(list.GetPage(0));
                EXPECT_FALSE(list.GetPage(pages + 1));
                TMemoryStream back;
                list.SaveToStream(back);
                EXPECT_EQ(back.Bytes(), file);
            }
        }
    }
}

TEST(PageListRoundTrip, LinkTextsAreOneBytePerCharacter)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    THyperlinkList links = {THyperlink({0, 0, 1, 1}, "Relatório €")};
    list.AddPageEx(NumberedPageMetafile(1), &links);
    list.Finish();
    std::unique_ptr<TMetafile> m;
    std::unique_ptr<THyperlinkList> l;
    list.GetPageEx(1, m, l);
    ASSERT_TRUE(l);
    EXPECT_EQ((*l)[0].Link, "Relatório ?");
}

// An uncompressed file whose header is rewritten to an older size.
Bytes WithOldHeader(const Bytes& file, int size)
{
    Bytes header(128, 0);
    std::memcpy(header.data(), file.data(), 128);
    Bytes old;
    if (size == 124) {
        old.assign(124, 0);
        std::memcpy(&old[0], &header[0], 12);
        std::memcpy(&old[12], &header[16], 8);
        old[20] = header[24];
        old[21] = header[25];
        std::memcpy(&old[22], &header[26], 101);
    } else {
        old.assign(header.begin(), header.begin() + size);
    }
    // Records move with the header: every link shifts by size - 128.
    Bytes records(file.begin() + 128, file.end());
    const int32_t shift = size - 128;
    size_t r = 0;
    while (r < records.size()) {
        const int32_t next = I32At(records, r + 4) - 128;
        auto put = [&records](size_t at, int32_t v) { std::memcpy(&records[at], &v, 4); };
        put(r + 4, next + 128 + shift);
        put(static_cast<size_t>(next) - 4, I32At(records, static_cast<size_t>(next) - 4) + shift);
        r = static_cast<size_t>(next);
    }
    old.insert(old.end(), records.begin(), records.end());
    return old;
}

TEST(PageListHeaders, OlderHeaderSizesAreProbedAndRead)
{
    const Bytes file = NumberedReportBytes(3, false);
    for (const int size : {124, 120, 96}) {
        SCOPED_TRACE(size);
        const Bytes old = WithOldHeader(file, size);
        TMemoryStream in(old);
        TQRStream probe(1 << 20);
        probe.WriteBuffer(old.data(), static_cast<int32_t>(old.size()));
        EXPECT_EQ(probe.GetHeaderSize(), size);
        TQRPageList list;
        Load(list, old);
        // 124: the count field; 120: one page whatever it says; 96: the records counted.
        EXPECT_EQ(list.PageCount(), size == 120 ? 1 : 3);
        for (int p = 1; p <= list.PageCount(); ++p) {
            auto m = list.GetPage(p);
            ASSERT_TRUE(m);
            EXPECT_EQ(PictureBytes(*m), NumberedPagePicture(p, p % 3));
        }
    }
}

TEST(PageListHeaders, ConvertOldHeaderMovesTheFields)
{
    const Bytes old = WithOldHeader(NumberedReportBytes(2, false), 124);
    TQRStream s(1 << 20);
    s.WriteBuffer(old.data(), static_cast<int32_t>(old.size()));
    std::array<uint8_t, 128> header{};
    std::memcpy(header.data(), old.data(), 124);
    s.ConvertOldHeader(header);
    EXPECT_EQ(header[0], 3);
    EXPECT_EQ(header[2], 50);
    EXPECT_EQ(emf::LoadI32(&header[8]), 2);
    EXPECT_EQ(0, std::memcmp(&header[16], &old[12], 8));
    EXPECT_EQ(header[26], 72);
    EXPECT_EQ(header[125], 72);
    EXPECT_EQ(header[126], 0);
}

TEST(PageListHeaders, CompressionOnlyWhenTheFlagIsOne)
{
    Bytes file = NumberedReportBytes(2, false);
    file[25] = 2;
    TQRPageList list;
    Load(list, file);
    EXPECT_FALSE(list.Compression());
    EXPECT_TRUE(list.GetPage(2));
}

TEST(PageListWalk, ReachesAnyPageFromAnyPosition)
{
    const Bytes file = NumberedReportBytes(9, true);
    TQRPageList list;
    Load(list, file);
    // Forward and backward walks from every position a read can leave.
    for (int from = 1; from <= 9; ++from) {
        for (int to = 1; to <= 9; ++to) {
            ASSERT_TRUE(list.GetPage(from));
            auto m = list.GetPage(to);
            ASSERT_TRUE(m);
            EXPECT_EQ(PictureBytes(*m), NumberedPagePicture(to, to % 3)) << from << " -> " << to;
        }
    }
}

}  // namespace
}  // namespace qrp
