// The record player: reads an EMF's records through typed views, keeps a GDI device
// context (DcState, object table, SaveDC stack) and drives a Device.
//
// Coordinates: logical units (the records') map through the world transform, the
// window/viewport mapping and the playback mapping (reference device pixels onto the
// output rectangle) to output coordinates. GDI rounds device points to whole pixels; the
// player does the same, and treats pixel (x, y) as the square [x, x+1) x [y, y+1).
#pragma once

#include "emf/enh_metafile.h"
#include "emf/record_reader.h"
#include "emf/records_shapes.h"
#include "emf/records_text.h"
#include "render/dc_state.h"
#include "render/device.h"
#include "render/fonts.h"
#include "render/play.h"
#include "render/play_budget.h"

#include <QPainterPath>
#include <QRect>

#include <array>
#include <cmath>
#include <optional>
#include <vector>

namespace qrp::render {

// Transforms are kept as GDI keeps them, in single precision: every entry is rounded to a
// float after each product, so points land on the same side of a half pixel as GDI's.
QTransform FloatTransform(double m11, double m12, double m21, double m22, double dx, double dy);
QTransform CombineFloat(const QTransform& first, const QTransform& second);

class Player {
public:
    // budget: the work the picture may cost, in PlayBudget units.
    Player(Device& device, const emf::EnhMetaFile& picture, const QRect& rect,
           uint64_t budget = PlayBudget::kPageUnits);
    PlayStats Play();

    // A handler returns false when its record is damaged (a view could not read it).
    using Handler = bool (Player::*)(const emf::Record&);
    static constexpr size_t kHandlerCount = 128;
    using HandlerTable = std::array<Handler, kHandlerCount>;

private:
    // The dispatch table, filled by one function per record family.
    static const HandlerTable& Handlers();
    static void AddStateHandlers(HandlerTable& table);
    static void AddObjectHandlers(HandlerTable& table);
    static void AddShapeHandlers(HandlerTable& table);
    static void AddPathHandlers(HandlerTable& table);
    static void AddTextHandlers(HandlerTable& table);
    static void AddBitmapHandlers(HandlerTable& table);

    // --- mapping (play_state.cpp) ---
    const QTransform& Total()           // logical -> output
    {
        if (!FTotalValid) RebuildTotal();
        return FTotal;
    }
    void RebuildTotal();
    void TransformChanged() { FTotalValid = false; }
    QPointF Map(double x, double y) { return Total().map(QPointF(x, y)); }
    QPointF MapPoint(const emf::Point32& p) { return Map(p.x, p.y); }
    // A mapped point rounded to whole output pixels, as GDI rounds device points.
    QPointF Snap(const QPointF& p) const;
    QPointF MapSnapped(double x, double y) { return Snap(Map(x, y)); }
    bool AxisAligned();                 // the transform keeps rectangles upright
    double ScaleX()                     // output length of one logical unit along x
    {
        const QTransform& t = Total();
        return t.m12() == 0 ? std::abs(t.m11()) : std::hypot(t.m11(), t.m12());
    }
    double ScaleY()
    {
        const QTransform& t = Total();
        return t.m21() == 0 ? std::abs(t.m22()) : std::hypot(t.m21(), t.m22());
    }

    // --- drawing helpers (player.cpp) ---
    // The device's fill and stroke, paid for from the page's budget: nothing is drawn once
    // it is spent.
    void DeviceFill(const QPainterPath& path, const QBrush& brush, Composition mode);
    void DeviceStroke(const QPainterPath& path, const QPen& pen, Composition mode);
    // Where regions are built: the window with room for a later offset of the clip.
    QRect RegionWindow() const;
    void SyncClip()
    {
        // Most drawings have no clip at all: nothing to combine or compare.
        if (FClipSynced && !FDeviceClip && !FState.clip && !FState.metaClip) return;
        SyncClipToDevice();
    }
    void SyncClipToDevice();
    // The composition for the current ROP2; false when nothing is to be drawn. May replace
    // the colour (R2_BLACK, R2_WHITE).
    bool Rop2Composition(QColor* color, Composition* mode) const;
    // A COLORREF as drawn: RGB, PALETTERGB, or PALETTEINDEX through the palette in use.
    QColor Color(uint32_t colorRef) const
    {
        QColor color;
        SetColor(color, colorRef);
        return color;
    }
    // The same, set in place: where a colour is kept, assigning a returned QColor goes through
    // a temporary written in halves and read whole, which stalls the processor.
    void SetColor(QColor& color, uint32_t colorRef) const
    {
        if ((colorRef >> 24) == 1) {
            color = PaletteColor(colorRef);
            return;
        }
        // RGB and PALETTERGB alike on a true-colour device.
        color.setRgb(static_cast<int>(colorRef & 0xFF), static_cast<int>((colorRef >> 8) & 0xFF),
                     static_cast<int>((colorRef >> 16) & 0xFF));
    }
    // PALETTEINDEX's colour.
    QColor PaletteColor(uint32_t colorRef) const;
    std::optional<QBrush> MakeBrush(const BrushObject* brush);
    bool PenIsNull() const;
    double PenWidthOut();               // pen width in output pixels
    QPen MakePen(double widthOut);
    // Fills a path (output coordinates, pixel squares) with the current brush.
    void FillArea(const QPainterPath& path);
    void FillAreaWith(const QPainterPath& path, const BrushObject* brush);
    // Strokes an outline given through GDI points (output pixel positions) with the pen.
    void StrokeOutline(const QPainterPath& points);
    // Adds a shape to the open path, or fills (when fill) and strokes it.
    void DrawShape(const QPainterPath& points, bool fill, const QPainterPath* fillArea = nullptr);
    // False when a shape would have no effect but on the current position: outside a path
    // bracket on a device that draws no shapes. Its outline then need not be built.
    bool ShapesWanted() const { return FState.inPath || FDrawsShapes; }
    void AddToPath(const QPainterPath& points);

