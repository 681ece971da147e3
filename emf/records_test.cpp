// The typed record views: fields read where they are, and every count, offset and size
// checked against the record before use.
#include "emf/records.h"

#include "emf/bytes.h"

#include <gtest/gtest.h>

#include <vector>

namespace qrp::emf {
namespace {

// A record of the given type whose payload is the given 32-bit words.
struct Built {
    std::vector<uint8_t> bytes;
    Record record;
};

Built Make(uint32_t type, std::vector<uint32_t> words, std::vector<uint8_t> tail = {})
{
    Built b;
    const uint32_t size = static_cast<uint32_t>(8 + 4 * words.size() + ((tail.size() + 3) & ~size_t{3}));
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) b.bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(type);
    put(size);
    for (uint32_t w : words) put(w);
    b.bytes.insert(b.bytes.end(), tail.begin(), tail.end());
    while (b.bytes.size() % 4) b.bytes.push_back(0);
    b.record = Record(type, Bytes(b.bytes), 0);
    return b;
}

uint32_t U(int32_t v) { return static_cast<uint32_t>(v); }

TEST(Records, PolyCountsMustFitTheRecord)
{
    const Built ok = Make(kEmrPolyline16, {0, 0, 9, 9, 2, 0x00020001, U(0xFFFF0003)});
    const auto poly = EmrPoly::Read(ok.record);
    ASSERT_TRUE(poly);
    ASSERT_EQ(poly->points.size(), 2u);
    EXPECT_EQ(poly->points[0], (Point32{1, 2}));
    EXPECT_EQ(poly->points[1], (Point32{3, -1}));

    EXPECT_FALSE(EmrPoly::Read(Make(kEmrPolyline16, {0, 0, 9, 9, 3, 0x00020001, 0x00040003}).record));
    EXPECT_FALSE(EmrPoly::Read(Make(kEmrPolyline, {0, 0, 9, 9, 0x40000000, 1, 2}).record));
    // POLYPOLYGON: the per-polygon counts must add up to the total.
    EXPECT_FALSE(EmrPoly::Read(Make(kEmrPolyPolygon16, {0, 0, 9, 9, 2, 3, 2, 2, 1, 2, 3}).record));
    const auto pp = EmrPoly::Read(Make(kEmrPolyPolygon16, {0, 0, 9, 9, 2, 3, 1, 2, 1, 2, 3}).record);
    ASSERT_TRUE(pp);
    EXPECT_EQ(pp->counts, (std::vector<uint32_t>{1, 2}));
    // POLYDRAW: one type byte per point after the points.
    EXPECT_TRUE(EmrPoly::Read(Make(kEmrPolyDraw16, {0, 0, 9, 9, 2, 1, 2}, {6, 2}).record));
    EXPECT_FALSE(EmrPoly::Read(Make(kEmrPolyDraw16, {0, 0, 9, 9, 2, 1, 2}).record));
}

TEST(Records, TextStringsMustFitAndAdvancesAreDroppedWhenTheyDoNot)
{
    // EMREXTTEXTOUTW: bounds, mode, scales, reference, nChars, offString, options, rect, offDx.
    std::vector<uint32_t> words = {0, 0, 0, 0, 1, 0, 0, 10, 20, 2, 76, 0, 0, 0, 0, 0, 80, 0x00620061, 7, 9};
    const auto text = EmrTextOut::Read(Make(kEmrExtTextOutW, words).record);
    ASSERT_TRUE(text);
    ASSERT_EQ(text->runs.size(), 1u);
    EXPECT_EQ(text->runs[0].text, u"ab");
    EXPECT_EQ(text->runs[0].reference, (Point32{10, 20}));
    EXPECT_EQ(text->runs[0].dx, (std::vector<int32_t>{7, 9}));

    words[16] = 84;  // the advances run past the record: kept text, no advances
    const auto noDx = EmrTextOut::Read(Make(kEmrExtTextOutW, words).record);
    ASSERT_TRUE(noDx);
    EXPECT_TRUE(noDx->runs[0].dx.empty());

    words[9] = 0x7FFFFFFF;  // more characters than bytes
    EXPECT_FALSE(EmrTextOut::Read(Make(kEmrExtTextOutW, words).record));
    words[9] = 2;
    words[10] = 0xFFFFFFF0;  // string offset outside the record
    EXPECT_FALSE(EmrTextOut::Read(Make(kEmrExtTextOutW, words).record));
}

TEST(Records, AnsiTextIsWidenedThroughWindows1252)
{
    const std::vector<uint32_t> words = {0, 0, 0, 0, 1, 0, 0, 0, 0, 3, 76, 0, 0, 0, 0, 0, 0};
    const auto text = EmrTextOut::Read(Make(kEmrExtTextOutA, words, {'a', 0xE7, 0x80}).record);
    ASSERT_TRUE(text);
    EXPECT_EQ(text->runs[0].text, u"a\u00E7\u20AC");
}

// An EXTTEXTOUTA/W with bounds (1, 2, 3, 4), one string at offset 76 and its advances
// after it (none when dx is empty).
Built TextRecord(uint32_t type, std::u16string text, uint32_t options, std::vector<uint32_t> dx)
{
    const bool wide = type == kEmrExtTextOutW;
    std::vector<uint8_t> tail;
    for (char16_t c : text) {
        tail.push_back(static_cast<uint8_t>(c));
        if (wide) tail.push_back(static_cast<uint8_t>(c >> 8));
    }
    while (tail.size() % 4) tail.push_back(0);
    const uint32_t offDx = dx.empty() ? 0 : static_cast<uint32_t>(76 + tail.size());
    for (uint32_t d : dx)
        for (int i = 0; i < 4; ++i) tail.push_back(static_cast<uint8_t>(d >> (8 * i)));
    const auto n = static_cast<uint32_t>(text.size());
    return Make(type, {1, 2, 3, 4, 2, 0, 0, 10, 20, n, 76, options, 5, 6, 7, 8, offDx}, tail);
}

void ExpectSameText(const EmrTextOut& a, const EmrTextOut& b, const std::string& what)
{
    SCOPED_TRACE(what);
    EXPECT_EQ(a.bounds, b.bounds);
    EXPECT_EQ(a.graphicsMode, b.graphicsMode);
    ASSERT_EQ(a.runs.size(), b.runs.size());
    for (size_t i = 0; i < a.runs.size(); ++i) {
        const TextRun &x = a.runs[i], &y = b.runs[i];
        EXPECT_EQ(x.reference, y.reference);
        EXPECT_EQ(x.text, y.text);
        EXPECT_EQ(std::vector<uint8_t>(x.narrow.begin(), x.narrow.end()), std::vector<uint8_t>(y.narrow.begin(), y.narrow.end()));
        EXPECT_EQ(x.options, y.options);
        EXPECT_EQ(x.rect, y.rect);
        EXPECT_EQ(x.dx, y.dx);
        EXPECT_EQ(x.dy, y.dy);
    }
}

TEST(Records, ATextRecordReadIntoAKeptOneCarriesNothingOfThePrevious)
{
    const Built longer[] = {
        TextRecord(kEmrExtTextOutA, u"abcdef", gdi::ETO_PDY | gdi::ETO_OPAQUE, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}),
        TextRecord(kEmrExtTextOutW, u"abcdefgh", gdi::ETO_CLIPPED, {1, 2, 3, 4, 5, 6, 7, 8}),
        // POLYTEXTOUTW with two strings.
        Make(kEmrPolyTextOutW, {1, 2, 3, 4, 2, 0, 0, 2, 10, 20, 1, 120, 0, 5, 6, 7, 8, 0, 30, 40, 1, 124, 0, 5, 6, 7, 8, 0},
             {'a', 0, 0, 0, 'b', 0, 0, 0}),
    };
    // SMALLTEXTOUT: reference, count, options, mode, scales, then the 8-bit string.
    const Built shorter[] = {
        TextRecord(kEmrExtTextOutW, u"xy", 0, {}),
        TextRecord(kEmrExtTextOutA, u"z", 0, {}),
        TextRecord(kEmrExtTextOutW, u"", 0, {}),
        TextRecord(kEmrExtTextOutW, u"pq", gdi::ETO_PDY, {3, 4, 5, 6}),
        Make(kEmrSmallTextOut, {7, 8, 1, gdi::ETO_NO_RECT | gdi::ETO_SMALL_CHARS, 1, 0, 0}, {'s'}),
    };
    for (size_t i = 0; i < std::size(longer); ++i) {
        for (size_t j = 0; j < std::size(shorter); ++j) {
            EmrTextOut kept;
            ASSERT_TRUE(EmrTextOut::ReadInto(longer[i].record, &kept)) << i;
            ASSERT_TRUE(EmrTextOut::ReadInto(shorter[j].record, &kept)) << j;
            const auto fresh = EmrTextOut::Read(shorter[j].record);
            ASSERT_TRUE(fresh) << j;
            ExpectSameText(kept, *fresh, "longer " + std::to_string(i) + ", shorter " + std::to_string(j));
        }
    }
}

