// Typed views over the EMF records that create graphics objects: pens, brushes, fonts and
// palettes. Each carries the object-table index (ih) it is stored under.
#pragma once

#include "emf/records_common.h"

#include <string>
#include <vector>

namespace qrp::emf {

// CREATEPEN (LOGPEN: style, width as a POINTL whose x is used, colour).
struct EmrCreatePen {
    uint32_t ih = 0;
    uint32_t style = 0;
    int32_t width = 0;
    uint32_t color = 0;
    static std::optional<EmrCreatePen> Read(const Record& r);
};

// EXTCREATEPEN (EXTLOGPEN32 with its style entries and an optional pattern DIB).
struct EmrExtCreatePen {
    uint32_t ih = 0;
    DibRef dib;
    uint32_t style = 0;
    uint32_t width = 0;
    uint32_t brushStyle = 0;
    uint32_t color = 0;
    uint32_t hatch = 0;
    std::vector<uint32_t> styleEntries;
    static std::optional<EmrExtCreatePen> Read(const Record& r);
};

// CREATEBRUSHINDIRECT (LOGBRUSH32).
struct EmrCreateBrush {
    uint32_t ih = 0;
    uint32_t style = 0;
    uint32_t color = 0;
    uint32_t hatch = 0;
    static std::optional<EmrCreateBrush> Read(const Record& r);
};

// CREATEMONOBRUSH and CREATEDIBPATTERNBRUSHPT.
struct EmrCreateDibBrush {
    uint32_t ih = 0;
    uint32_t usage = 0;
    DibRef dib;
    static std::optional<EmrCreateDibBrush> Read(const Record& r);
};

// LOGFONTW; the face name up to its first NUL.
struct LogFont {
    int32_t height = 0, width = 0, escapement = 0, orientation = 0, weight = 0;
    uint8_t italic = 0, underline = 0, strikeOut = 0, charSet = 0;
    uint8_t outPrecision = 0, clipPrecision = 0, quality = 0, pitchAndFamily = 0;
    std::u16string faceName;
    friend bool operator==(const LogFont&, const LogFont&) = default;
};

// EXTCREATEFONTINDIRECTW: a LOGFONTW, possibly followed by the rest of an ENUMLOGFONTEXDV.
struct EmrCreateFont {
    uint32_t ih = 0;
    LogFont font;
    static std::optional<EmrCreateFont> Read(const Record& r);
    // The same into *ih and *font, every field rewritten and the face name's buffer reused:
    // a reader can fill the font it keeps without a copy.
    static bool ReadInto(const Record& r, uint32_t* ih, LogFont* font);
};

// CREATEPALETTE (ih, LOGPALETTE) and SETPALETTEENTRIES (ih, start, entries).
struct EmrPalette {
    uint32_t ih = 0;
    uint32_t start = 0;
    std::vector<uint32_t> entries;  // 0xFFBBGGRR: flags in the high byte
    static std::optional<EmrPalette> ReadCreate(const Record& r);
    static std::optional<EmrPalette> ReadSetEntries(const Record& r);
};

// RESIZEPALETTE (ih, the new number of entries).
struct EmrResizePalette {
    uint32_t ih = 0;
    uint32_t entries = 0;
    static std::optional<EmrResizePalette> Read(const Record& r);
};

}  // namespace qrp::emf