    // --- state and mapping records (play_state.cpp) ---
    bool OnSetMapMode(const emf::Record& r);
    bool OnSetWindowExt(const emf::Record& r);
    bool OnSetWindowOrg(const emf::Record& r);
    bool OnSetViewportExt(const emf::Record& r);
    bool OnSetViewportOrg(const emf::Record& r);
    bool OnScaleViewportExt(const emf::Record& r);
    bool OnScaleWindowExt(const emf::Record& r);
    bool OnSetWorldTransform(const emf::Record& r);
    bool OnModifyWorldTransform(const emf::Record& r);
    bool OnSaveDC(const emf::Record& r);
    bool OnRestoreDC(const emf::Record& r);
    bool OnSetValue(const emf::Record& r);
    bool OnSetMiterLimit(const emf::Record& r);
    bool OnSetBrushOrg(const emf::Record& r);
    bool OnIgnored(const emf::Record& r);
    bool OnComment(const emf::Record& r);

    // --- objects (play_objects.cpp) ---
    bool OnCreatePen(const emf::Record& r);
    bool OnExtCreatePen(const emf::Record& r);
    bool OnCreateBrush(const emf::Record& r);
    bool OnCreateDibBrush(const emf::Record& r);
    bool OnCreateFont(const emf::Record& r);
    bool OnCreatePalette(const emf::Record& r);
    bool OnSetPaletteEntries(const emf::Record& r);
    bool OnResizePalette(const emf::Record& r);
    bool OnSelectObject(const emf::Record& r);
    bool OnDeleteObject(const emf::Record& r);
    bool OnSelectPalette(const emf::Record& r);
    GdiObject* ObjectAt(uint32_t index)
    {
        // Index 0 is the picture itself; some writers understate nHandles, so the table
        // grows up to the largest index a 16-bit handle count allows.
        if (index == 0 || index > 0xFFFF) return nullptr;
        if (index >= FObjects.size()) GrowObjects(index + 1);
        return &FObjects[index];
    }
    void GrowObjects(size_t size);  // out of line: object records rarely need it
    // Empties a slot of the object table; an object no state holds any more becomes a spare.
    void EmptySlot(GdiObject& slot);

    // --- shapes (play_shapes.cpp) ---
    bool OnMoveTo(const emf::Record& r);
    bool OnLineTo(const emf::Record& r);
    bool OnPoly(const emf::Record& r);
    // False when a POLYDRAW's point types are damaged.
    bool DrawPoly(uint32_t type, const emf::EmrPoly& record);
    bool OnRectangle(const emf::Record& r);
    bool OnRoundRect(const emf::Record& r);
    bool OnEllipse(const emf::Record& r);
    bool OnArc(const emf::Record& r);
    bool OnAngleArc(const emf::Record& r);
    bool OnSetPixel(const emf::Record& r);
    // The ellipse arc of a box from one radial to the other, in output coordinates.
    QPainterPath ArcPath(const emf::RectL& box, const emf::Point32& start, const emf::Point32& end,
                         bool moveToStart, QPointF* arcStart, QPointF* arcEnd);
    // A rectangle of logical units as GDI draws it: the box's corners as output pixels.
    QPainterPath BoxOutline(const emf::RectL& box, QRectF* pixels);

