// The damage report of a playback: skipped records kept up to a cap, and their text.
#include "render/play.h"

#include "emf/emr_types.h"

namespace qrp::render {

void PlayStats::Skip(uint32_t type, uint32_t offset, std::string_view reason)
{
    ++skipped;
    if (skips.size() < kMaxKept) skips.push_back({type, offset, reason});
}

std::string DescribeSkips(const PlayStats& stats, std::string_view indent)
{
    std::string text;
    for (const SkippedRecord& s : stats.skips) {
        text += indent;
        text += "offset " + std::to_string(s.offset) + ": ";
        text += RecordTypeName(s.type);
        text += " (type " + std::to_string(s.type) + "): ";
        text += s.reason;
        text += "\n";
    }
    if (stats.skipped > stats.skips.size()) {
        text += indent;
        text += "and " + std::to_string(stats.skipped - stats.skips.size()) + " more skipped records\n";
    }
    return text;
}

std::string_view RecordTypeName(uint32_t type)
{
    switch (type) {
    case emf::kEmrHeader: return "EMR_HEADER";
    case emf::kEmrEof: return "EMR_EOF";
    case emf::kEmrComment: return "EMR_GDICOMMENT";
    case emf::kEmrPolyBezier: return "EMR_POLYBEZIER";
    case emf::kEmrPolygon: return "EMR_POLYGON";
    case emf::kEmrPolyline: return "EMR_POLYLINE";
    case emf::kEmrPolyBezierTo: return "EMR_POLYBEZIERTO";
    case emf::kEmrPolylineTo: return "EMR_POLYLINETO";
    case emf::kEmrPolyPolyline: return "EMR_POLYPOLYLINE";
    case emf::kEmrPolyPolygon: return "EMR_POLYPOLYGON";
    case emf::kEmrSetWindowExtEx: return "EMR_SETWINDOWEXTEX";
    case emf::kEmrSetWindowOrgEx: return "EMR_SETWINDOWORGEX";
    case emf::kEmrSetViewportExtEx: return "EMR_SETVIEWPORTEXTEX";
    case emf::kEmrSetViewportOrgEx: return "EMR_SETVIEWPORTORGEX";
    case emf::kEmrSetBrushOrgEx: return "EMR_SETBRUSHORGEX";
    case emf::kEmrSetPixelV: return "EMR_SETPIXELV";
    case emf::kEmrSetMapperFlags: return "EMR_SETMAPPERFLAGS";
    case emf::kEmrSetMapMode: return "EMR_SETMAPMODE";
    case emf::kEmrSetBkMode: return "EMR_SETBKMODE";
    case emf::kEmrSetPolyFillMode: return "EMR_SETPOLYFILLMODE";
    case emf::kEmrSetRop2: return "EMR_SETROP2";
    case emf::kEmrSetStretchBltMode: return "EMR_SETSTRETCHBLTMODE";
    case emf::kEmrSetTextAlign: return "EMR_SETTEXTALIGN";
    case emf::kEmrSetColorAdjustment: return "EMR_SETCOLORADJUSTMENT";
    case emf::kEmrSetTextColor: return "EMR_SETTEXTCOLOR";
    case emf::kEmrSetBkColor: return "EMR_SETBKCOLOR";
    case emf::kEmrOffsetClipRgn: return "EMR_OFFSETCLIPRGN";
    case emf::kEmrMoveToEx: return "EMR_MOVETOEX";
    case emf::kEmrSetMetaRgn: return "EMR_SETMETARGN";
    case emf::kEmrExcludeClipRect: return "EMR_EXCLUDECLIPRECT";
    case emf::kEmrIntersectClipRect: return "EMR_INTERSECTCLIPRECT";
    case emf::kEmrScaleViewportExtEx: return "EMR_SCALEVIEWPORTEXTEX";
    case emf::kEmrScaleWindowExtEx: return "EMR_SCALEWINDOWEXTEX";
    case emf::kEmrSaveDC: return "EMR_SAVEDC";
    case emf::kEmrRestoreDC: return "EMR_RESTOREDC";
    case emf::kEmrSetWorldTransform: return "EMR_SETWORLDTRANSFORM";
    case emf::kEmrModifyWorldTransform: return "EMR_MODIFYWORLDTRANSFORM";
    case emf::kEmrSelectObject: return "EMR_SELECTOBJECT";
    case emf::kEmrCreatePen: return "EMR_CREATEPEN";
    case emf::kEmrCreateBrushIndirect: return "EMR_CREATEBRUSHINDIRECT";
    case emf::kEmrDeleteObject: return "EMR_DELETEOBJECT";
    case emf::kEmrAngleArc: return "EMR_ANGLEARC";
    case emf::kEmrEllipse: return "EMR_ELLIPSE";
    case emf::kEmrRectangle: return "EMR_RECTANGLE";
    case emf::kEmrRoundRect: return "EMR_ROUNDRECT";
    case emf::kEmrArc: return "EMR_ARC";
    case emf::kEmrChord: return "EMR_CHORD";
    case emf::kEmrPie: return "EMR_PIE";
    case emf::kEmrSelectPalette: return "EMR_SELECTPALETTE";
    case emf::kEmrCreatePalette: return "EMR_CREATEPALETTE";
    case emf::kEmrSetPaletteEntries: return "EMR_SETPALETTEENTRIES";
    case emf::kEmrResizePalette: return "EMR_RESIZEPALETTE";
    case emf::kEmrRealizePalette: return "EMR_REALIZEPALETTE";
    case emf::kEmrExtFloodFill: return "EMR_EXTFLOODFILL";
    case emf::kEmrLineTo: return "EMR_LINETO";
    case emf::kEmrArcTo: return "EMR_ARCTO";
    case emf::kEmrPolyDraw: return "EMR_POLYDRAW";
    case emf::kEmrSetArcDirection: return "EMR_SETARCDIRECTION";
    case emf::kEmrSetMiterLimit: return "EMR_SETMITERLIMIT";
    case emf::kEmrBeginPath: return "EMR_BEGINPATH";
    case emf::kEmrEndPath: return "EMR_ENDPATH";
    case emf::kEmrCloseFigure: return "EMR_CLOSEFIGURE";
    case emf::kEmrFillPath: return "EMR_FILLPATH";
    case emf::kEmrStrokeAndFillPath: return "EMR_STROKEANDFILLPATH";
    case emf::kEmrStrokePath: return "EMR_STROKEPATH";
    case emf::kEmrFlattenPath: return "EMR_FLATTENPATH";
    case emf::kEmrWidenPath: return "EMR_WIDENPATH";
    case emf::kEmrSelectClipPath: return "EMR_SELECTCLIPPATH";
    case emf::kEmrAbortPath: return "EMR_ABORTPATH";
    case emf::kEmrFillRgn: return "EMR_FILLRGN";
    case emf::kEmrFrameRgn: return "EMR_FRAMERGN";
    case emf::kEmrInvertRgn: return "EMR_INVERTRGN";
    case emf::kEmrPaintRgn: return "EMR_PAINTRGN";
    case emf::kEmrExtSelectClipRgn: return "EMR_EXTSELECTCLIPRGN";
    case emf::kEmrBitBlt: return "EMR_BITBLT";
    case emf::kEmrStretchBlt: return "EMR_STRETCHBLT";
    case emf::kEmrMaskBlt: return "EMR_MASKBLT";
    case emf::kEmrPlgBlt: return "EMR_PLGBLT";
    case emf::kEmrSetDIBitsToDevice: return "EMR_SETDIBITSTODEVICE";
    case emf::kEmrStretchDIBits: return "EMR_STRETCHDIBITS";
    case emf::kEmrExtCreateFontIndirectW: return "EMR_EXTCREATEFONTINDIRECTW";
    case emf::kEmrExtTextOutA: return "EMR_EXTTEXTOUTA";
    case emf::kEmrExtTextOutW: return "EMR_EXTTEXTOUTW";
    case emf::kEmrPolyBezier16: return "EMR_POLYBEZIER16";
    case emf::kEmrPolygon16: return "EMR_POLYGON16";
    case emf::kEmrPolyline16: return "EMR_POLYLINE16";
    case emf::kEmrPolyBezierTo16: return "EMR_POLYBEZIERTO16";
    case emf::kEmrPolylineTo16: return "EMR_POLYLINETO16";
    case emf::kEmrPolyPolyline16: return "EMR_POLYPOLYLINE16";
    case emf::kEmrPolyPolygon16: return "EMR_POLYPOLYGON16";
    case emf::kEmrPolyDraw16: return "EMR_POLYDRAW16";
    case emf::kEmrCreateMonoBrush: return "EMR_CREATEMONOBRUSH";
    case emf::kEmrCreateDibPatternBrushPt: return "EMR_CREATEDIBPATTERNBRUSHPT";
    case emf::kEmrExtCreatePen: return "EMR_EXTCREATEPEN";
    case emf::kEmrPolyTextOutA: return "EMR_POLYTEXTOUTA";
    case emf::kEmrPolyTextOutW: return "EMR_POLYTEXTOUTW";
    case emf::kEmrSetIcmMode: return "EMR_SETICMMODE";
    case emf::kEmrCreateColorSpace: return "EMR_CREATECOLORSPACE";
    case emf::kEmrSetColorSpace: return "EMR_SETCOLORSPACE";
    case emf::kEmrDeleteColorSpace: return "EMR_DELETECOLORSPACE";
    case emf::kEmrSmallTextOut: return "EMR_SMALLTEXTOUT";
    case emf::kEmrAlphaBlend: return "EMR_ALPHABLEND";
    case emf::kEmrSetLayout: return "EMR_SETLAYOUT";
    case emf::kEmrTransparentBlt: return "EMR_TRANSPARENTBLT";
    case emf::kEmrGradientFill: return "EMR_GRADIENTFILL";
    case emf::kEmrSetTextJustification: return "EMR_SETTEXTJUSTIFICATION";
    case emf::kEmrColorMatchToTargetW: return "EMR_COLORMATCHTOTARGETW";
    case emf::kEmrCreateColorSpaceW: return "EMR_CREATECOLORSPACEW";
    default: return "unknown";
    }
}

}  // namespace qrp::render
