// Typed views over the EMF records that change device-context state or draw one simple
// shape from fixed fields: single values, points, sizes, rectangles, scaling, transforms,
// arcs.
#pragma once

#include "emf/records_common.h"

namespace qrp::emf {

// One u32 after the record header: SETMAPMODE, SETBKMODE, SETPOLYFILLMODE, SETROP2,
// SETSTRETCHBLTMODE, SETTEXTALIGN, SET*COLOR, SETARCDIRECTION, SELECTOBJECT, DELETEOBJECT,
// SELECTPALETTE, SELECTCLIPPATH, RESTOREDC (as signed), SETMITERLIMIT, SETLAYOUT, ...
struct EmrValue {
    uint32_t value = 0;
    int32_t Signed() const { return static_cast<int32_t>(value); }
    // Inline: a page reads one for every object it selects and deletes.
    static std::optional<EmrValue> Read(const Record& r)
    {
        const auto v = r.U32(8);
        if (!v) return std::nullopt;
        return EmrValue{*v};
    }
};

// SETMITERLIMIT: written as a float by most recorders, as an integer by some.
struct EmrMiterLimit {
    float limit = 10;
    static std::optional<EmrMiterLimit> Read(const Record& r);
};

// One POINTL: SETWINDOWORGEX, SETVIEWPORTORGEX, SETBRUSHORGEX, MOVETOEX, LINETO,
// OFFSETCLIPRGN; and one SIZEL (same layout): SETWINDOWEXTEX, SETVIEWPORTEXTEX.
struct EmrPoint {
    Point32 point;
    static std::optional<EmrPoint> Read(const Record& r);
};

// SETPIXELV.
struct EmrSetPixel {
    Point32 point;
    uint32_t color = 0;
    static std::optional<EmrSetPixel> Read(const Record& r);
};

// SETTEXTJUSTIFICATION.
struct EmrTextJustification {
    int32_t breakExtra = 0, breakCount = 0;
    static std::optional<EmrTextJustification> Read(const Record& r);
};

// SCALEVIEWPORTEXTEX, SCALEWINDOWEXTEX.
struct EmrScaleExt {
    int32_t xNum = 1, xDenom = 1, yNum = 1, yDenom = 1;
    static std::optional<EmrScaleExt> Read(const Record& r);
};

// SETWORLDTRANSFORM (mode 0) and MODIFYWORLDTRANSFORM.
struct EmrXForm {
    XForm xform;
    uint32_t mode = 0;
    static std::optional<EmrXForm> Read(const Record& r);
};

// One RECTL: RECTANGLE, ELLIPSE, INTERSECTCLIPRECT, EXCLUDECLIPRECT.
struct EmrBox {
    RectL box;
    static std::optional<EmrBox> Read(const Record& r);
};

// ROUNDRECT.
struct EmrRoundRect {
    RectL box;
    SizeL corner;
    static std::optional<EmrRoundRect> Read(const Record& r);
};

// ARC, ARCTO, CHORD, PIE: a box and the start and end radials.
struct EmrArc {
    RectL box;
    Point32 start, end;
    static std::optional<EmrArc> Read(const Record& r);
};

// ANGLEARC.
struct EmrAngleArc {
    Point32 center;
    uint32_t radius = 0;
    float startAngle = 0, sweepAngle = 0;
    static std::optional<EmrAngleArc> Read(const Record& r);
};

// EXTFLOODFILL.
struct EmrExtFloodFill {
    Point32 start;
    uint32_t color = 0, mode = 0;
    static std::optional<EmrExtFloodFill> Read(const Record& r);
};

// GDICOMMENT: the comment's bytes, and whether it is an EMF+ block.
struct EmrComment {
    Bytes data;
    bool IsEmfPlus() const;
    static std::optional<EmrComment> Read(const Record& r);
};

}  // namespace qrp::emf
