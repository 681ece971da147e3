#include "emf/wmf/code_pages.h"
#include "emf/wmf/wmf_charset.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>

namespace qrp::emf::wmf {
namespace {

#include "emf/wmf/codepage_digests.inc"

class Fnv1a64 {
public:
    void Add(uint8_t byte) { value_ = (value_ ^ byte) * 0x100000001B3ULL; }
    void AddUnits(const std::u16string& units)
    {
        for (const char16_t u : units) {
            Add(static_cast<uint8_t>(u & 0xFF));
            Add(static_cast<uint8_t>(u >> 8));
        }
        Add('|');
    }
    uint64_t Value() const { return value_; }

private:
    uint64_t value_ = 0xCBF29CE484222325ULL;
};

// Every byte, every lead/trail pair and every UTF-16 unit of each code page converts as
// the Windows conversion answered when the tables were made.
TEST(CodePages, EveryByteAndUnitConvertsAsWindowsDoes)
{
    for (const auto& [number, digest] : kConversionDigests) {
        const CodePage* page = CodePage::Find(number);
        ASSERT_NE(page, nullptr) << number;
        Fnv1a64 hash;
        for (int b = 0; b < 256; ++b) hash.AddUnits(std::u16string(1, page->DecodeByte(static_cast<uint8_t>(b))));
        for (int lead = 0; lead < 256; ++lead) {
            if (!page->IsLeadByte(static_cast<uint8_t>(lead))) continue;
            for (int trail = 0; trail < 256; ++trail) {
                std::u16string units;
                page->DecodePair(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail), units);
                hash.AddUnits(units);
            }
        }
        for (int u = 0; u < 0x10000; ++u) {
            const uint16_t bytes = page->Encode(static_cast<char16_t>(u));
            if (bytes > 0xFF) hash.Add(static_cast<uint8_t>(bytes >> 8));
            hash.Add(static_cast<uint8_t>(bytes & 0xFF));
            hash.Add('|');
        }
        EXPECT_EQ(hash.Value(), digest) << "code page " << number;
    }
}

TEST(CodePages, DecodesMarksUndefinedBytesAndUserDefinedAreasOneToOne)
{
    // Vietnamese: a combining mark stands alone, each byte one character.
    const uint8_t viet[] = {'V', 'i', 'e', 't', 0xD2, 'a'};
    EXPECT_EQ(DecodeCharset(Bytes(viet, sizeof viet), 163)->text, u"Viet\u0309a");
    // Bytes a code page leaves undefined become C1 controls, not replacement characters.
    const uint8_t undefined[] = {0x81, 0x8D};
    EXPECT_EQ(DecodeCharset(Bytes(undefined, sizeof undefined), 0)->text, u"\u0081\u008D");
    // User-defined areas of the double-byte code pages are private-use characters.
    for (const auto& [charset, bytes] : {std::pair<uint8_t, uint16_t>{134, 0xAAA1}, {129, 0xC9A1}, {136, 0xFA40}}) {
        const uint8_t pair[] = {static_cast<uint8_t>(bytes >> 8), static_cast<uint8_t>(bytes & 0xFF)};
        const auto decoded = DecodeCharset(Bytes(pair, 2), charset);
        EXPECT_EQ(decoded->text, u"\uE000") << int(charset);
        EXPECT_EQ(decoded->sourceBytes, std::vector<uint8_t>{2});
    }
}

TEST(CodePages, EncodesWithTheBestFitAndFallsBackToQuestionMark)
{
    const EncodedText latin = EncodeCharset(u"\u0100\u20AC\u4E00", 0);
    EXPECT_EQ(latin.bytes, (std::vector<uint8_t>{'A', 0x80, '?'}));
    const EncodedText chinese = EncodeCharset(u"\uE000a", 134);
    EXPECT_EQ(chinese.bytes, (std::vector<uint8_t>{0xAA, 0xA1, 'a'}));
    EXPECT_EQ(chinese.unitBytes, (std::vector<uint8_t>{2, 1}));
}

}  // namespace
}  // namespace qrp::emf::wmf
