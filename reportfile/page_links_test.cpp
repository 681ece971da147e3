// Hyperlinks asked of pages that were written without them: the record's end says whether
// link data follows the picture, so the back link is never read as a hyperlink count.
#include "reportfile/page_list.h"

#include "testsupport/files.h"
#include "testsupport/pictures.h"
#include "testsupport/reports.h"

#include <gtest/gtest.h>

namespace qrp {
namespace {

using testsupport::NumberedPageMetafile;

std::unique_ptr<THyperlinkList> LinksOf(TQRPageList& list, int page)
{
    std::unique_ptr<TMetafile> m;
    std::unique_ptr<THyperlinkList> links;
    list.GetPageEx(page, m, links);
    EXPECT_NE(m, nullptr) << "page " << page;
    return links;
}

TEST(PageLinks, PagesWrittenWithoutLinksGiveNoListOnEveryPage)
{
    // Middle pages used to read the back link as a count and parse the next record as links.
    const std::vector<uint8_t> bytes = testsupport::NumberedReportBytes(4, false);
    TMemoryStream in(bytes);
    TQRPageList list;
    list.LoadFromStream(in);
    for (int p = 1; p <= 4; ++p) EXPECT_EQ(LinksOf(list, p), nullptr) << "page " << p;
}

TEST(PageLinks, MixedPagesEachReadAsWritten)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    const THyperlinkList two = {THyperlink({1, 2, 3, 4}, "https://a.example/"), THyperlink({5, 6, 7, 8}, "")};
    list.AddPage(NumberedPageMetafile(1));
    list.AddPageEx(NumberedPageMetafile(2), &two);
    list.AddPageEx(NumberedPageMetafile(3), nullptr);
    list.AddPage(NumberedPageMetafile(4));
    list.Finish();
    EXPECT_EQ(LinksOf(list, 1), nullptr);
    const auto links = LinksOf(list, 2);
    ASSERT_NE(links, nullptr);
    ASSERT_EQ(links->size(), 2u);
    EXPECT_EQ((*links)[0].Link, "https://a.example/");
    EXPECT_EQ((*links)[1].Area.Right, 7);
    EXPECT_EQ(LinksOf(list, 3), nullptr);  // a count of 0
    EXPECT_EQ(LinksOf(list, 4), nullptr);
    // Backwards, through the back links, the same.
    EXPECT_EQ(LinksOf(list, 4), nullptr);
    ASSERT_NE(LinksOf(list, 2), nullptr);
    EXPECT_EQ(LinksOf(list, 1), nullptr);
}

TEST(PageLinks, PagesWrittenWithLinksReadWithGetPageInEveryOrder)
{
    // Loading proves a file with GetPage, and the preview reads pictures with it: the link
    // data is stepped over, so the walks along the records stay on record starts.
    testsupport::ScratchDir dir;
    const std::string path = dir.File("links.QRP");
    {
        TQRPageList list;
        list.SetStream(std::make_shared<TQRStream>(250000));
        const THyperlinkList links = {THyperlink({0, 0, 10, 10}, std::string(300, 'x'))};
        for (int p = 1; p <= 4; ++p) list.AddPageEx(NumberedPageMetafile(p), p == 3 ? nullptr : &links);
        list.Finish();
        list.SaveToFile(path);
    }
    TQRPageList list;
    list.LoadFromFile(path);
    for (int p : {1, 2, 3, 4, 4, 2, 1, 3, 1, 4}) {
        EXPECT_NE(list.GetPage(p), nullptr) << "page " << p;
        const auto links = LinksOf(list, p);
        EXPECT_EQ(links != nullptr, p != 3) << "page " << p;
    }
}

}  // namespace
}  // namespace qrp
