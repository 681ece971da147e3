// The POSIX cases of the file-system layer: FIFOs, sockets, devices, file-size limits and
// signals (file_system_portable_test.cpp holds what every platform shares).
#ifndef _WIN32

#include "base/exceptions.h"
#include "base/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace qrp {
namespace {

class Scratch {
public:
    Scratch()
    {
        std::string pattern = TempDirectory() + "/qrp-fs-XXXXXX";
        FPath = ::mkdtemp(pattern.data()) ? pattern : "";
    }
    ~Scratch() { std::system(("rm -rf '" + FPath + "'").c_str()); }
    std::string operator/(const std::string& name) const { return FPath + "/" + name; }
    const std::string& Path() const { return FPath; }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        if (DIR* dir = ::opendir(FPath.c_str())) {
            while (const dirent* e = ::readdir(dir)) {
                const std::string name = e->d_name;
                if (name != "." && name != "..") names.push_back(name);
            }
            ::closedir(dir);
        }
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string FPath;
};

void Put(const std::string& path, const std::string& text)
{
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(fd, 0) << path;
    ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(fd);
}

std::string Get(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadWholeFile(path, 1 << 20);
    return {bytes.begin(), bytes.end()};
}

// Folder, FIFO, socket and (as root) a character device made here: never a real one.
std::vector<std::string> SpecialFiles(const Scratch& dir)
{
    std::vector<std::string> paths = {dir / "folder", dir / "fifo", dir / "socket"};
    ::mkdir(paths[0].c_str(), 0755);
    ::mkfifo(paths[1].c_str(), 0644);
    const int s = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", paths[2].c_str());
    ::bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::close(s);
    if (::mknod((dir / "null").c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0) paths.push_back(dir / "null");
    return paths;
}

TEST(FileSystem, InputsThatAreNotRegularFilesAreRefusedWithoutBlocking)
{
    Scratch dir;
    for (const std::string& path : SpecialFiles(dir)) {
        EXPECT_THROW(CloseFile(OpenForReading(path)), EFOpenError) << path;
        EXPECT_THROW(ReadWholeFile(path, 100), EFOpenError) << path;
        EXPECT_THROW(CreateOrTruncate(path), EFCreateError) << path;
    }
    EXPECT_THROW(OpenForReading(dir / "missing"), EFOpenError);
    Put(dir / "big", std::string(101, 'x'));
    EXPECT_THROW(ReadWholeFile(dir / "big", 100), EReadError);
    EXPECT_EQ(Get(dir / "big").size(), 101u);
}

TEST(FileSystem, AFolderListsLinksAsLinksAndSpecialFilesAsOtherWithoutOpeningThem)
{
    Scratch dir;
    Put(dir / "r.QRP", "r");
    ASSERT_EQ(::mkfifo((dir / "fifo.QRP").c_str(), 0644), 0);
    ASSERT_EQ(::symlink(".", (dir / "loop").c_str()), 0);
    ASSERT_EQ(::symlink("r.QRP", (dir / "link.QRP").c_str()), 0);
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(dir.Path(), entries));
    std::vector<std::pair<std::string, FileKind>> got;
    for (const FolderEntry& e : entries) got.emplace_back(e.name, e.kind);
    const std::vector<std::pair<std::string, FileKind>> expected = {
        {"fifo.QRP", FileKind::kOther}, {"link.QRP", FileKind::kLink}, {"loop", FileKind::kLink}, {"r.QRP", FileKind::kRegular}};
    EXPECT_EQ(got, expected);
    // A FIFO given as the folder is refused without waiting for a writer.
    int error = 0;
    EXPECT_FALSE(ListFolder(dir / "fifo.QRP", entries, &error));
    EXPECT_EQ(error, ENOTDIR);
}

TEST(FileSystem, IdentityFollowsLinksAndCountsHardLinksAsOneFile)
{
    Scratch dir;
    Put(dir / "a", "a");
    Put(dir / "b", "a");
    ASSERT_EQ(::symlink((dir / "a").c_str(), (dir / "sym").c_str()), 0);
    ASSERT_EQ(::link((dir / "a").c_str(), (dir / "hard").c_str()), 0);
    EXPECT_TRUE(SameFile(dir / "a", dir / "sym"));
    EXPECT_TRUE(SameFile(dir / "a", dir / "hard"));
    EXPECT_TRUE(SameFile(dir / "a", dir.Path() + "/./a"));
    EXPECT_FALSE(SameFile(dir / "a", dir / "b"));
    EXPECT_FALSE(SameFile(dir / "missing", dir / "missing"));
    const FileHandle h = OpenForReading(dir / "sym");
    EXPECT_TRUE(SameFile(dir / "hard", h));
    CloseFile(h);
    EXPECT_EQ(LinkStatusOf(dir / "sym").kind, FileKind::kLink);
    EXPECT_EQ(StatusOf(dir / "sym").kind, FileKind::kRegular);
}

TEST(AtomicFile, DestinationChangesOnlyOnCommitAndKeepsItsPermissions)
{
    Scratch dir;
    Put(dir / "out", "old");
    ::chmod((dir / "out").c_str(), 0640);
    {
        TAtomicFile file(dir / "out");
        file.Write("new!", 4);
        EXPECT_EQ(Get(dir / "out"), "old");
        EXPECT_EQ(dir.Names().size(), 2u);
        file.Commit();
        EXPECT_EQ(file.Written(), 4);
    }
    EXPECT_EQ(Get(dir / "out"), "new!");
    EXPECT_EQ(StatusOf(dir / "out").mode, 0640u);
    {
        TAtomicFile file(dir / "out");
        file.Write("half", 4);
    }
    EXPECT_EQ(Get(dir / "out"), "new!");
    {
        TAtomicFile file(dir / "fresh");
        file.Write("x", 1);
        EXPECT_THROW(
            {
                Put(dir / "fresh", "someone else's");
                file.Commit(false);
            },
            EFCreateError);
    }
    EXPECT_EQ(Get(dir / "fresh"), "someone else's");
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"fresh", "out"}));
}

