// Test support: builds small Windows metafiles record by record.
#pragma once

#include "emf/wmf/wmf_format.h"
#include "emf/wmf/wmf_writer.h"

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace qrp::emf::wmf::test {

class WmfBuilder {
public:
    using Points = std::vector<std::pair<int16_t, int16_t>>;

    // Parameters given in record order (many records store them last-first).
    WmfBuilder& Words(uint16_t function, std::initializer_list<int16_t> words)
    {
        WmfParams p;
        for (const int16_t w : words) p.I16(w);
        FOut.Append(function, p);
        return *this;
    }
    WmfBuilder& Raw(uint16_t function, const WmfParams& params)
    {
        FOut.Append(function, params);
        return *this;
    }

    WmfBuilder& MapMode(int16_t mode) { return Words(META_SETMAPMODE, {mode}); }
    WmfBuilder& WindowOrg(int16_t x, int16_t y) { return Words(META_SETWINDOWORG, {y, x}); }
    WmfBuilder& WindowExt(int16_t cx, int16_t cy) { return Words(META_SETWINDOWEXT, {cy, cx}); }
    WmfBuilder& ViewportOrg(int16_t x, int16_t y) { return Words(META_SETVIEWPORTORG, {y, x}); }
    WmfBuilder& ViewportExt(int16_t cx, int16_t cy) { return Words(META_SETVIEWPORTEXT, {cy, cx}); }
    WmfBuilder& Color(uint16_t function, uint32_t color) { return Raw(function, WmfParams().U32(color)); }

    WmfBuilder& Pen(uint16_t style, int16_t width, uint32_t color)
    {
        return Raw(META_CREATEPENINDIRECT, WmfParams().U16(style).I16(width).I16(0).U32(color));
    }
    WmfBuilder& Brush(uint16_t style, uint32_t color, uint16_t hatch = 0)
    {
        return Raw(META_CREATEBRUSHINDIRECT, WmfParams().U16(style).U32(color).U16(hatch));
    }
    WmfBuilder& Font(int16_t height, const std::string& face, uint8_t charset = 0, int16_t escapement = 0)
    {
        WmfParams p;
        p.I16(height).I16(0).I16(escapement).I16(escapement).I16(400);
        const uint8_t fixed[8] = {0, 0, 0, charset, 0, 0, 0, 0};
        p.Raw(fixed);
        std::vector<uint8_t> name(face.begin(), face.end());
        name.push_back(0);
        p.Raw(name);
        return Raw(META_CREATEFONTINDIRECT, p);
    }
    WmfBuilder& Palette(std::initializer_list<uint32_t> entries)
    {
        WmfParams p;
        p.U16(0x0300).U16(static_cast<uint16_t>(entries.size()));
        for (const uint32_t e : entries) p.U32(e);
        return Raw(META_CREATEPALETTE, p);
    }
    // A region of rectangles, one scan per rectangle.
    WmfBuilder& Region(const std::vector<std::vector<int16_t>>& rects)
    {
        int16_t l = 32767, t = 32767, r = -32768, b = -32768;
        for (const auto& rc : rects) {
            l = std::min(l, rc[0]), t = std::min(t, rc[1]), r = std::max(r, rc[2]), b = std::max(b, rc[3]);
        }
        WmfParams p;
        p.U16(0).I16(6).U32(0).I16(0).I16(static_cast<int16_t>(rects.size())).I16(2).I16(l).I16(t).I16(r).I16(b);
        for (const auto& rc : rects) p.U16(2).I16(rc[1]).I16(rc[3]).I16(rc[0]).I16(rc[2]).U16(2);
        return Raw(META_CREATEREGION, p);
    }
    WmfBuilder& Select(uint16_t index) { return Words(META_SELECTOBJECT, {static_cast<int16_t>(index)}); }
    WmfBuilder& Delete(uint16_t index) { return Words(META_DELETEOBJECT, {static_cast<int16_t>(index)}); }

    WmfBuilder& Rectangle(int16_t l, int16_t t, int16_t r, int16_t b) { return Words(META_RECTANGLE, {b, r, t, l}); }
    WmfBuilder& MoveTo(int16_t x, int16_t y) { return Words(META_MOVETO, {y, x}); }
    WmfBuilder& LineTo(int16_t x, int16_t y) { return Words(META_LINETO, {y, x}); }
    WmfBuilder& Poly(uint16_t function, const Points& points)
    {
        WmfParams p;
        p.I16(static_cast<int16_t>(points.size()));
        for (const auto& [x, y] : points) p.I16(x).I16(y);
        return Raw(function, p);
    }
    WmfBuilder& PolyPolygon(const std::vector<Points>& polygons)
    {
        WmfParams p;
        p.U16(static_cast<uint16_t>(polygons.size()));
        for (const auto& poly : polygons) p.U16(static_cast<uint16_t>(poly.size()));
        for (const auto& poly : polygons)
            for (const auto& [x, y] : poly) p.I16(x).I16(y);
        return Raw(META_POLYPOLYGON, p);
    }
    WmfBuilder& TextOut(int16_t x, int16_t y, const std::string& text)
    {
        WmfParams p;
        p.I16(static_cast<int16_t>(text.size()));
        p.Raw(std::vector<uint8_t>(text.begin(), text.end()));
        p.I16(y).I16(x);
        return Raw(META_TEXTOUT, p);
    }
    WmfBuilder& ExtTextOut(int16_t x, int16_t y, uint16_t options, std::vector<int16_t> rect, const std::string& text,
                           const std::vector<int16_t>& dx)
    {
        WmfParams p;
        p.I16(y).I16(x).I16(static_cast<int16_t>(text.size())).U16(options);
        for (const int16_t v : rect) p.I16(v);
        p.Raw(std::vector<uint8_t>(text.begin(), text.end()));
        for (const int16_t d : dx) p.I16(d);
        return Raw(META_EXTTEXTOUT, p);
    }
    WmfBuilder& Comment(const std::string& text)
    {
        WmfParams p;
        p.U16(MFCOMMENT).U16(static_cast<uint16_t>(text.size()));
        p.Raw(std::vector<uint8_t>(text.begin(), text.end()));
        return Raw(META_ESCAPE, p);
    }
    WmfBuilder& SaveDC() { return Words(META_SAVEDC, {}); }
    WmfBuilder& RestoreDC(int16_t level) { return Words(META_RESTOREDC, {level}); }

    std::vector<uint8_t> Finish(uint16_t objects = 16) { return FOut.Finish(objects); }
    WmfWriter& Writer() { return FOut; }

private:
    WmfWriter FOut;
};

// A packed bottom-up 24-bit DIB of width x height pixels, every pixel the same BGR colour.
inline std::vector<uint8_t> SolidDib24(int32_t width, int32_t height, uint8_t b, uint8_t g, uint8_t r)
{
    WmfParams p;
    p.U32(40).U32(static_cast<uint32_t>(width)).U32(static_cast<uint32_t>(height)).U16(1).U16(24);
    p.U32(0).U32(0).U32(0).U32(0).U32(0).U32(0);
    std::vector<uint8_t> dib = p.Bytes();
    const int32_t stride = (width * 3 + 3) & ~3;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) dib.insert(dib.end(), {b, g, r});
        dib.insert(dib.end(), static_cast<size_t>(stride - width * 3), 0);
    }
    return dib;
}

}  // namespace qrp::emf::wmf::test
