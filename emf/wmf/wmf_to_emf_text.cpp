// TEXTOUT and EXTTEXTOUT: 8-bit text decoded in the selected font's character set and
// written as EXTTEXTOUTW (or EXTTEXTOUTA where the set has no Unicode mapping here, such
// as the symbol set), with the dx array when the record has one.
#include "emf/wmf/wmf_charset.h"
#include "emf/wmf/wmf_format.h"
#include "emf/wmf/wmf_to_emf.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qrp::emf::wmf {

namespace {
constexpr size_t kTextFixedBytes = 76;  // record fields before the string
}  // namespace

bool WmfToEmf::TextOut(const WmfRecord& r)
{
    const auto length = r.I16(0);
    if (!length || *length < 0) return false;
    const size_t padded = (static_cast<size_t>(*length) + 1) & ~size_t{1};
    const Bytes text = r.Slice(2, static_cast<size_t>(*length));
    const auto y = r.I16((2 + padded) / 2), x = r.I16((2 + padded) / 2 + 1);
    if (text.size() != static_cast<size_t>(*length) || !x) return false;
    EmitText(*x, *y, 0, nullptr, text, {});
    return true;
}

bool WmfToEmf::ExtTextOut(const WmfRecord& r)
{
    const auto y = r.I16(0), x = r.I16(1), length = r.I16(2);
    const auto options = r.U16(3);
    if (!options || *length < 0) return false;
    const auto count = static_cast<size_t>(*length);
    bool hasRect = (*options & (ETO_OPAQUE_16 | ETO_CLIPPED_16)) != 0;
    // Some writers set the options without writing the rectangle.
    if (hasRect && r.Params().size() < 16 + count && r.Params().size() >= 8 + count) hasRect = false;
    size_t at = 8;
    RectL rect;
    if (hasRect) {
        const auto left = r.I16(4), top = r.I16(5), right = r.I16(6), bottom = r.I16(7);
        if (!bottom) return false;
        rect = {*left, *top, *right, *bottom};
        at = 16;
    }
    // The string as far as the record holds it.
    const Bytes text = r.Slice(at, std::min(count, r.Tail(at).size()));
    const size_t dxAt = at + ((count + 1) & ~size_t{1});
    const Bytes dx = r.Slice(dxAt, text.size() * 2);
    EmitText(*x, *y, *options, hasRect ? &rect : nullptr, text, dx);
    return true;
}

void WmfToEmf::EmitText(int32_t x, int32_t y, uint16_t options, const RectL* rect, Bytes text, Bytes dx)
{
    const bool updateCp = (FState.textAlign & gdi::TA_UPDATECP) != 0;
    if (updateCp) {
        x = FState.x;
        y = FState.y;
    }
    // Advances per byte, in logical units.
    std::vector<int32_t> byteDx;
    for (size_t i = 0; i + 1 < dx.size(); i += 2) byteDx.push_back(LoadI16(dx.data() + i));
    const bool haveDx = !byteDx.empty();

    const auto decoded = DecodeCharset(text, FState.charset);
    std::vector<int32_t> unitDx;
    if (haveDx && decoded) {
        size_t source = 0;
        for (const uint8_t n : decoded->sourceBytes) {
            int32_t sum = 0;
            for (uint8_t k = 0; k < n && source < byteDx.size(); ++k) sum += byteDx[source++];
            unitDx.push_back(sum);
        }
    } else if (haveDx) {
        unitDx = byteDx;
    }
    const size_t chars = decoded ? decoded->text.size() : text.size();

    // Bounds: the string's box from its advances, or from the font height when it has none.
    double width = 0;
    const double height = std::abs(FState.fontHeight) > 0 ? std::abs(FState.fontHeight) : 12.0;
    if (haveDx) {
        for (const int32_t d : unitDx) width += d;
    } else {
        const double average = FState.fontWidth != 0 ? std::abs(FState.fontWidth) : height * 0.5;
        width = (average + FState.charExtra) * static_cast<double>(chars);
    }
    const PointD origin = FState.map.ToDevice(x, y);
    const double w = std::abs(width) * FState.map.ScaleX(), h = height * FState.map.ScaleY();
    if (chars > 0) {
        double left = origin.x, top = origin.y;
        const uint16_t horizontal = FState.textAlign & gdi::TA_CENTER;
        if (horizontal == gdi::TA_CENTER) left -= w / 2;
        else if (horizontal == gdi::TA_RIGHT) left -= w;
        if ((FState.textAlign & gdi::TA_BASELINE) == gdi::TA_BASELINE) top -= h * 0.8;
        else if (FState.textAlign & gdi::TA_BOTTOM) top -= h;
        if (FState.fontEscapement != 0) {
            // The box turned about the reference point, counter-clockwise on the page.
            const double angle = FState.fontEscapement * std::numbers::pi / 1800.0, c = std::cos(angle), s = std::sin(angle);
            const double xs[2] = {left - origin.x, left + w - origin.x}, ys[2] = {top - origin.y, top + h - origin.y};
            for (const double dx0 : xs) {
                for (const double dy0 : ys) {
                    const double px = origin.x + dx0 * c + dy0 * s, py = origin.y - dx0 * s + dy0 * c;
                    AddDevice(px, py, px, py);
                }
            }
        } else {
            AddDevice(left, top, left + w, top + h);
        }
    }
    if (rect && (options & ETO_OPAQUE_16)) AddLogicalRect(rect->left, rect->top, rect->right, rect->bottom, false);
    const RectL bounds = TakeShapeBounds();
    if (updateCp) FState.x = x + static_cast<int32_t>(std::lround(width));

    const size_t stringBytes = decoded ? chars * 2 : chars;
    const size_t stringPadded = (stringBytes + 3) & ~size_t{3};
    const auto offDx = static_cast<uint32_t>(unitDx.empty() ? 0 : kTextFixedBytes + stringPadded);
    const float scaleX = 100.0F * static_cast<float>(FDevice.widthMillimeters) / static_cast<float>(std::max(FDevice.widthPixels, 1));
    const float scaleY = 100.0F * static_cast<float>(FDevice.heightMillimeters) / static_cast<float>(std::max(FDevice.heightPixels, 1));
    Payload p;
    p.Rect(bounds).U32(gdi::GM_COMPATIBLE).F32(scaleX).F32(scaleY);
    p.I32(x).I32(y).U32(static_cast<uint32_t>(chars)).U32(static_cast<uint32_t>(kTextFixedBytes)).U32(options);
    p.Rect(rect ? *rect : RectL{0, 0, -1, -1}).U32(offDx);
    if (decoded) p.Utf16(decoded->text);
    else p.Raw(text);
    p.Pad4();
    for (const int32_t d : unitDx) p.I32(d);
    Emit(decoded ? kEmrExtTextOutW : kEmrExtTextOutA, p);
}

}  // namespace qrp::emf::wmf
