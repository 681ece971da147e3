// POSIX cases of the report stream: spill files, modes, file-size limits.
#ifndef _WIN32

#include "reportfile/qr_stream.h"

#include "base/exceptions.h"
#include "base/file_system.h"
#include "testsupport/files.h"
#include "testsupport/pictures.h"
#include "testsupport/reports.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <sys/resource.h>

namespace qrp {
namespace {

using namespace qrp::testsupport;
using Bytes = std::vector<uint8_t>;

// Points the user's temporary directory at a scratch folder for one test.
class TempDirScope {
public:
    explicit TempDirScope(const std::string& dir)
    {
        const char* old = std::getenv("TMPDIR");
        FHad = old != nullptr;
        if (FHad) FOld = old;
        ::setenv("TMPDIR", dir.c_str(), 1);
    }
    ~TempDirScope()
    {
        if (FHad) {
            ::setenv("TMPDIR", FOld.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
    }

private:
    bool FHad = false;
    std::string FOld;
};

TEST(QRStream, MovesToASpillFileWithoutANameOnceItExceedsItsLimit)
{
    ScratchDir dir;
    TempDirScope scope(dir.Path());
    {
        TQRStream s(250000);
        const Bytes chunk(50000, 0xAB);
        for (int i = 0; i < 5; ++i) s.WriteBuffer(chunk.data(), 50000);
        EXPECT_TRUE(s.InMemory());
        EXPECT_TRUE(dir.Entries().empty());
        const uint8_t one = 0xCD;
        s.WriteBuffer(&one, 1);
        EXPECT_FALSE(s.InMemory());
        ASSERT_NE(s.FileHandle(), kNoFile);
        // Nothing to leave behind, however the process ends.
        EXPECT_TRUE(dir.Entries().empty());
        EXPECT_EQ(s.Position(), 250001);
        EXPECT_EQ(s.Size(), 250001);
        // Everything written so far is in the file; it keeps growing there.
        s.WriteInt32(7);
        s.SetPosition(249999);
        uint8_t tail[2];
        s.ReadBuffer(tail, 2);
        EXPECT_EQ(tail[0], 0xAB);
        EXPECT_EQ(tail[1], 0xCD);
        EXPECT_EQ(s.ReadInt32(), 7);
        EXPECT_EQ(StatusOf(s.FileHandle()).size, 250005);
    }
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(QRStream, LimitsOfZeroAndBelow)
{
    ScratchDir dir;
    TempDirScope scope(dir.Path());
    TQRStream zero(0);
    EXPECT_EQ(zero.Write(nullptr, 0), 0);
    EXPECT_TRUE(zero.InMemory());
    zero.WriteInt32(1);
    EXPECT_FALSE(zero.InMemory());

    TQRStream negative(-1);
    EXPECT_EQ(negative.Write(nullptr, 0), 0);
    EXPECT_FALSE(negative.InMemory());
}

TEST(QRStream, AFailedMoveStaysInMemoryAndTriesAgain)
{
    ScratchDir dir;
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    const std::string ro = dir.File("ro");
    ::mkdir(ro.c_str(), 0500);
    TempDirScope scope(ro);
    TQRStream s(4);
    s.WriteInt32(1);
    EXPECT_THROW(s.WriteInt32(2), EFCreateError);
    EXPECT_TRUE(s.InMemory());
    EXPECT_EQ(s.Size(), 8);
    ::chmod(ro.c_str(), 0700);
    s.WriteInt32(3);
    EXPECT_FALSE(s.InMemory());
    s.SetPosition(0);
    EXPECT_EQ(s.ReadInt32(), 1);
    EXPECT_EQ(s.ReadInt32(), 2);
    EXPECT_EQ(s.ReadInt32(), 3);
}

TEST(QRStream, ReadsAtOrBeyondTheEndReturnNothing)
{
    TQRStream s(1000);
    s.WriteInt32(5);
    uint8_t b[4];
    EXPECT_EQ(s.Read(b, 4), 0);
    s.Seek(100, soFromBeginning);
    EXPECT_EQ(s.Position(), 100);
    EXPECT_EQ(s.Read(b, 4), 0);
    EXPECT_EQ(s.Size(), 4);
}

TEST(QRStream, SaveToStreamCopiesEverythingAndLeavesThePositionAtTheEnd)
{
    TQRStream empty(10);
    TMemoryStream out;
    empty.SaveToStream(out);
    EXPECT_EQ(out.Size(), 0);

    ScratchDir dir;
    TempDirScope scope(dir.Path());
    TQRStream big(10);
    Bytes data(25000);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i * 7);
    big.WriteBuffer(data.data(), 25000);
    big.SetPosition(3);
    TMemoryStream copy;
    copy.WriteInt32(-1);
    big.SaveToStream(copy);
    EXPECT_EQ(Bytes(copy.Bytes().begin() + 4, copy.Bytes().end()), data);
    uint8_t b;
    EXPECT_EQ(big.Read(&b, 1), 0);
}

TEST(QRStream, AFullSpillFileGivesTheSystemsReason)
{
    ScratchDir dir;
    TempDirScope scope(dir.Path());
    TQRStream s(4);
    const Bytes chunk(3000, 1);
    s.WriteBuffer(chunk.data(), 3000);
    ASSERT_FALSE(s.InMemory());
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved {};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::string message;
    try {
        s.WriteBuffer(chunk.data(), 3000);
    } catch (const EWriteError& e) {
        message = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, SIG_DFL);
    EXPECT_NE(message.find("File too large"), std::string::npos) << message;
    EXPECT_TRUE(dir.Entries().empty());
}

TEST(QRStream, AStreamOnAGivenFileNeverDeletesItAndCannotWriteIt)
{
    ScratchDir dir;
    const std::string path = dir.File("r.QRP");
    WriteFile(path, Bytes{1, 2, 3, 4});
    {
        auto s = TQRStream::CreateFromFile(path);
        EXPECT_FALSE(s->InMemory());
        EXPECT_EQ(s->OpenedSize(), 4);
        EXPECT_EQ(s->ReadInt32(), 0x04030201);
        EXPECT_THROW(s->WriteInt32(1), EWriteError);
    }
    EXPECT_EQ(ReadFile(path), (Bytes{1, 2, 3, 4}));
    EXPECT_THROW(TQRStream::CreateFromFile(dir.File("none")), EFOpenError);
    EXPECT_THROW(TQRStream::CreateFromFile(dir.Path()), EFOpenError);
}

}  // namespace
}  // namespace qrp

#else

#include <gtest/gtest.h>

TEST(QRStream, PosixCases)
{
    GTEST_SKIP() << "spill-file limits, file modes and file-size limits are POSIX cases";
}

#endif  // _WIN32
