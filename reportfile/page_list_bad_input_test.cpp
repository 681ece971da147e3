// Damaged report files: every failure is an exception with its message, no walk hangs,
// nothing is allocated from a size the stream cannot hold, and the list serves the next
// load.
#include "reportfile/page_list.h"

#include "base/exceptions.h"
#include "testsupport/files.h"
#include "testsupport/pictures.h"
#include "testsupport/reports.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace qrp {
namespace {

using namespace qrp::testsupport;
using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, int32_t v) { std::memcpy(&b[at], &v, 4); }
int32_t Get32(const Bytes& b, size_t at)
{
    int32_t v;
    std::memcpy(&v, &b[at], 4);
    return v;
}

// Loads bytes as a file would be checked, then reads every page. Returns the message of
// the first failure, or "" when everything read.
std::string LoadAndReadAll(const Bytes& bytes)
{
    TQRPageList list;
    try {
        TMemoryStream in(bytes);
        list.LoadFromStream(in);
        for (int p = list.PageCount(); p >= 1; --p) list.GetPage(p);
        for (int p = 1; p <= list.PageCount(); ++p) list.GetPage(p);
        return "";
    } catch (const Exception& e) {
        return e.what();
    }
}

std::string LoadFile(const ScratchDir& dir, const Bytes& bytes)
{
    const std::string path = dir.File("r.QRP");
    WriteFile(path, bytes);
    TQRPageList list;
    try {
        list.LoadFromFile(path);
        return "";
    } catch (const Exception& e) {
        EXPECT_FALSE(list.Stream());
        EXPECT_EQ(list.PageCount(), 0);
        return e.what();
    }
}

TEST(PageListBadInput, EveryShorterCutFailsCleanly)
{
    ScratchDir dir;
    for (const bool compressed : {false, true}) {
        const Bytes file = NumberedReportBytes(3, compressed, compressed ? -1 : 2);
        const bool links = !compressed;
        for (size_t length = 0; length < file.size(); ++length) {
            const Bytes cut(file.begin(), file.begin() + static_cast<long>(length));
            // The file load proves the last page: every cut must fail there.
            if (!links) {
                EXPECT_NE(LoadFile(dir, cut), "") << length;
            }
            // A stream load has no check read; reading every page must fail somewhere.
            TQRPageList list;
            try {
                TMemoryStream in(cut);
                list.LoadFromStream(in);
                std::unique_ptr<TMetafile> m;
                std::unique_ptr<THyperlinkList> l;
                for (int p = 1; p <= list.PageCount(); ++p) {
                    if (links) {
                        list.GetPageEx(p, m, l);
                    } else {
                        m = list.GetPage(p);
                    }
                }
                ADD_FAILURE() << "cut at " << length << " read without error";
            } catch (const EReadError&) {
            } catch (const EInvalidGraphic&) {
            }
        }
    }
}

TEST(PageListBadInput, ShortFilesFailWithReadError)
{
    ScratchDir dir;
    EXPECT_EQ(LoadFile(dir, Bytes(175, 0)), "Stream read error");
    EXPECT_EQ(LoadFile(dir, Bytes{}), "Stream read error");
    EXPECT_EQ(LoadAndReadAll(Bytes(100, 'E')), "Stream read error");
}

TEST(PageListBadInput, CorruptingEveryHeaderByteNeverCrashes)
{
    const Bytes file = NumberedReportBytes(2, false);
    for (size_t i = 0; i < 128; ++i) {
        for (const uint8_t v : {0x00, 0x01, 0x7F, 0xFF}) {
            Bytes bad = file;
            bad[i] = v;
            const std::string result = LoadAndReadAll(bad);
            // Only the count and the flag matter; a count of 0 or above 2 is caught.
            if (result.empty()) continue;
            EXPECT_TRUE(result == "Stream read error" || result == "Metafile is not valid") << i << ": " << result;
            EXPECT_TRUE((i >= 8 && i < 12) || i == 25) << "byte " << i << " was not read";
        }
    }
}

