// What the file-system layer promises on every platform; run natively and, for Windows,
// under an emulation of it.
#include "base/exceptions.h"
#include "base/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace qrp {
namespace {

namespace fs = std::filesystem;

// Paths are UTF-8 in the program; std::filesystem takes them as char8_t.
fs::path ToPath(const std::string& utf8) { return fs::path(std::u8string(utf8.begin(), utf8.end())); }

std::string FromPath(const fs::path& path)
{
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

class Folder {
public:
    Folder()
    {
        const std::string unique = CreateUniqueFile(TempDirectory(), "qrp-portable-");
        RemoveFile(unique);
        FPath = ToPath(unique);
        fs::create_directory(FPath);
    }
    ~Folder()
    {
        std::error_code ignored;
        fs::remove_all(FPath, ignored);
    }
    std::string operator/(const std::string& name) const { return FromPath(FPath / ToPath(name)); }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(FPath)) names.push_back(FromPath(entry.path().filename()));
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    fs::path FPath;
};

void Put(const std::string& path, const std::string& text)
{
    std::ofstream(ToPath(path), std::ios::binary) << text;
}

std::string Get(const std::string& path)
{
    const std::vector<uint8_t> bytes = ReadWholeFile(path, 1 << 20);
    return {bytes.begin(), bytes.end()};
}

TEST(PortableFileSystem, AFileIsItselfByPathAndByHandleAndHardLinksAreOneFile)
{
    Folder dir;
    Put(dir / "a", "a");
    Put(dir / "b", "a");
    const FileHandle handle = OpenForReading(dir / "a");
    EXPECT_TRUE(SameFile(dir / "a", handle));
    EXPECT_FALSE(SameFile(dir / "b", handle));
    CloseFile(handle);
    EXPECT_FALSE(SameFile(dir / "a", dir / "b"));
    std::error_code error;
    fs::create_hard_link(ToPath(dir / "a"), ToPath(dir / "hard"), error);
    if (!error) {
        EXPECT_TRUE(SameFile(dir / "a", dir / "hard"));
    }
    EXPECT_FALSE(SameFile(dir / "a", dir / "missing"));
}

TEST(PortableFileSystem, NamesKeepTheirAccentsThroughEveryCall)
{
    Folder dir;
    const std::string name = dir / "Relatório.QRP";
    {
        TAtomicFile file(name);
        file.Write("página", 7);
        file.Commit();
    }
    EXPECT_EQ(dir.Names(), std::vector<std::string>{"Relatório.QRP"});
    EXPECT_EQ(Get(name), "página");
    EXPECT_EQ(StatusOf(name).kind, FileKind::kRegular);
    EXPECT_EQ(StatusOf(name).size, 7);
    CreateFolders(dir / "Relatórios/2019/março");
    EXPECT_EQ(StatusOf(dir / "Relatórios/2019/março").kind, FileKind::kDirectory);
}

TEST(PortableFileSystem, AFolderListsItsNamesSortedWithWhatEachIs)
{
    Folder dir;
    Put(dir / "b.QRP", "b");
    Put(dir / "Relatório.QRP", "r");
    CreateFolders(dir / "a");
    std::vector<FolderEntry> entries;
    ASSERT_TRUE(ListFolder(dir / "", entries));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].name, "Relatório.QRP");
    EXPECT_EQ(entries[0].kind, FileKind::kRegular);
    EXPECT_EQ(entries[1].name, "a");
    EXPECT_EQ(entries[1].kind, FileKind::kDirectory);
    EXPECT_EQ(entries[2].name, "b.QRP");
    EXPECT_TRUE(ListFolder(dir / "a", entries));
    EXPECT_TRUE(entries.empty());
    // A missing folder and a file are no folders to list.
    int error = 0;
    EXPECT_FALSE(ListFolder(dir / "missing", entries, &error));
    EXPECT_NE(error, 0);
    error = 0;
    EXPECT_FALSE(ListFolder(dir / "b.QRP", entries, &error));
    EXPECT_NE(error, 0);
}

TEST(PortableFileSystem, AnOutputReplacesOnlyOnCommitAndNeverAnInputOrAFolder)
{
    Folder dir;
    Put(dir / "out", "old");
    {
        TAtomicFile file(dir / "out");
        file.Write("new!", 4);
        EXPECT_EQ(Get(dir / "out"), "old");
    }
    EXPECT_EQ(Get(dir / "out"), "old");  // not committed: discarded
    {
        TAtomicFile file(dir / "out");
        file.Write("new!", 4);
        file.Commit();
    }
    EXPECT_EQ(Get(dir / "out"), "new!");
    EXPECT_THROW(TAtomicFile(dir / "out", {dir / "out"}), EFCreateError);
    fs::create_directory(ToPath(dir / "folder"));
    EXPECT_THROW(TAtomicFile(dir / "folder"), EFCreateError);
    EXPECT_THROW(OpenForReading(dir / "folder"), EFOpenError);
    EXPECT_THROW(OpenForReading(dir / "missing"), EFOpenError);
    EXPECT_EQ(dir.Names(), (std::vector<std::string>{"folder", "out"}));
}

TEST(PortableFileSystem, ASpillFileHasNoNameInItsFolder)
{
    Folder dir;
    const FileHandle spill = CreateSpillFile(dir / "");
    EXPECT_EQ(WriteAt(spill, "spilt", 5, 0), 5);
    char back[5] = {};
    EXPECT_EQ(ReadAt(spill, back, 5, 0), 5);
    EXPECT_EQ(std::string(back, 5), "spilt");
    CloseFile(spill);
    EXPECT_TRUE(dir.Names().empty());
}

}  // namespace
}  // namespace qrp
