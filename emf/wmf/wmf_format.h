// Windows metafile (WMF) constants: record functions, the META_HEADER layout and the
// few enumeration values the conversions need.
#pragma once

#include <cstdint>

namespace qrp::emf::wmf {

// META_HEADER: 9 words, then records of RecordSize (u32, in words), RecordFunction (u16)
// and parameters.
constexpr uint32_t kHeaderBytes = 18;
constexpr uint16_t kHeaderWords = 9;
constexpr uint16_t kMemoryMetafile = 1;
constexpr uint16_t kDiskMetafile = 2;
constexpr uint16_t kVersion100 = 0x0100;
constexpr uint16_t kVersion300 = 0x0300;

// Record functions ([MS-WMF] RecordType).
enum : uint16_t {
    META_EOF = 0x0000,
    META_REALIZEPALETTE = 0x0035,
    META_SETPALENTRIES = 0x0037,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETROP2 = 0x0104,
    META_SETRELABS = 0x0105,
    META_SETPOLYFILLMODE = 0x0106,
    META_SETSTRETCHBLTMODE = 0x0107,
    META_SETTEXTCHAREXTRA = 0x0108,
    META_RESTOREDC = 0x0127,
    META_RESIZEPALETTE = 0x0139,
    META_DIBCREATEPATTERNBRUSH = 0x0142,
    META_SETLAYOUT = 0x0149,
    META_SETBKCOLOR = 0x0201,
    META_SETTEXTCOLOR = 0x0209,
    META_OFFSETVIEWPORTORG = 0x0211,
    META_LINETO = 0x0213,
    META_MOVETO = 0x0214,
    META_OFFSETCLIPRGN = 0x0220,
    META_FILLREGION = 0x0228,
    META_SETMAPPERFLAGS = 0x0231,
    META_SELECTPALETTE = 0x0234,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_SETTEXTJUSTIFICATION = 0x020A,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_SETVIEWPORTORG = 0x020D,
    META_SETVIEWPORTEXT = 0x020E,
    META_OFFSETWINDOWORG = 0x020F,
    META_SCALEWINDOWEXT = 0x0410,
    META_SCALEVIEWPORTEXT = 0x0412,
    META_EXCLUDECLIPRECT = 0x0415,
    META_INTERSECTCLIPRECT = 0x0416,
    META_ELLIPSE = 0x0418,
    META_FLOODFILL = 0x0419,
    META_FRAMEREGION = 0x0429,
    META_ANIMATEPALETTE = 0x0436,
    META_RECTANGLE = 0x041B,
    META_SETPIXEL = 0x041F,
    META_ROUNDRECT = 0x061C,
    META_PATBLT = 0x061D,
    META_SAVEDC = 0x001E,
    META_PIE = 0x081A,
    META_STRETCHBLT = 0x0B23,
    META_ESCAPE = 0x0626,
    META_INVERTREGION = 0x012A,
    META_PAINTREGION = 0x012B,
    META_SELECTCLIPREGION = 0x012C,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_ARC = 0x0817,
    META_CHORD = 0x0830,
    META_BITBLT = 0x0922,
    META_EXTTEXTOUT = 0x0A32,
    META_SETDIBTODEV = 0x0D33,
    META_DIBBITBLT = 0x0940,
    META_DIBSTRETCHBLT = 0x0B41,
    META_STRETCHDIB = 0x0F43,
    META_DELETEOBJECT = 0x01F0,
    META_CREATEPALETTE = 0x00F7,
    META_CREATEPATTERNBRUSH = 0x01F9,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYPOLYGON = 0x0538,
    META_EXTFLOODFILL = 0x0548,
    META_TEXTOUT = 0x0521,
    META_CREATEREGION = 0x06FF,
};

// Escape functions.
constexpr uint16_t MFCOMMENT = 0x000F;

// ExtTextOut options.
constexpr uint16_t ETO_OPAQUE_16 = 0x0002;
constexpr uint16_t ETO_CLIPPED_16 = 0x0004;

// A bit-block record without a bitmap is exactly (function >> 8) + 3 words long.
constexpr uint32_t NoBitmapWords(uint16_t function) { return (function >> 8) + 3u; }

// Comment that carries an enhanced metafile inside a WMF (META_ESCAPE, MFCOMMENT).
constexpr uint32_t kWmfcIdentifier = 0x43464D57;  // "WMFC"
constexpr uint32_t kWmfcTypeEnhanced = 1;
constexpr uint32_t kWmfcVersion = 0x00010000;
constexpr uint32_t kWmfcHeaderBytes = 34;       // fields before the EMF chunk
constexpr uint32_t kWmfcMaxChunk = 0x2000;      // EMF bytes per comment record

}  // namespace qrp::emf::wmf
