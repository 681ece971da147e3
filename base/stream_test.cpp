#include "base/exceptions.h"
#include "base/stream.h"
#include "base/tempfile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace qrp {
namespace {

TEST(MemoryStream, ReadsShortAtTheEndAndExactReadsFail)
{
    TMemoryStream s;
    s.WriteInt32(0x01020304);
    EXPECT_EQ(s.Size(), 4);
    s.SetPosition(2);
    uint8_t b[4] = {};
    EXPECT_EQ(s.Read(b, 4), 2);
    EXPECT_EQ(s.Read(b, 4), 0);
    s.SetPosition(100);  // beyond the end is accepted
    EXPECT_EQ(s.Position(), 100);
    EXPECT_EQ(s.Read(b, 1), 0);
    s.SetPosition(1);
    try {
        s.ReadBuffer(b, 4);
        FAIL() << "short exact read accepted";
    } catch (const EReadError& e) {
        EXPECT_STREQ(e.what(), "Stream read error");
    }
    s.SetPosition(0);
    EXPECT_EQ(s.ReadInt32(), 0x01020304);
}

TEST(FileStream, OpenAndCreateErrorsNameTheFile)
{
    try {
        TFileStream f("/nonexistent/dir/x.qrp", fmOpenRead | fmShareDenyNone);
        FAIL();
    } catch (const EFOpenError& e) {
        // The reason is the system's own text ("No such file or directory" here).
        const std::string prefix = "Cannot open file \"/nonexistent/dir/x.qrp\". ";
        EXPECT_EQ(std::string(e.what()).rfind(prefix, 0), 0u) << e.what();
        EXPECT_GT(std::string(e.what()).size(), prefix.size() + 5) << e.what();
#ifndef _WIN32
        EXPECT_EQ(std::string(e.what()), prefix + "No such file or directory");
#endif
    }
    try {
        TFileStream f("/nonexistent/dir/x.qrp", fmCreate);
        FAIL();
    } catch (const EFCreateError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Cannot create file \"/nonexistent/dir/x.qrp\". ", 0), 0u);
    }
}

TEST(FileStream, WritesReadsAndSeeksLikeTheMemoryForm)
{
    const std::string path = CreateUniqueFile(TempDirectory(), "QRPtest");
    {
        TFileStream f(path, fmCreate);
        f.WriteInt32(7);
        f.WriteUInt16(9);
        EXPECT_EQ(f.Size(), 6);
        EXPECT_EQ(f.Position(), 6);
    }
    {
        TFileStream f(path, fmOpenRead | fmShareDenyNone);
        EXPECT_EQ(f.ReadInt32(), 7);
        EXPECT_EQ(f.ReadUInt16(), 9);
        EXPECT_THROW(f.ReadUInt16(), EReadError);
        EXPECT_TRUE(SameFile(path, f.Handle()));
    }
    std::remove(path.c_str());
}

}  // namespace
}  // namespace qrp
