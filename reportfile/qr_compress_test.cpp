#include "reportfile/qr_compress.h"

#include "base/exceptions.h"
#include "testsupport/reference_codec.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace qrp {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes CompressFast(const Bytes& plain, bool byteAtATime = false)
{
    TMemoryStream out;
    TQRCompress codec(out, true);
    if (byteAtATime) {
        for (const uint8_t b : plain) codec.Compress(b);
    } else {
        codec.CompressBlock(plain.data(), plain.size());
    }
    codec.Close();
    return out.Bytes();
}

Bytes CompressReference(const Bytes& plain)
{
    TMemoryStream out;
    testsupport::ReferenceCodec codec(out, true);
    for (const uint8_t b : plain) codec.Compress(b);
    codec.Close();
    return out.Bytes();
}

Bytes Str(const std::string& s) { return Bytes(s.begin(), s.end()); }

TEST(Codec, WorkedExamples)
{
    EXPECT_EQ(CompressFast(Str("a")), (Bytes{0x46}));
    EXPECT_EQ(CompressFast(Str("abc")), (Bytes{0x46, 0x3D, 0x01}));
    EXPECT_EQ(CompressFast(Str("aaaa")), (Bytes{0x46, 0x45}));
    EXPECT_EQ(CompressFast(Bytes{0x00}), (Bytes{0x80}));
    EXPECT_EQ(CompressFast(Bytes{0xFF}), (Bytes{0x00, 0x00}));
    EXPECT_EQ(CompressFast(Bytes(8, 0x00)), (Bytes{0x80, 0xCF, 0x07}));
    EXPECT_EQ(CompressFast(Bytes{}), Bytes{});
    EXPECT_EQ(CompressReference(Str("abc")), (Bytes{0x46, 0x3D, 0x01}));
    EXPECT_EQ(CompressReference(Bytes(8, 0x00)), (Bytes{0x80, 0xCF, 0x07}));
}

TEST(Codec, CompressWritesFullBytesAtOnceAndClosePadsTheLast)
{
    TMemoryStream out;
    TQRCompress one(out, true);
    one.Compress(0x41);  // 8 bits: written by Compress itself
    EXPECT_EQ(out.Size(), 1);
    one.Close();
    EXPECT_EQ(out.Size(), 1);

    TMemoryStream out2;
    TQRCompress ff(out2, true);
    ff.Compress(0xFF);  // 9 bits: one byte now, the second on Close
    EXPECT_EQ(out2.Bytes(), (Bytes{0x00}));
    ff.Close();
    EXPECT_EQ(out2.Bytes(), (Bytes{0x00, 0x00}));
}

// Expands count bytes from coded (followed by a trailer) and checks the stream stands on
// the trailer afterwards.
Bytes ExpandAndCheckPosition(const Bytes& coded, size_t count, bool block)
{
    Bytes withTrailer = coded;
    withTrailer.insert(withTrailer.end(), {0xEE, 0xEE, 0xEE, 0xEE});
    TMemoryStream in(withTrailer);
    TQRCompress codec(in, false);
    Bytes plain(count);
    if (block) {
        // In three uneven blocks, to cross the block boundary state.
        const size_t first = count / 3, second = count / 2;
        codec.ExpandBlock(plain.data(), first);
        codec.ExpandBlock(plain.data() + first, second - first);
        codec.ExpandBlock(plain.data() + second, count - second);
    } else {
        for (size_t i = 0; i < count; ++i) plain[i] = codec.Expand();
    }
    EXPECT_EQ(in.Position(), static_cast<int32_t>(coded.size()));
    return plain;
}

TEST(Codec, WorkedExamplesDecodeAndReadExactlyTheCodedBytes)
{
    const std::vector<std::pair<Bytes, Bytes>> examples = {
        {Str("a"), {0x46}}, {Str("abc"), {0x46, 0x3D, 0x01}}, {Str("aaaa"), {0x46, 0x45}},
        {{0x00}, {0x80}},   {{0xFF}, {0x00, 0x00}},           {Bytes(8, 0), {0x80, 0xCF, 0x07}},
    };
    for (const auto& [plain, coded] : examples) {
        EXPECT_EQ(ExpandAndCheckPosition(coded, plain.size(), false), plain);
        EXPECT_EQ(ExpandAndCheckPosition(coded, plain.size(), true), plain);
    }
}

TEST(Codec, FastFormsGiveTheReferenceBytesOnAnyInput)
{
    std::mt19937 rng(12345);
    std::vector<Bytes> inputs;
    inputs.push_back(Bytes(100000, 0xFF));  // drives codes long, then short
    for (int n : {1, 2, 7, 100, 5000, 200000}) {
        Bytes random(static_cast<size_t>(n));
        for (auto& b : random) b = static_cast<uint8_t>(rng());
        inputs.push_back(random);
        Bytes skewed(static_cast<size_t>(n));
        for (auto& b : skewed) b = static_cast<uint8_t>(std::min<uint32_t>(rng() % 300, 255) * (rng() % 2));
        inputs.push_back(skewed);
    }
    // Every byte value once, in an order that builds deep paths.
    Bytes ramp;
    for (int round = 0; round < 40; ++round)
        for (int v = 0; v < 256; ++v) ramp.push_back(static_cast<uint8_t>(round % 2 ? 255 - v : v));
    inputs.push_back(ramp);

    for (const Bytes& plain : inputs) {
        const Bytes reference = CompressReference(plain);
        EXPECT_EQ(CompressFast(plain), reference);
        EXPECT_EQ(CompressFast(plain, true), reference);
        EXPECT_EQ(ExpandAndCheckPosition(reference, plain.size(), true), plain);
        if (plain.size() <= 5000) {
            EXPECT_EQ(ExpandAndCheckPosition(reference, plain.size(), false), plain);
        }
    }
}

TEST(Codec, EachPageStartsFromTheSameTree)
{
    const Bytes page = Str("Hemograma completo: 4,5 milhões/mm³");
    TMemoryStream first, second;
    {
        TQRCompress c(first, true);
        c.CompressBlock(page.data(), page.size());
        c.Close();
    }
    {
        TQRCompress warmup(second, true);
        const Bytes other = Str("zzzzzzzzzzzzzz other page");
        warmup.CompressBlock(other.data(), other.size());
        warmup.Close();
    }
    const int32_t start = second.Size();
    TQRCompress c(second, true);
    c.CompressBlock(page.data(), page.size());
    c.Close();
    EXPECT_EQ(Bytes(second.Bytes().begin() + start, second.Bytes().end()), first.Bytes());
}

TEST(Codec, ExpanderFailsWithReadErrorWhenTheCodedBytesRunOut)
{
    const Bytes coded = CompressFast(Str("a longer text that codes to several bytes"));
    Bytes cut(coded.begin(), coded.end() - 2);
    {
        TMemoryStream in(cut);
        TQRCompress codec(in, false);
        Bytes out(41);
        EXPECT_THROW(codec.ExpandBlock(out.data(), out.size()), EReadError);
    }
    {
        TMemoryStream in(cut);
        TQRCompress codec(in, false);
        EXPECT_THROW(for (int i = 0; i < 41; ++i) codec.Expand(), EReadError);
    }
}

TEST(Codec, SymbolThatIsNeverCodedDecodesAsZero)
{
    // Eight 0 bits and a 1 lead from the fresh root to leaf 512 (symbol 256).
    TMemoryStream in(Bytes{0x00, 0x01});
    TQRCompress codec(in, false);
    EXPECT_EQ(codec.Expand(), 0);
}

}  // namespace
}  // namespace qrp