TEST(Records, ShapeAndFontRecordsReadIntoKeptOnesCarryNothingOfThePrevious)
{
    const Built longerPolys[] = {
        Make(kEmrPolyDraw16, {0, 0, 9, 9, 3, 0x00020001, 0x00040003, 0x00060005}, {6, 2, 3}),
        Make(kEmrPolyPolygon16, {1, 1, 8, 8, 2, 3, 1, 2, 0x00010001, 0x00020002, 0x00030003}),
        Make(kEmrPolyline, {2, 2, 7, 7, 3, 10, 11, 12, 13, 14, 15}),
    };
    const Built shorterPolys[] = {
        Make(kEmrPolyline16, {0, 0, 1, 1, 1, 0x00050004}),
        Make(kEmrPolylineTo16, {0, 0, 1, 1, 0}),
        Make(kEmrPolygon, {3, 3, 4, 4, 2, 1, 2, 3, 4}),
    };
    for (const Built& longer : longerPolys) {
        for (const Built& shorter : shorterPolys) {
            EmrPoly kept;
            ASSERT_TRUE(EmrPoly::ReadInto(longer.record, &kept));
            ASSERT_TRUE(EmrPoly::ReadInto(shorter.record, &kept));
            const auto fresh = EmrPoly::Read(shorter.record);
            ASSERT_TRUE(fresh);
            EXPECT_EQ(kept.bounds, fresh->bounds);
            EXPECT_EQ(kept.points, fresh->points);
            EXPECT_EQ(kept.counts, fresh->counts);
            EXPECT_EQ(kept.types, fresh->types);
        }
    }

    // ih, height, width, escapement, orientation, weight, the eight byte fields, the face.
    auto font = [](uint32_t ih, int32_t height, uint32_t bytes, std::u16string_view face) {
        std::vector<uint32_t> words = {ih, U(height), 2, 3, 4, 700, bytes, bytes >> 8};
        words.resize(24, 0);
        for (size_t i = 0; i < face.size(); ++i) words[8 + i / 2] |= uint32_t{face[i]} << (16 * (i % 2));
        return Make(kEmrExtCreateFontIndirectW, words);
    };
    const Built longerFonts[] = {font(1, -13, 0x01010101, u"Courier New"), font(2, 40, 0x02FF, u"A long face name of 31 letters")};
    const Built shorterFonts[] = {font(3, 12, 0, u"Arial"), font(4, -9, 0x0100, u"")};
    for (const Built& longer : longerFonts) {
        for (const Built& shorter : shorterFonts) {
            uint32_t ih = 0;
            LogFont kept;
            ASSERT_TRUE(EmrCreateFont::ReadInto(longer.record, &ih, &kept));
            ASSERT_TRUE(EmrCreateFont::ReadInto(shorter.record, &ih, &kept));
            const auto fresh = EmrCreateFont::Read(shorter.record);
            ASSERT_TRUE(fresh);
            EXPECT_EQ(ih, fresh->ih);
            EXPECT_EQ(kept, fresh->font);
        }
    }
}

