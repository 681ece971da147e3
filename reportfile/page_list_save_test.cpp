// POSIX cases of saving: modes, links, FIFOs, file-size limits.
#ifndef _WIN32

#include "reportfile/page_list.h"

#include "base/exceptions.h"
#include "testsupport/files.h"
#include "testsupport/pictures.h"
#include "testsupport/reports.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qrp {
namespace {

using namespace qrp::testsupport;
using Bytes = std::vector<uint8_t>;

TEST(PageListSave, CopiesTheFileExactlyAndKeepsTheModeOfAFileItReplaces)
{
    ScratchDir dir;
    const Bytes file = NumberedReportBytes(4, true);
    WriteFile(dir.File("a.QRP"), file);
    WriteFile(dir.File("b.QRP"), Bytes(10, 1));
    ::chmod(dir.File("b.QRP").c_str(), 0640);
    TQRPageList list;
    list.LoadFromFile(dir.File("a.QRP"));
    list.GetPage(2);
    list.SaveToFile(dir.File("b.QRP"));
    list.SaveToFile(dir.File("c.QRP"));
    EXPECT_EQ(ReadFile(dir.File("b.QRP")), file);
    EXPECT_EQ(ReadFile(dir.File("c.QRP")), file);
    struct stat info {};
    ::stat(dir.File("b.QRP").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    // Pages still read after a save moved the position to the end.
    EXPECT_TRUE(list.GetPage(3));
    EXPECT_EQ(dir.Entries().size(), 3u);
}

TEST(PageListSave, SavingOntoTheLoadedFileFailsAndLeavesItUntouched)
{
    ScratchDir dir;
    const Bytes file = NumberedReportBytes(2, false);
    WriteFile(dir.File("a.QRP"), file);
    ::symlink(dir.File("a.QRP").c_str(), dir.File("link.QRP").c_str());
    TQRPageList list;
    list.LoadFromFile(dir.File("a.QRP"));
    for (const std::string& target : {dir.File("a.QRP"), dir.File("link.QRP"), dir.Path() + "/./a.QRP"}) {
        try {
            list.SaveToFile(target);
            FAIL() << target;
        } catch (const EFCreateError& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"" + target + "\". ", 0), 0u) << e.what();
        }
    }
    EXPECT_EQ(ReadFile(dir.File("a.QRP")), file);
    EXPECT_TRUE(list.GetPage(2));
    EXPECT_EQ(dir.Entries().size(), 2u);
}

TEST(PageListSave, AFailedCopyLeavesTheDestinationAndNoPartialFile)
{
    ScratchDir dir;
    TQRPageList list;
    TMemoryStream in(NumberedReportBytes(40, false));
    list.LoadFromStream(in);
    const Bytes old(100, 7);
    WriteFile(dir.File("dest.QRP"), old);

    // A file size limit stands in for a full disk: the copy comes short.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(list.SaveToFile(dir.File("dest.QRP")), EWriteError);
    EXPECT_THROW(list.SaveToFile(dir.File("new.QRP")), EWriteError);
    ::setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_EQ(ReadFile(dir.File("dest.QRP")), old);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"dest.QRP"});
}

TEST(PageListSave, AReportCutOnDiskSinceItWasLoadedIsNotCopied)
{
    ScratchDir dir;
    const Bytes file = NumberedReportBytes(3, false);
    WriteFile(dir.File("a.QRP"), file);
    WriteFile(dir.File("dest.QRP"), Bytes(5, 5));
    TQRPageList list;
    list.LoadFromFile(dir.File("a.QRP"));
    ASSERT_EQ(::truncate(dir.File("a.QRP").c_str(), static_cast<off_t>(file.size() / 2)), 0);
    for (const std::string& target : {dir.File("dest.QRP"), dir.File("new.QRP")}) {
        try {
            list.SaveToFile(target);
            FAIL() << target;
        } catch (const EFCreateError& e) {
            EXPECT_NE(std::string(e.what()).find("changed on disk"), std::string::npos) << e.what();
        }
    }
    EXPECT_EQ(ReadFile(dir.File("dest.QRP")), Bytes(5, 5));
    EXPECT_EQ(dir.Entries().size(), 2u);
}

TEST(PageListSave, DestinationsThatAreNoRegularFilesAreRefusedAndKept)
{
    ScratchDir dir;
    TQRPageList list;
    TMemoryStream in(NumberedReportBytes(1, false));
    list.LoadFromStream(in);
    ASSERT_EQ(::mkfifo(dir.File("fifo").c_str(), 0644), 0);
    EXPECT_THROW(list.SaveToFile(dir.File("fifo")), EFCreateError);
    struct stat info {};
    ASSERT_EQ(::lstat(dir.File("fifo").c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"fifo"});
}

TEST(PageListSave, UncreatableDestinationsRaiseTheCreateError)
{
    ScratchDir dir;
    TQRPageList list;
    TMemoryStream in(NumberedReportBytes(1, false));
    list.LoadFromStream(in);
    EXPECT_THROW(list.SaveToFile(dir.File("no/such/folder.QRP")), EFCreateError);
    EXPECT_THROW(list.SaveToFile(dir.Path()), EFCreateError);
    if (::geteuid() != 0) {
        WriteFile(dir.File("ro.QRP"), Bytes(3, 3));
        ::chmod(dir.File("ro.QRP").c_str(), 0444);
        EXPECT_THROW(list.SaveToFile(dir.File("ro.QRP")), EFCreateError);
        EXPECT_EQ(ReadFile(dir.File("ro.QRP")), Bytes(3, 3));
    }
}

}  // namespace
}  // namespace qrp

#else

#include <gtest/gtest.h>

TEST(PageListSave, PosixCases)
{
    GTEST_SKIP() << "file modes, symbolic links, FIFOs and file-size limits are POSIX cases";
}

#endif  // _WIN32