TEST(PageListBadInput, LinksThatLoopOrLeaveTheFileEndTheWalk)
{
    const Bytes file = NumberedReportBytes(4, false);
    const size_t first = 128;
    const auto second = static_cast<size_t>(Get32(file, first + 4));
    const auto third = static_cast<size_t>(Get32(file, second + 4));
    struct Case {
        const char* name;
        size_t at;
        int32_t value;
    };
    const std::vector<Case> cases = {
        {"forward link to itself", second + 4, static_cast<int32_t>(second)},
        {"forward link back to page 1", third + 4, static_cast<int32_t>(first)},
        {"forward link negative", second + 4, -8},
        {"forward link past the end", second + 4, 0x7FFFFFF0},
        {"final back link to itself", file.size() - 4, static_cast<int32_t>(file.size() - 4)},
        {"final back link negative", file.size() - 4, -1},
        {"back link forward", third - 4, static_cast<int32_t>(third)},
        {"page number repeated", third, 2},
        {"page number missing", third, 99},
        {"header count beyond the records", 8, 50},
        {"header count negative", 8, -3},
    };
    ScratchDir dir;
    for (const Case& c : cases) {
        Bytes bad = file;
        Put32(bad, c.at, c.value);
        const std::string message = LoadAndReadAll(bad);
        EXPECT_TRUE(message == "Stream read error" || message == "Metafile is not valid") << c.name << ": " << message;
        // The check read of a file load meets the same damage or proves the chain it uses.
        LoadFile(dir, bad);
    }
}

TEST(PageListBadInput, SizesBeyondTheStreamAreRefusedBeforeAllocating)
{
    // Picture nBytes far beyond the end.
    Bytes plain = NumberedReportBytes(1, false);
    Put32(plain, 136 + 48, 0x7FFFFFF0);
    EXPECT_EQ(LoadAndReadAll(plain), "Stream read error");
    // A picture's nBytes below the header size.
    plain = NumberedReportBytes(1, false);
    Put32(plain, 136 + 48, 100);
    EXPECT_EQ(LoadAndReadAll(plain), "Metafile is not valid");
    // Compressed count N above eight times the bytes left, and negative.
    Bytes packed = NumberedReportBytes(1, true);
    Put32(packed, 136, 0x7FFFFFFF);
    EXPECT_EQ(LoadAndReadAll(packed), "Stream read error");
    Put32(packed, 136, -1);
    EXPECT_EQ(LoadAndReadAll(packed), "Stream read error");
    // Hyperlink count and text length.
    const Bytes linked = NumberedReportBytes(1, false, 1);
    const size_t count = 136 + NumberedPagePicture(1, 1).size();
    for (const auto& [at, value] : std::vector<std::pair<size_t, int32_t>>{
             {count, 0x7FFFFFFF}, {count + 20, 0x7FFFFFFF}, {count + 20, -5}}) {
        Bytes bad = linked;
        Put32(bad, at, value);
        TQRPageList list;
        TMemoryStream in(bad);
        list.LoadFromStream(in);
        std::unique_ptr<TMetafile> m;
        std::unique_ptr<THyperlinkList> l;
        EXPECT_THROW(list.GetPageEx(1, m, l), EReadError);
        EXPECT_FALSE(m);
        EXPECT_FALSE(l);
    }
}

TEST(PageListBadInput, SignatureScanOutsideTheHeaderIsInvalid)
{
    // "EMF" at offset 10: the scan would give a header size of -39.
    Bytes bad(400, 0);
    std::memcpy(&bad[10], "EMF", 3);
    EXPECT_EQ(LoadAndReadAll(bad), "Stream read error");
    // "EMF" at 600: a header of 551 bytes.
    Bytes late(1200, 0);
    std::memcpy(&late[600], "EMF", 3);
    EXPECT_EQ(LoadAndReadAll(late), "Stream read error");
}

TEST(PageListBadInput, FilesOverTwoGigabytesAreRefused)
{
#ifdef _WIN32
    GTEST_SKIP() << "a sparse 3 GiB file is made with a POSIX call";
#else
    ScratchDir dir;
    const std::string path = dir.File("huge.QRP");
    const int fd = ::open(path.c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, 3LL * 1024 * 1024 * 1024), 0);  // sparse: no disk used
    ::close(fd);
    TQRPageList list;
    try {
        list.LoadFromFile(path);
        FAIL();
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("larger than 2 GiB"), std::string::npos) << e.what();
    }