TEST(Records, RegionsAndBitmapsCheckTheirSizes)
{
    // EXTSELECTCLIPRGN: cbRgnData, mode, RGNDATA (32-byte header, nCount rectangles).
    std::vector<uint32_t> words = {48, gdi::RGN_AND, 32, 1, 1, 16, 0, 0, 5, 5, 1, 2, 3, 4};
    const auto clip = EmrExtSelectClipRgn::Read(Make(kEmrExtSelectClipRgn, words).record);
    ASSERT_TRUE(clip && clip->region);
    ASSERT_EQ(clip->region->rects.size(), 1u);
    EXPECT_EQ(clip->region->rects[0], (RectL{1, 2, 3, 4}));
    words[4] = 2;  // two rectangles in room for one
    EXPECT_FALSE(EmrExtSelectClipRgn::Read(Make(kEmrExtSelectClipRgn, words).record));
    // No region resets the clip with RGN_COPY only.
    EXPECT_TRUE(EmrExtSelectClipRgn::Read(Make(kEmrExtSelectClipRgn, {0, gdi::RGN_COPY}).record));
    EXPECT_FALSE(EmrExtSelectClipRgn::Read(Make(kEmrExtSelectClipRgn, {0, gdi::RGN_AND}).record));

    // STRETCHDIBITS whose bits run past the record.
    std::vector<uint32_t> blt(19, 0);
    blt[10] = 84;  // offBmiSrc
    blt[11] = 40;  // cbBmiSrc
    blt[12] = 124; // offBitsSrc
    blt[13] = 4;   // cbBitsSrc
    std::vector<uint8_t> dib(44, 0);
    EXPECT_TRUE(EmrDibits::Read(Make(kEmrStretchDIBits, blt, dib).record));
    blt[13] = 8;
    EXPECT_FALSE(EmrDibits::Read(Make(kEmrStretchDIBits, blt, dib).record));
}

TEST(Records, EveryShorterCutOfAViewIsRejected)
{
    const Built full = Make(kEmrExtCreatePen, {1, 0, 0, 0, 0, 0x10000 | gdi::PS_USERSTYLE, 3, 0, 0xFF, 0, 2, 5, 6});
    ASSERT_TRUE(EmrExtCreatePen::Read(full.record));
    EXPECT_EQ(EmrExtCreatePen::Read(full.record)->styleEntries, (std::vector<uint32_t>{5, 6}));
    for (size_t cut = 8; cut < full.bytes.size(); cut += 4) {
        const Record shorter(kEmrExtCreatePen, Bytes(full.bytes).first(cut), 0);
        EXPECT_FALSE(EmrExtCreatePen::Read(shorter)) << cut;
    }
    const Built font = Make(kEmrExtCreateFontIndirectW, std::vector<uint32_t>(24, 0));
    ASSERT_TRUE(EmrCreateFont::Read(font.record));
    EXPECT_FALSE(EmrCreateFont::Read(Record(kEmrExtCreateFontIndirectW, Bytes(font.bytes).first(100), 0)));
}

}  // namespace
}  // namespace qrp::emf