TEST(AtomicFile, RefusesSpecialDestinationsAndInputsWhateverPathLeadsToThem)
{
    Scratch dir;
    for (const std::string& path : SpecialFiles(dir)) {
        const FileStatus before = LinkStatusOf(path);
        EXPECT_THROW(TAtomicFile file(path), EFCreateError) << path;
        EXPECT_EQ(LinkStatusOf(path).identity, before.identity) << path;
    }
    Put(dir / "report", "report");
    ::symlink((dir / "report").c_str(), (dir / "sym").c_str());
    ::link((dir / "report").c_str(), (dir / "hard").c_str());
    for (const std::string& out : {dir / "report", dir / "sym", dir / "hard"}) {
        try {
            TAtomicFile file(out, {dir / "sym"});
            FAIL() << out;
        } catch (const EFCreateError& e) {
            EXPECT_NE(std::string(e.what()).find(out), std::string::npos) << e.what();
        }
    }
    CheckNotAnInput(dir / "other", {dir / "report"});
    EXPECT_THROW(CheckNotAnInput(dir / "hard", {dir / "report"}), EFCreateError);
    EXPECT_EQ(Get(dir / "report"), "report");
    EXPECT_EQ(LinkStatusOf(dir / "sym").kind, FileKind::kLink);

    // A link to another file is written through: the link stays.
    Put(dir / "target", "old");
    ::symlink((dir / "target").c_str(), (dir / "via").c_str());
    {
        TAtomicFile file(dir / "via", {dir / "report"});
        file.Write("new", 3);
        file.Commit();
    }
    EXPECT_EQ(LinkStatusOf(dir / "via").kind, FileKind::kLink);
    EXPECT_EQ(Get(dir / "target"), "new");
}

TEST(AtomicFile, AFullDiskFailsTheWriteNamingTheFileAndTheReasonAndLeavesNothing)
{
    Scratch dir;
    Put(dir / "out", "old");
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
        TAtomicFile file(dir / "out");
        file.Write(std::string(4000, 'x').data(), 4000);
        file.Commit();
    } catch (const EWriteError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_EQ(message, "Cannot write file \"" + (dir / "out") + "\". File too large");
    EXPECT_EQ(Get(dir / "out"), "old");
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"out"});
}

// Runs body in a child that reports readiness on a pipe, then ends it with signal.
int KillChildWhenReady(int signal, void (*body)(const std::string&), const std::string& folder)
{
    int ready[2];
    if (::pipe(ready) != 0) return -1;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(ready[0]);
        body(folder);
        const char c = 1;
        if (::write(ready[1], &c, 1) != 1) ::_exit(2);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char c = 0;
    const bool started = ::read(ready[0], &c, 1) == 1;
    ::close(ready[0]);
    ::kill(pid, started ? signal : SIGKILL);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return started && WIFSIGNALED(status) ? WTERMSIG(status) : -1;
}

TEST(AtomicFile, AnInterruptedOutputLeavesTheDestinationAndNoTemporary)
{
    for (const int signal : {SIGINT, SIGTERM}) {
        Scratch dir;
        Put(dir / "out", "old");
        const int ended = KillChildWhenReady(
            signal,
            [](const std::string& folder) {
                static TAtomicFile* file = new TAtomicFile(folder + "/out");
                static TAtomicFile* second = new TAtomicFile(folder + "/new");
                file->Write("partial", 7);
                second->Write("partial", 7);
            },
            dir.Path());
        EXPECT_EQ(ended, signal);
        EXPECT_EQ(dir.Names(), std::vector<std::string>{"out"});
        EXPECT_EQ(Get(dir / "out"), "old");
    }
}

TEST(SpillFile, HasNoNameSoEvenAKilledProcessLeavesNothing)
{
    Scratch dir;
    const int ended = KillChildWhenReady(
        SIGKILL,
        [](const std::string& folder) {
            const FileHandle h = CreateSpillFile(folder);
            const std::string bytes(100000, 's');
            if (WriteAt(h, bytes.data(), 100000, 0) != 100000) ::_exit(3);
        },
        dir.Path());
    EXPECT_EQ(ended, SIGKILL);
    EXPECT_TRUE(dir.Names().empty());
    EXPECT_THROW(CreateSpillFile(dir / "missing"), EFCreateError);
}

TEST(FileSystem, CreateFoldersMakesTheMissingOnesAndRefusesAFile)
{
    Scratch dir;
    CreateFolders(dir / "a/b/c");
    CreateFolders(dir / "a/b/c");
    EXPECT_EQ(StatusOf(dir / "a/b/c").kind, FileKind::kDirectory);
    Put(dir / "file", "");
    EXPECT_THROW(CreateFolders(dir / "file"), EFCreateError);
    EXPECT_THROW(CreateFolders(dir / "file/sub"), EFCreateError);
}

}  // namespace
}  // namespace qrp

#else

#include <gtest/gtest.h>

TEST(FileSystem, PosixCases)
{
    GTEST_SKIP() << "FIFOs, sockets, device nodes, file-size limits and signals are POSIX cases";
}

#endif  // _WIN32