    // --- paths, clipping, regions (play_paths.cpp) ---
    bool OnBeginPath(const emf::Record& r);
    bool OnEndPath(const emf::Record& r);
    bool OnAbortPath(const emf::Record& r);
    bool OnCloseFigure(const emf::Record& r);
    bool OnFillPath(const emf::Record& r);
    bool OnStrokePath(const emf::Record& r);
    bool OnStrokeAndFillPath(const emf::Record& r);
    bool OnFlattenPath(const emf::Record& r);
    bool OnWidenPath(const emf::Record& r);
    bool OnSelectClipPath(const emf::Record& r);
    bool OnIntersectClipRect(const emf::Record& r);
    bool OnExcludeClipRect(const emf::Record& r);
    bool OnOffsetClipRgn(const emf::Record& r);
    bool OnExtSelectClipRgn(const emf::Record& r);
    bool OnSetMetaRgn(const emf::Record& r);
    bool OnRegionDraw(const emf::Record& r);
    void CombineClip(const QRegion& region, uint32_t mode);
    // A logical rectangle as an output region (right and bottom edges excluded).
    QRegion LogicalRectRegion(const emf::RectL& rect);
    QPainterPath FinishedPath();

    // --- text (play_text.cpp) ---
    bool OnTextOut(const emf::Record& r);
    void DrawTextRun(const emf::TextRun& run, uint32_t graphicsMode);
    // Pays for drawing run's glyphs on a raster device and keeps those paid for, their
    // pixels in FGlyphPixels. False when nothing is left to draw.
    bool PayForGlyphs(GlyphRun& run);
    void DrawGlyphsInParts(const GlyphRun& run);

    // --- bitmaps (play_bitmaps.cpp) ---
    bool OnBlt(const emf::Record& r);
    bool OnPlgBlt(const emf::Record& r);
    bool OnDibits(const emf::Record& r);
    bool OnGradientFill(const emf::Record& r);
    // Fills a logical rectangle for a raster operation without a source.
    void PatternBlt(const QRectF& dest, uint32_t rop);
    // Decodes a record's source bitmap, paid for from the budget by the pixels its header
    // claims (*claimed: that size, which an embedded image file may not have).
    QImage DecodeSource(const emf::Record& r, const emf::DibRef& dib, uint32_t usage, bool keepAlpha,
                        QSize* claimed = nullptr);
    // Draws image's source rectangle into the logical destination rectangle.
    void DrawImageInto(const QImage& image, const QRectF& source, const QRectF& dest, uint32_t rop);
    // The image drawn through imageToOutput (source in the image, output pixels) with rop.
    void DrawPlaced(const QImage& image, const QRectF& source, const QTransform& imageToOutput, uint32_t rop, bool smooth);
    std::vector<uint32_t> SelectedPalette() const;

    Device& FDevice;
    const emf::EnhMetaFile& FPicture;
    QTransform FPlayback;  // reference-device pixels -> output
    double FPlaybackScaleX = 1, FPlaybackScaleY = 1;
    DcState FState;
    std::vector<DcState> FSaved;
    std::vector<GdiObject> FObjects;
    // Objects no one holds any more, kept so that the pens, brushes and fonts a page creates
    // and deletes by the hundred reuse their allocations.
    std::shared_ptr<PenObject> FSparePen;
    std::shared_ptr<BrushObject> FSpareBrush;
    std::shared_ptr<FontObject> FSpareFont;
    QTransform FTotal;
    bool FTotalValid = false;
    std::optional<QRegion> FDeviceClip;
    bool FClipSynced = true;  // the device starts without a clip
    FontCache& FFonts = FontCache::ForThisThread();
    std::vector<double> FGlyphPixels;  // of the glyph run being drawn, inside the window
    // The shape record being drawn, kept so that the point buffers of ordinary records are
    // allocated once per playback (OnPoly lets a huge one go).
    emf::EmrPoly FPolyRecord;
    // The text record being drawn, kept so that its runs' buffers are allocated once per playback.
    emf::EmrTextOut FTextRecord;
    // Kept between text runs so that their buffers are allocated once per playback.
    GlyphRun FGlyphRun;
    std::vector<double> FTextOffsets;
    QList<quint32> FGlyphs;
    PlayStats FStats;
    PlayBudget FBudget;
    QRectF FWindow;  // the output area drawings can reach, and a margin
    // The device's answers, which do not change during a playback.
    bool FRaster = false;
    bool FDrawsShapes = true;
    bool FDrawsGlyphs = true;
    TextRendering FTextRendering = RenderingOf(TextMode::kGdi);
};

}  // namespace qrp::render
