// The device context the player mirrors: the graphics objects and one DcState value, which
// SaveDC pushes and RestoreDC pops as a whole.
#pragma once

#include "emf/dc_mapping.h"
#include "emf/records_common.h"
#include "emf/records_objects.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPointF>
#include <QRegion>
#include <QTransform>

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace qrp::render {

struct PenObject {
    uint32_t style = 0;       // PS_* style, end cap, join and type bits
    double width = 0;         // logical units; 0 (or a cosmetic pen): one device pixel
    bool cosmetic = true;     // width is in device pixels, not scaled
    bool extended = false;    // from EXTCREATEPEN
    uint32_t color = 0;
    bool nullBrush = false;   // an extended pen whose brush draws nothing
    std::vector<uint32_t> dashes;  // PS_USERSTYLE entries
};

struct BrushObject {
    uint32_t style = 0;   // BS_SOLID, BS_NULL, BS_HATCHED, BS_DIBPATTERNPT, ...
    uint32_t color = 0;
    uint32_t hatch = 0;
    // Pattern brushes: the record holding the DIB, decoded when first used.
    emf::Record record;
    emf::DibRef dib;
    uint32_t usage = 0;
    bool monochrome = false;  // CREATEMONOBRUSH: colours from the text and background colours
    // The decoded pattern, kept; a monochrome one with the colours it was decoded with.
    mutable QImage pattern;
    mutable std::array<QRgb, 2> patternColors{};
};

struct FontObject {
    emf::LogFont font;
};

struct PaletteObject {
    std::vector<uint32_t> entries;
};

struct GdiObject {
    std::shared_ptr<const PenObject> pen;
    std::shared_ptr<const BrushObject> brush;
    // Writable: once no state holds it, the player reuses it for the next font created.
    std::shared_ptr<FontObject> font;
    std::shared_ptr<PaletteObject> palette;
};

struct DcState {
    uint32_t graphicsMode = 1;  // GM_COMPATIBLE
    emf::DcMapping mapping;     // mapping mode, window, viewport and world transform

    uint32_t rop2 = 13;         // R2_COPYPEN
    uint32_t stretchMode = 1;   // BLACKONWHITE
    uint32_t fillMode = 1;      // ALTERNATE
    uint32_t arcDirection = 1;  // AD_COUNTERCLOCKWISE
    float miterLimit = 10;
    QPoint brushOrigin;
    uint32_t textAlign = 0;
    uint32_t textColor = 0x000000;
    uint32_t bkColor = 0xFFFFFF;
    uint32_t bkMode = 2;        // OPAQUE
    QPointF position;           // current position, logical units

    std::shared_ptr<const PenObject> pen;
    std::shared_ptr<const BrushObject> brush;
    std::shared_ptr<const FontObject> font;
    std::shared_ptr<PaletteObject> palette;

    // Clip and meta region in output coordinates; std::nullopt: none.
    std::optional<QRegion> clip;
    std::optional<QRegion> metaClip;

    // The path bracket: points in output coordinates.
    bool inPath = false;
    bool pathDone = false;
    QPainterPath path;
};

// A stock object (SelectObject with the high bit set): the pen, brush or font of its
// index, all of them empty for an index that names none (DEFAULT_PALETTE among them).
struct StockObject {
    std::shared_ptr<const PenObject> pen;
    std::shared_ptr<const BrushObject> brush;
    std::shared_ptr<const FontObject> font;
};
const StockObject& StockObjectAt(uint32_t index);

// A COLORREF (0x00BBGGRR) as a QColor.
QColor ToColor(uint32_t colorRef);

}  // namespace qrp::render
