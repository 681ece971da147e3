// AtomicOutputFile: the target appears complete or not at all, and is never replaced
// unless asked to.
#include "tools/qrptool/atomic_output.h"
#include "testsupport/files.h"
#include "testsupport/reports.h"
#include "tools/convert_tests/tool_runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qrptool::test {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

void Write(const AtomicOutputFile& file, const std::string& text)
{
    ASSERT_EQ(::write(file.Descriptor(), text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

std::string Read(const fs::path& path)
{
    const std::vector<uint8_t> bytes = qrp::testsupport::ReadFile(path);
    return {bytes.begin(), bytes.end()};
}

TEST(AtomicOutputTest, TargetAppearsOnlyOnCommitWithTheModeOfANewFile)
{
    ScratchFolder scratch;
    {
        AtomicOutputFile file(scratch / "a.pdf");
        Write(file, "complete");
        EXPECT_EQ(file.TempPath().parent_path(), scratch.Path());
        EXPECT_FALSE(fs::exists(scratch / "a.pdf"));
        file.Commit(false);
    }
    EXPECT_EQ(Read(scratch / "a.pdf"), "complete");
    EXPECT_THAT(FolderNames(scratch.Path()), ElementsAre("a.pdf"));

    const int fd = ::open((scratch / "reference").c_str(), O_WRONLY | O_CREAT | O_EXCL, 0666);
    ASSERT_GE(fd, 0);
    ::close(fd);
    struct stat output {}, reference {};
    ASSERT_EQ(::stat((scratch / "a.pdf").c_str(), &output), 0);
    ASSERT_EQ(::stat((scratch / "reference").c_str(), &reference), 0);
    EXPECT_EQ(output.st_mode & 0777, reference.st_mode & 0777);
}

TEST(AtomicOutputTest, UncommittedFileLeavesNothing)
{
    ScratchFolder scratch;
    {
        AtomicOutputFile file(scratch / "a.pdf");
        Write(file, "half");
    }
    EXPECT_THAT(FolderNames(scratch.Path()), IsEmpty());
}

TEST(AtomicOutputTest, TargetThatAppearsMeanwhileIsReplacedOnlyWhenAsked)
{
    ScratchFolder scratch;
    {
        AtomicOutputFile file(scratch / "a.pdf");
        Write(file, "new");
        qrp::testsupport::WriteFile(scratch / "a.pdf", {'o', 'l', 'd'});
        EXPECT_THROW(
            {
                try {
                    file.Commit(false);
                } catch (const OutputFileError& e) {
                    EXPECT_THAT(e.what(), ::testing::HasSubstr("a.pdf exists"));
                    throw;
                }
            },
            OutputFileError);
    }
    EXPECT_EQ(Read(scratch / "a.pdf"), "old");
    EXPECT_THAT(FolderNames(scratch.Path()), ElementsAre("a.pdf")) << "the temporary file is removed";

    AtomicOutputFile file(scratch / "a.pdf");
    Write(file, "new");
    file.Commit(true);
    EXPECT_EQ(Read(scratch / "a.pdf"), "new");
}

TEST(AtomicOutputTest, MissingFolderIsAnError)
{
    ScratchFolder scratch;
    EXPECT_THROW(AtomicOutputFile(scratch / "no" / "a.pdf"), OutputFileError);
}

}  // namespace
}  // namespace qrptool::test