#endif
}

TEST(PageListBadInput, AFailedLoadLeavesTheListReadyForTheNext)
{
    ScratchDir dir;
    TQRPageList list;
    EXPECT_THROW(list.LoadFromFile(dir.File("missing.QRP")), EFOpenError);
    const std::string bad = dir.File("bad.QRP");
    Bytes broken = NumberedReportBytes(3, false);
    broken.resize(broken.size() - 1);
    WriteFile(bad, broken);
    EXPECT_THROW(list.LoadFromFile(bad), EReadError);
    EXPECT_FALSE(list.Stream());
    EXPECT_EQ(list.PageCount(), 0);
    const std::string good = dir.File("good.QRP");
    WriteFile(good, NumberedReportBytes(3, true));
    list.LoadFromFile(good);
    EXPECT_EQ(list.PageCount(), 3);
    EXPECT_TRUE(list.GetPage(2));
}

}  // namespace
}  // namespace qrp

namespace qrp {
namespace {

TEST(PageListBadInput, APageThatFailsLeavesTheOtherPagesReadable)
{
    // Page 2 of 3 with a spoilt picture signature: reading it fails, and page 3 (reached by
    // walking on from where the failed read left the position) still reads.
    Bytes bytes = NumberedReportBytes(3, false);
    const size_t page2 = static_cast<size_t>(Get32(bytes, 132));
    Put32(bytes, page2 + 8 + 40, 0);
    TQRPageList list;
    TMemoryStream in(bytes);
    list.LoadFromStream(in);
    EXPECT_THROW(list.GetPage(2), EInvalidGraphic);
    EXPECT_TRUE(list.GetPage(3));
    EXPECT_THROW(list.GetPage(2), EInvalidGraphic);
    EXPECT_TRUE(list.GetPage(1));
}

}  // namespace
}  // namespace qrp

namespace qrp {
namespace {

TEST(PageListBadInput, PageCountsTheRecordsCannotHoldFailTheLoadInOnePass)
{
    ScratchDir dir;
    // One record claiming to be the last of 2^31 - 1 pages.
    Bytes one = NumberedReportBytes(1, false);
    Put32(one, 8, 0x7FFFFFFF);
    Put32(one, 128, 0x7FFFFFFF);
    EXPECT_EQ(LoadFile(dir, one), "Stream read error");
    // One page more than the records: the last record numbered as that page.
    Bytes three = NumberedReportBytes(3, true);
    Put32(three, 8, 4);
    Put32(three, static_cast<size_t>(Get32(three, three.size() - 4)), 4);
    EXPECT_EQ(LoadFile(dir, three), "Stream read error");
    // Fewer pages than records is what a header says: the first pages.
    Bytes fewer = NumberedReportBytes(3, false);
    Put32(fewer, 8, 2);
    Put32(fewer, static_cast<size_t>(Get32(fewer, 132)), 2);
    EXPECT_EQ(LoadFile(dir, fewer), "");
}

TEST(PageListBadInput, PicturesOverTheCapAreRefusedBeforeTheyAreRead)
{
    ScratchDir dir;
    const std::string path = dir.File("big.QRP");
    // A picture claiming one byte more than the cap, in a file that holds that many.
    Bytes plain = NumberedReportBytes(1, false);
    Put32(plain, 136 + 48, kMaxPictureBytes + 1);
    WriteFile(path, plain);
    ASSERT_EQ(::truncate(path.c_str(), int64_t{kMaxPictureBytes} + 4096), 0);  // sparse
    TQRPageList list;
    EXPECT_EQ(LoadFile(dir, plain), "Stream read error");
    try {
        list.LoadFromFile(path);
        FAIL();
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    // A compressed page whose N is just over the cap, over enough coded bytes to allow it.
    Bytes packed = NumberedReportBytes(1, true);
    Put32(packed, 136, kMaxPictureBytes + 1);
    packed.resize(packed.size() + static_cast<size_t>(kMaxPictureBytes / 8) + 64, 0);
    EXPECT_EQ(LoadAndReadAll(packed), "Stream read error");
}

}  // namespace
}  // namespace qrp
