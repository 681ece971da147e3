// EMF record numbers and the GDI constants their fields carry (MS-EMF numbering).
//
// Record numbers are kEmr<Name> constants beside kEmrHeader and kEmrEof; the constants of
// record fields keep their GDI names in namespace gdi.
#pragma once

#include "emf/header.h"

#include <cstdint>

namespace qrp::emf {

constexpr uint32_t kEmrPolyBezier = 2;
constexpr uint32_t kEmrPolygon = 3;
constexpr uint32_t kEmrPolyline = 4;
constexpr uint32_t kEmrPolyBezierTo = 5;
constexpr uint32_t kEmrPolylineTo = 6;
constexpr uint32_t kEmrPolyPolyline = 7;
constexpr uint32_t kEmrPolyPolygon = 8;
constexpr uint32_t kEmrSetWindowExtEx = 9;
constexpr uint32_t kEmrSetWindowOrgEx = 10;
constexpr uint32_t kEmrSetViewportExtEx = 11;
constexpr uint32_t kEmrSetViewportOrgEx = 12;
constexpr uint32_t kEmrSetBrushOrgEx = 13;
constexpr uint32_t kEmrSetPixelV = 15;
constexpr uint32_t kEmrSetMapperFlags = 16;
constexpr uint32_t kEmrSetMapMode = 17;
constexpr uint32_t kEmrSetBkMode = 18;
constexpr uint32_t kEmrSetPolyFillMode = 19;
constexpr uint32_t kEmrSetRop2 = 20;
constexpr uint32_t kEmrSetStretchBltMode = 21;
constexpr uint32_t kEmrSetTextAlign = 22;
constexpr uint32_t kEmrSetColorAdjustment = 23;
constexpr uint32_t kEmrSetTextColor = 24;
constexpr uint32_t kEmrSetBkColor = 25;
constexpr uint32_t kEmrOffsetClipRgn = 26;
constexpr uint32_t kEmrMoveToEx = 27;
constexpr uint32_t kEmrSetMetaRgn = 28;
constexpr uint32_t kEmrExcludeClipRect = 29;
constexpr uint32_t kEmrIntersectClipRect = 30;
constexpr uint32_t kEmrScaleViewportExtEx = 31;
constexpr uint32_t kEmrScaleWindowExtEx = 32;
constexpr uint32_t kEmrSaveDC = 33;
constexpr uint32_t kEmrRestoreDC = 34;
constexpr uint32_t kEmrSetWorldTransform = 35;
constexpr uint32_t kEmrModifyWorldTransform = 36;
constexpr uint32_t kEmrSelectObject = 37;
constexpr uint32_t kEmrCreatePen = 38;
constexpr uint32_t kEmrCreateBrushIndirect = 39;
constexpr uint32_t kEmrDeleteObject = 40;
constexpr uint32_t kEmrAngleArc = 41;
constexpr uint32_t kEmrEllipse = 42;
constexpr uint32_t kEmrRectangle = 43;
constexpr uint32_t kEmrRoundRect = 44;
constexpr uint32_t kEmrArc = 45;
constexpr uint32_t kEmrChord = 46;
constexpr uint32_t kEmrPie = 47;
constexpr uint32_t kEmrSelectPalette = 48;
constexpr uint32_t kEmrCreatePalette = 49;
constexpr uint32_t kEmrSetPaletteEntries = 50;
constexpr uint32_t kEmrResizePalette = 51;
constexpr uint32_t kEmrRealizePalette = 52;
constexpr uint32_t kEmrExtFloodFill = 53;
constexpr uint32_t kEmrLineTo = 54;
constexpr uint32_t kEmrArcTo = 55;
constexpr uint32_t kEmrPolyDraw = 56;
constexpr uint32_t kEmrSetArcDirection = 57;
constexpr uint32_t kEmrSetMiterLimit = 58;
constexpr uint32_t kEmrBeginPath = 59;
constexpr uint32_t kEmrEndPath = 60;
constexpr uint32_t kEmrCloseFigure = 61;
constexpr uint32_t kEmrFillPath = 62;
constexpr uint32_t kEmrStrokeAndFillPath = 63;
constexpr uint32_t kEmrStrokePath = 64;
constexpr uint32_t kEmrFlattenPath = 65;
constexpr uint32_t kEmrWidenPath = 66;
constexpr uint32_t kEmrSelectClipPath = 67;
constexpr uint32_t kEmrAbortPath = 68;
constexpr uint32_t kEmrComment = 70;
constexpr uint32_t kEmrFillRgn = 71;
constexpr uint32_t kEmrFrameRgn = 72;
constexpr uint32_t kEmrInvertRgn = 73;
constexpr uint32_t kEmrPaintRgn = 74;
constexpr uint32_t kEmrExtSelectClipRgn = 75;
constexpr uint32_t kEmrBitBlt = 76;
constexpr uint32_t kEmrStretchBlt = 77;
constexpr uint32_t kEmrMaskBlt = 78;
constexpr uint32_t kEmrPlgBlt = 79;
constexpr uint32_t kEmrSetDIBitsToDevice = 80;
constexpr uint32_t kEmrStretchDIBits = 81;
constexpr uint32_t kEmrExtCreateFontIndirectW = 82;
constexpr uint32_t kEmrExtTextOutA = 83;
constexpr uint32_t kEmrExtTextOutW = 84;
constexpr uint32_t kEmrPolyBezier16 = 85;
constexpr uint32_t kEmrPolygon16 = 86;
constexpr uint32_t kEmrPolyline16 = 87;
constexpr uint32_t kEmrPolyBezierTo16 = 88;
constexpr uint32_t kEmrPolylineTo16 = 89;
constexpr uint32_t kEmrPolyPolyline16 = 90;
constexpr uint32_t kEmrPolyPolygon16 = 91;
constexpr uint32_t kEmrPolyDraw16 = 92;
constexpr uint32_t kEmrCreateMonoBrush = 93;
constexpr uint32_t kEmrCreateDibPatternBrushPt = 94;
constexpr uint32_t kEmrExtCreatePen = 95;
constexpr uint32_t kEmrPolyTextOutA = 96;
constexpr uint32_t kEmrPolyTextOutW = 97;
constexpr uint32_t kEmrSetIcmMode = 98;
constexpr uint32_t kEmrCreateColorSpace = 99;
constexpr uint32_t kEmrSetColorSpace = 100;
constexpr uint32_t kEmrDeleteColorSpace = 101;
constexpr uint32_t kEmrSmallTextOut = 108;
constexpr uint32_t kEmrAlphaBlend = 114;
constexpr uint32_t kEmrSetLayout = 115;
constexpr uint32_t kEmrTransparentBlt = 116;
constexpr uint32_t kEmrGradientFill = 118;
constexpr uint32_t kEmrSetTextJustification = 120;
constexpr uint32_t kEmrColorMatchToTargetW = 121;
constexpr uint32_t kEmrCreateColorSpaceW = 122;

namespace gdi {

// Mapping modes (signed: METAFILEPICT and the WMF records carry them as signed values).
constexpr int32_t MM_TEXT = 1, MM_LOMETRIC = 2, MM_HIMETRIC = 3, MM_LOENGLISH = 4,
                  MM_HIENGLISH = 5, MM_TWIPS = 6, MM_ISOTROPIC = 7, MM_ANISOTROPIC = 8;
constexpr uint32_t GM_COMPATIBLE = 1, GM_ADVANCED = 2;
// ModifyWorldTransform.
constexpr uint32_t MWT_IDENTITY = 1, MWT_LEFTMULTIPLY = 2, MWT_RIGHTMULTIPLY = 3, MWT_SET = 4;
constexpr uint32_t TRANSPARENT = 1, OPAQUE = 2;
constexpr uint32_t ALTERNATE = 1, WINDING = 2;
constexpr uint32_t AD_COUNTERCLOCKWISE = 1, AD_CLOCKWISE = 2;
constexpr uint32_t BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;

// ROP2 codes.
constexpr uint32_t R2_BLACK = 1, R2_NOTMERGEPEN = 2, R2_MASKNOTPEN = 3, R2_NOTCOPYPEN = 4,
                   R2_MASKPENNOT = 5, R2_NOT = 6, R2_XORPEN = 7, R2_NOTMASKPEN = 8,
                   R2_MASKPEN = 9, R2_NOTXORPEN = 10, R2_NOP = 11, R2_MERGENOTPEN = 12,
                   R2_COPYPEN = 13, R2_MERGEPENNOT = 14, R2_MERGEPEN = 15, R2_WHITE = 16;

// Ternary raster operations.
constexpr uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6,
                   SRCINVERT = 0x00660046, SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008,
                   NOTSRCERASE = 0x001100A6, MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226,
                   PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09, PATINVERT = 0x005A0049,
                   DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;

// Text alignment.
constexpr uint32_t TA_NOUPDATECP = 0, TA_UPDATECP = 1, TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6,
                   TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24, TA_RTLREADING = 256;
// ExtTextOut options.
constexpr uint32_t ETO_OPAQUE = 0x2, ETO_CLIPPED = 0x4, ETO_GLYPH_INDEX = 0x10,
                   ETO_RTLREADING = 0x80, ETO_NO_RECT = 0x100, ETO_SMALL_CHARS = 0x200,
                   ETO_IGNORELANGUAGE = 0x1000, ETO_PDY = 0x2000;

// Pens.
constexpr uint32_t PS_SOLID = 0, PS_DASH = 1, PS_DOT = 2, PS_DASHDOT = 3, PS_DASHDOTDOT = 4,
                   PS_NULL = 5, PS_INSIDEFRAME = 6, PS_USERSTYLE = 7, PS_ALTERNATE = 8,
                   PS_STYLE_MASK = 0xF;
constexpr uint32_t PS_ENDCAP_ROUND = 0x0, PS_ENDCAP_SQUARE = 0x100, PS_ENDCAP_FLAT = 0x200,
                   PS_ENDCAP_MASK = 0xF00;
constexpr uint32_t PS_JOIN_ROUND = 0x0, PS_JOIN_BEVEL = 0x1000, PS_JOIN_MITER = 0x2000,
                   PS_JOIN_MASK = 0xF000;
constexpr uint32_t PS_COSMETIC = 0x0, PS_GEOMETRIC = 0x10000, PS_TYPE_MASK = 0xF0000;

// Brushes.
constexpr uint32_t BS_SOLID = 0, BS_NULL = 1, BS_HATCHED = 2, BS_PATTERN = 3, BS_INDEXED = 4,
                   BS_DIBPATTERN = 5, BS_DIBPATTERNPT = 6, BS_PATTERN8X8 = 7, BS_DIBPATTERN8X8 = 8,
                   BS_MONOPATTERN = 9;
constexpr uint32_t HS_HORIZONTAL = 0, HS_VERTICAL = 1, HS_FDIAGONAL = 2, HS_BDIAGONAL = 3,
                   HS_CROSS = 4, HS_DIAGCROSS = 5;

// Stock objects (SelectObject with the high bit set).
constexpr uint32_t STOCK_OBJECT = 0x80000000;
constexpr uint32_t WHITE_BRUSH = 0, LTGRAY_BRUSH = 1, GRAY_BRUSH = 2, DKGRAY_BRUSH = 3,
                   BLACK_BRUSH = 4, NULL_BRUSH = 5, WHITE_PEN = 6, BLACK_PEN = 7, NULL_PEN = 8,
                   OEM_FIXED_FONT = 10, ANSI_FIXED_FONT = 11, ANSI_VAR_FONT = 12,
                   SYSTEM_FONT = 13, DEVICE_DEFAULT_FONT = 14, DEFAULT_PALETTE = 15,
                   SYSTEM_FIXED_FONT = 16, DEFAULT_GUI_FONT = 17, DC_BRUSH = 18, DC_PEN = 19;

// Region combination modes.
constexpr uint32_t RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5;

// PolyDraw point types.
constexpr uint8_t PT_CLOSEFIGURE = 0x1, PT_LINETO = 0x2, PT_BEZIERTO = 0x4, PT_MOVETO = 0x6;

// Font weights and charsets the player looks at.
constexpr int32_t FW_NORMAL = 400, FW_BOLD = 700;
constexpr uint8_t SYMBOL_CHARSET = 2;

// Gradient fill modes.
constexpr uint32_t GRADIENT_FILL_RECT_H = 0, GRADIENT_FILL_RECT_V = 1, GRADIENT_FILL_TRIANGLE = 2;

// DIB colour-table usages (the records' iUsage).
constexpr uint32_t DIB_RGB_COLORS = 0;   // RGBQUAD (RGBTRIPLE for core headers) entries
constexpr uint32_t DIB_PAL_COLORS = 1;   // 16-bit indices into the selected logical palette
constexpr uint32_t DIB_PAL_INDICES = 2;  // no table: pixel values index the palette directly

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_RLE8 = 1;
constexpr uint32_t BI_RLE4 = 2;
constexpr uint32_t BI_BITFIELDS = 3;
constexpr uint32_t BI_JPEG = 4;
constexpr uint32_t BI_PNG = 5;
constexpr uint32_t BI_ALPHABITFIELDS = 6;

// AlphaBlend's BLENDFUNCTION.AlphaFormat.
constexpr uint8_t AC_SRC_ALPHA = 1;

}  // namespace gdi
}  // namespace qrp::emf
