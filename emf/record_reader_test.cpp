#include "emf/header.h"
#include "emf/record_reader.h"
#include "emf/validate.h"

#include <gtest/gtest.h>

#include <vector>

namespace qrp::emf {
namespace {

void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}

// A header record and an EOF record, nothing else.
std::vector<uint8_t> MinimalPicture()
{
    EnhMetaHeader h;
    h.iType = kEmrHeader;
    h.nSize = kHeaderSize;
    h.dSignature = kEmfSignature;
    h.nVersion = 0x10000;
    h.nBytes = kHeaderSize + 20;
    h.nRecords = 2;
    h.rclFrame = {0, 0, 21000, 29700};
    h.szlDevice = {1024, 768};
    h.szlMillimeters = {320, 240};
    std::vector<uint8_t> v(kHeaderSize);
    StoreHeader(h, v.data());
    Put32(v, kEmrEof);
    Put32(v, 20);
    Put32(v, 0);
    Put32(v, 16);
    Put32(v, 20);
    return v;
}

TEST(RecordReader, WalksHeaderAndEofAndRoundTripsTheHeader)
{
    const auto picture = MinimalPicture();
    RecordReader reader(picture);
    auto first = reader.Next();
    ASSERT_TRUE(first);
    EXPECT_EQ(first->Type(), kEmrHeader);
    EXPECT_EQ(ParseHeader(first->Data()).rclFrame, (RectL{0, 0, 21000, 29700}));
    auto second = reader.Next();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Type(), kEmrEof);
    EXPECT_EQ(second->Offset(), kHeaderSize);
    EXPECT_FALSE(reader.Next());
    EXPECT_FALSE(reader.Error());
    EXPECT_TRUE(IsValidEnhMetafile(picture));
}

TEST(RecordReader, FieldsOutsideARecordReadAsAbsent)
{
    const auto picture = MinimalPicture();
    RecordReader reader(picture);
    reader.Next();
    const Record eof = *reader.Next();
    EXPECT_EQ(eof.U32(16), 20u);
    EXPECT_FALSE(eof.U32(17));
    EXPECT_FALSE(eof.I16(19));
    EXPECT_TRUE(eof.Array(8, 3, 4).size() == 12);
    EXPECT_TRUE(eof.Array(8, 4, 4).empty());
    EXPECT_TRUE(eof.Array(0, 0x40000000u, 8).empty());  // count * size overflows 32 bits
}

TEST(Validate, RejectsDamagedSizesAndSignatures)
{
    auto badSize = MinimalPicture();
    badSize[kHeaderSize + 4] = 6;  // EOF nSize 6: below 8
    EXPECT_FALSE(IsValidEnhMetafile(badSize));

    auto unaligned = MinimalPicture();
    unaligned[kHeaderSize + 4] = 18;
    EXPECT_FALSE(IsValidEnhMetafile(unaligned));

    auto noSignature = MinimalPicture();
    noSignature[40] = 0;
    EXPECT_NE(ValidationError(noSignature).find("offset 40"), std::string::npos);

    auto wrongTotal = MinimalPicture();
    wrongTotal.push_back(0);
    EXPECT_FALSE(IsValidEnhMetafile(wrongTotal));
}

}  // namespace
}  // namespace qrp::emf
