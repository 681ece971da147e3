// qrptool's outputs never destroy a file: inputs that are not regular files are refused
// before they can block, an output that is an input (by any link) or not a regular file is
// refused, a failing or interrupted command leaves every existing output as it was and no
// temporary file behind, and a full disk is an error naming the file.
#include "testsupport/files.h"
#include "testsupport/reports.h"
#include "tools/convert_tests/tool_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace qrptool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

struct Child {
    pid_t pid = -1;
    fs::path err;
};

// Starts qrptool in folder with a file-size limit and an address-space limit (0: none) and
// TMPDIR (when given); standard error goes to a file.
Child Start(const fs::path& folder, const std::vector<std::string>& args, rlim_t fileSizeLimit = 0,
            rlim_t memoryLimit = 0, const std::string& tmpdir = {})
{
    Child child;
    child.err = fs::temp_directory_path() / ("qrptool-err-" + std::to_string(::getpid()) + ".txt");
    std::vector<std::string> strings = {QRPTOOL_PATH};
    strings.insert(strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& s : strings) argv.push_back(s.data());
    argv.push_back(nullptr);
    child.pid = ::fork();
    if (child.pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        const int err = ::open(child.err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int null = ::open("/dev/null", O_RDWR);
        ::dup2(null, 0);
        ::dup2(null, 1);
        ::dup2(err, 2);
        if (fileSizeLimit) {
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (memoryLimit) {
            const rlimit limit{memoryLimit, memoryLimit};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        if (!tmpdir.empty()) ::setenv("TMPDIR", tmpdir.c_str(), 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

// Waits for the child: its exit status, or 128 + the signal that ended it.
int Wait(Child& child, std::string* err = nullptr)
{
    int status = 0;
    ::waitpid(child.pid, &status, 0);
    const std::vector<uint8_t> bytes = qrp::testsupport::ReadFile(child.err);
    if (err) err->assign(bytes.begin(), bytes.end());
    fs::remove(child.err);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

int RunIn(const fs::path& folder, const std::vector<std::string>& args, std::string* err = nullptr,
          rlim_t fileSizeLimit = 0, rlim_t memoryLimit = 0, const std::string& tmpdir = {})
{
    Child child = Start(folder, args, fileSizeLimit, memoryLimit, tmpdir);
    return Wait(child, err);
}

// A report whose second page's picture is spoilt: the first page plays, the second fails.
void WriteReportWithABadSecondPage(const fs::path& path)
{
    qrp::testsupport::WriteLabelledA4Report(path, 3);
    qrp::testsupport::SpoilPageInFile(path, 2);
}

TEST(OutputDisciplineTest, InputsThatAreNotRegularFilesAreRefusedAtOnce)
{
    ScratchFolder scratch;
    ASSERT_EQ(::mkfifo((scratch / "fifo.QRP").c_str(), 0644), 0);
    fs::create_directories(scratch / "folder.QRP");
    qrp::testsupport::WriteLabelledA4Report(scratch / "r.QRP", 1);
    for (const std::string input : {"fifo.QRP", "folder.QRP"}) {
        for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
                 {"info", input}, {"extract", input, "-o", "pages"}, {"render", input, "-o", "p.png"},
                 {"pack", "packed.QRP", input}, {"thumbnail", input, "t.png"}}) {
            std::string err;
            EXPECT_EQ(RunIn(scratch.Path(), args, &err), 2) << args[0] << " " << input;
            EXPECT_THAT(err, HasSubstr(input)) << args[0];
        }
    }
    EXPECT_THAT(FolderNames(scratch.Path()), ElementsAre("fifo.QRP", "folder.QRP", "r.QRP"));
}

// Folders given to convert and grep: only regular report files are taken (a FIFO named like
// a report never blocks the walk), links to folders are not followed, and convert takes a
// file reached by several names (links, hard links) once.
TEST(OutputDisciplineTest, FoldersOfInputsTakeRegularReportsOnceAndNeverBlock)
{
    ScratchFolder scratch;
    const fs::path in = scratch / "in";
    fs::create_directories(in / "sub" / "empty.QRP");
    qrp::testsupport::WriteLabelledA4Report(in / "a.QRP", 1);
    qrp::testsupport::WriteLabelledA4Report(in / "sub" / "b.qrp", 1);
    ASSERT_EQ(::mkfifo((in / "fifo.QRP").c_str(), 0644), 0);
    fs::create_symlink("..", in / "sub" / "loop");
    fs::create_hard_link(in / "a.QRP", in / "sub" / "again.QRP");
    fs::create_symlink("b.qrp", in / "sub" / "link.QRP");
    fs::create_symlink("missing.QRP", in / "sub" / "dangling.QRP");

    std::string err;
    EXPECT_EQ(RunIn(scratch.Path(), {"convert", "in", "-o", "out"}, &err), 0) << err;
    EXPECT_THAT(FolderNames(scratch / "out"), ElementsAre("a.pdf", "sub"));
    EXPECT_THAT(FolderNames(scratch / "out" / "sub"), ElementsAre("b.pdf"));

    // grep searches every name it finds; the FIFO is an error naming it, not a wait.
    EXPECT_EQ(RunIn(scratch.Path(), {"grep", "-r", "-c", "zzzz", "in"}, &err), 2);
    EXPECT_THAT(err, HasSubstr("fifo.QRP"));
    EXPECT_THAT(err, ::testing::Not(HasSubstr("loop")));
}

TEST(OutputDisciplineTest, AnOutputThatIsTheInputByAnyPathIsRefusedAndTheInputKept)
{
    ScratchFolder scratch;
    qrp::testsupport::WriteLabelledA4Report(scratch / "r.QRP", 2);
    const std::vector<uint8_t> report = qrp::testsupport::ReadFile(scratch / "r.QRP");
    fs::create_symlink("r.QRP", scratch / "sym.png");
    fs::create_hard_link(scratch / "r.QRP", scratch / "hard.pdf");
    fs::create_directories(scratch / "pages");
    fs::create_symlink("../r.QRP", scratch / "pages" / "page-0002.emf");
    std::string err;
    EXPECT_EQ(RunIn(scratch.Path(), {"render", "r.QRP", "-o", "sym.png"}, &err), 2);
    EXPECT_THAT(err, HasSubstr("sym.png"));
    EXPECT_EQ(RunIn(scratch.Path(), {"render", "r.QRP", "--all", "-o", "hard.pdf"}, &err), 2);
    EXPECT_THAT(err, HasSubstr("hard.pdf"));
    EXPECT_EQ(RunIn(scratch.Path(), {"extract", "r.QRP", "-o", "pages"}, &err), 3);
    EXPECT_THAT(err, HasSubstr("page-0002.emf"));
    EXPECT_EQ(RunIn(scratch.Path(), {"pack", "pages/page-0001.emf", "pages/page-0001.emf"}, &err), 3);
    EXPECT_EQ(RunIn(scratch.Path(), {"thumbnail", "r.QRP", "hard.pdf"}, &err), 3);
    EXPECT_THAT(err, HasSubstr("hard.pdf"));
    EXPECT_EQ(RunIn(scratch.Path(), {"thumbnail", "r.QRP", "sym.png"}, &err), 3);
    EXPECT_THAT(err, HasSubstr("sym.png"));
    EXPECT_EQ(qrp::testsupport::ReadFile(scratch / "r.QRP"), report);
    EXPECT_TRUE(fs::is_symlink(scratch / "sym.png"));
    EXPECT_TRUE(fs::is_symlink(scratch / "pages" / "page-0002.emf"));
    EXPECT_THAT(FolderNames(scratch / "pages"), ElementsAre("page-0001.emf", "page-0002.emf"));
}

TEST(OutputDisciplineTest, DestinationsThatAreNoRegularFilesAreRefusedAndKept)
{
    ScratchFolder scratch;
    qrp::testsupport::WriteLabelledA4Report(scratch / "r.QRP", 1);
    ASSERT_EQ(RunIn(scratch.Path(), {"extract", "r.QRP", "-o", "."}), 0);
    ASSERT_EQ(::mkfifo((scratch / "fifo.png").c_str(), 0644), 0);
    fs::create_directories(scratch / "folder.png");
    std::vector<std::string> targets = {"fifo.png", "folder.png"};
    // A device node of its own, never a real one.
    if (::mknod((scratch / "null.png").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) targets.push_back("null.png");
    for (const std::string& target : targets) {
        const auto before = fs::symlink_status(scratch / target).type();
        std::string err;
        EXPECT_EQ(RunIn(scratch.Path(), {"pack", target, "page-0001.emf"}, &err), 3) << target;
        EXPECT_THAT(err, HasSubstr(target));
        EXPECT_EQ(RunIn(scratch.Path(), {"render", "r.QRP", "-o", target}, &err), 2) << target;
        EXPECT_THAT(err, HasSubstr(target));
        EXPECT_EQ(RunIn(scratch.Path(), {"thumbnail", "r.QRP", target}, &err), 3) << target;
        EXPECT_THAT(err, HasSubstr(target));
        EXPECT_EQ(fs::symlink_status(scratch / target).type(), before) << target;
    }
    EXPECT_EQ(FolderNames(scratch.Path()).size(), 2 + targets.size());
}

TEST(OutputDisciplineTest, AFailingPageLeavesEveryExistingOutputAsItWas)
{
    ScratchFolder scratch;
    WriteReportWithABadSecondPage(scratch / "bad.QRP");
    qrp::testsupport::WriteFile(scratch / "existing.pdf", {'o', 'l', 'd'});
    qrp::testsupport::WriteFile(scratch / "p1.png", {'o', 'l', 'd'});
    EXPECT_EQ(RunIn(scratch.Path(), {"render", "bad.QRP", "--all", "-o", "existing.pdf"}), 2);
    EXPECT_EQ(RunIn(scratch.Path(), {"render", "bad.QRP", "--all", "-o", "p%d.png"}), 2);
    EXPECT_EQ(qrp::testsupport::ReadFile(scratch / "existing.pdf"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(qrp::testsupport::ReadFile(scratch / "p1.png"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_THAT(FolderNames(scratch.Path()), ElementsAre("bad.QRP", "existing.pdf", "p1.png"));
}

TEST(OutputDisciplineTest, AFullDiskIsAnErrorNamingTheFileAndLeavesNothingTruncated)
{
    ScratchFolder scratch;
    qrp::testsupport::WriteLabelledA4Report(scratch / "r.QRP", 3);
    qrp::testsupport::WriteFile(scratch / "old.pdf", {'o', 'l', 'd'});
    std::string err;
    EXPECT_EQ(RunIn(scratch.Path(), {"extract", "r.QRP", "-o", "pages"}, &err, 100), 3);
    EXPECT_THAT(err, HasSubstr("Cannot write file \"pages/page-0001.emf\". File too large"));
    EXPECT_TRUE(FolderNames(scratch / "pages").empty());
    EXPECT_NE(RunIn(scratch.Path(), {"render", "r.QRP", "--all", "-o", "old.pdf"}, &err, 100), 0);
    EXPECT_THAT(err, HasSubstr("old.pdf"));
    EXPECT_EQ(RunIn(scratch.Path(), {"extract", "r.QRP", "-o", "pages"}), 0);
    EXPECT_EQ(RunIn(scratch.Path(), {"pack", "new.QRP", "pages/page-0001.emf", "pages/page-0002.emf"}, &err, 100), 3);
    EXPECT_THAT(err, HasSubstr("File too large"));
    EXPECT_EQ(qrp::testsupport::ReadFile(scratch / "old.pdf"), (std::vector<uint8_t>{'o', 'l', 'd'}));
    EXPECT_THAT(FolderNames(scratch.Path()), ElementsAre("old.pdf", "pages", "r.QRP"));
}

TEST(OutputDisciplineTest, PackWithoutRoomForItsReportFailsInOneLineAndLeavesNothing)
{
    // Pages past the in-memory share spill into TMPDIR: a folder no file can be made in, or
    // a file-size limit, ends the command with one line naming the file and the reason.
    // Pictures more than a report's 32-bit offsets can hold (sparse files here) are refused
    // before one is read. Nothing is left behind, in TMPDIR or beside the output.
    ScratchFolder scratch;
    qrp::testsupport::WriteLabelledA4Report(scratch / "r.QRP", 1);
    ASSERT_EQ(RunIn(scratch.Path(), {"extract", "r.QRP", "-o", "pages"}), 0);
    fs::create_directory(scratch / "tmp");
    for (const char* name : {"huge1.emf", "huge2.emf"}) {
        const int fd = ::open((scratch / name).c_str(), O_WRONLY | O_CREAT, 0644);
        ASSERT_EQ(::ftruncate(fd, off_t{1200} << 20), 0);
        ::close(fd);
    }
    std::vector<std::string> many = {"pack", "new.QRP"};
    for (int64_t bytes = 0; bytes < 400000; bytes += static_cast<int64_t>(fs::file_size(scratch / "pages/page-0001.emf")))
        many.push_back("pages/page-0001.emf");
    const std::string tmp = (scratch / "tmp").string();
    struct Case {
        std::string tmpdir;
        rlim_t fileSizeLimit;
        std::vector<std::string> args;
        std::string says;
    };
    for (const Case& c : {Case{"/proc", 0, many, "\"/proc\""}, Case{tmp, 200000, many, "File too large"},
                          Case{tmp, 0, {"pack", "new.QRP", "huge1.emf", "huge2.emf"}, "more than a report file can hold"}}) {
        std::string err;
        EXPECT_EQ(RunIn(scratch.Path(), c.args, &err, c.fileSizeLimit, 0, c.tmpdir), 3) << c.says;
        EXPECT_THAT(err, HasSubstr(c.says));
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_THAT(err, ::testing::StartsWith("qrptool pack: "));
        EXPECT_THAT(FolderNames(scratch.Path()), ElementsAre("huge1.emf", "huge2.emf", "pages", "r.QRP", "tmp"));
        EXPECT_TRUE(FolderNames(scratch / "tmp").empty()) << c.says;
    }
}

TEST(OutputDisciplineTest, AnInterruptedRenderLeavesTheOutputAndNoTemporary)
{
    for (const int signal : {SIGTERM, SIGINT}) {
        ScratchFolder scratch;
        qrp::testsupport::WriteLabelledA4Report(scratch / "r.QRP", 400);
        qrp::testsupport::WriteFile(scratch / "out.pdf", {'o', 'l', 'd'});
        Child child = Start(scratch.Path(), {"render", "r.QRP", "--all", "-o", "out.pdf"});
        // Interrupted once its temporary file exists.
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (FolderNames(scratch.Path()).size() < 3 && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        ::kill(child.pid, signal);
        EXPECT_EQ(Wait(child), 128 + signal);
        EXPECT_EQ(qrp::testsupport::ReadFile(scratch / "out.pdf"), (std::vector<uint8_t>{'o', 'l', 'd'}));
        EXPECT_THAT(FolderNames(scratch.Path()), ElementsAre("out.pdf", "r.QRP"));
    }
}

TEST(OutputDisciplineTest, OutOfMemoryIsOneLineAndItsOwnStatusNotAnAbort)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit";
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit";
#endif
#endif
    ScratchFolder scratch;
    qrp::testsupport::WriteLabelledA4Report(scratch / "r.QRP", 1);
    ASSERT_EQ(RunIn(scratch.Path(), {"extract", "r.QRP", "-o", "."}), 0);
    // A picture of 200 MB (sparse: no disk used) read under a limit of 150 MB.
    std::vector<uint8_t> picture = qrp::testsupport::ReadFile(scratch / "page-0001.emf");
    const uint32_t size = 200u << 20;
    for (int i = 0; i < 4; ++i) picture[48 + static_cast<size_t>(i)] = static_cast<uint8_t>(size >> (8 * i));
    qrp::testsupport::WriteFile(scratch / "big.emf", picture);
    fs::resize_file(scratch / "big.emf", size);
    std::string err;
    EXPECT_EQ(RunIn(scratch.Path(), {"pack", "out.QRP", "big.emf"}, &err, 0, 150u << 20), 5);
    EXPECT_EQ(err, "qrptool pack: out of memory\n");
    EXPECT_FALSE(fs::exists(scratch / "out.QRP"));
}

TEST(OutputDisciplineTest, PageNumbersAtTheLimitOfAnIntAreNoPage)
{
    ScratchFolder scratch;
    qrp::testsupport::WriteLabelledA4Report(scratch / "r.QRP", 2);
    std::string err;
    EXPECT_EQ(RunIn(scratch.Path(), {"render", "r.QRP", "--page", "2147483647", "-o", "p.png"}, &err), 2);
    EXPECT_THAT(err, HasSubstr("no page 2147483647 (the file has 2 pages)"));
}

}  // namespace
}  // namespace qrptool::test
