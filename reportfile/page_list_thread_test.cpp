// A generating thread appends pages while another reads the pages already written.
#include "reportfile/page_list.h"

#include "testsupport/files.h"
#include "testsupport/pictures.h"
#include "testsupport/reports.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace qrp {
namespace {

TEST(PageListThreads, ReadsWhileAnotherThreadAppends)
{
    for (const bool compressed : {false, true}) {
        TQRPageList list;
        list.SetStream(std::make_shared<TQRStream>(20000));  // moves to disk midway
        list.SetCompression(compressed);
        constexpr int kPages = 120;
        std::vector<TMetafile> pictures;
        for (int p = 1; p <= kPages; ++p) pictures.push_back(testsupport::NumberedPageMetafile(p, p % 5));

        std::atomic<bool> done{false};
        std::thread writer([&] {
            for (const TMetafile& m : pictures) list.AddPage(m);
            list.Finish();
            done = true;
        });
        int reads = 0;
        unsigned seed = 1;
        while (!done || reads < 50) {
            const int count = list.PageCount();
            if (count == 0) continue;
            seed = seed * 1103515245 + 12345;
            const int page = 1 + static_cast<int>(seed % static_cast<unsigned>(count));
            auto m = list.GetPage(page);
            ASSERT_TRUE(m);
            EXPECT_EQ(m->Handle()->Data().size(), pictures[static_cast<size_t>(page - 1)].Handle()->Data().size());
            ++reads;
        }
        writer.join();
        EXPECT_EQ(list.PageCount(), kPages);
        for (int p = 1; p <= kPages; ++p) ASSERT_TRUE(list.GetPage(p));
    }
}

}  // namespace
}  // namespace qrp
