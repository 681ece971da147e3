// Plays the records of a Windows metafile into an enhanced metafile, as GDI does when it
// plays a WMF into an enhanced-metafile device context (SetWinMetaFileBits).
#pragma once

#include "emf/bytes.h"
#include "emf/dc_mapping.h"
#include "emf/emf_writer.h"
#include "emf/wmf/wmf_convert.h"
#include "emf/wmf/wmf_reader.h"

#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace qrp::emf::wmf {

class WmfToEmf {
public:
    WmfToEmf(Bytes body, const MetaHeader& header, const MetaFilePict& pict, const ReferenceDevice& device);
    // The body is read in place: a temporary would leave the converter dangling.
    WmfToEmf(std::vector<uint8_t>&& body, const MetaHeader& header, const MetaFilePict& pict,
             const ReferenceDevice& device) = delete;

    // Converts every readable record and returns the finished EMF. Call once.
    std::vector<uint8_t> Convert();

private:
    enum class Kind : uint8_t { Free, Pen, Brush, Font, Palette, Region };
    struct Object {
        Kind kind = Kind::Free;
        int32_t penWidth = 0;      // logical units
        bool nullPen = false;
        int32_t fontHeight = 0;    // logical units, LOGFONT sign rules
        int32_t fontWidth = 0;
        int32_t fontEscapement = 0;
        uint8_t charset = 0;
        std::vector<RectL> rects;  // region: rectangles in the record's units
        RectL box;                 // region: bounding box
    };
    // The part of the device context the conversion needs to know; SaveDC pushes it.
    struct State {
        explicit State(const ReferenceDevice& device) : map(device) {}
        DcMapping map;
        int32_t x = 0, y = 0;  // current position, logical
        uint16_t textAlign = 0;
        int32_t charExtra = 0;
        int32_t penWidth = 0;
        bool nullPen = false;
        int32_t fontHeight = 0;
        int32_t fontWidth = 0;
        int32_t fontEscapement = 0;
        uint8_t charset = 0;
        uint32_t palette = kDefaultPalette;
    };
    static constexpr uint32_t kDefaultPalette = 0x8000000F;

    void Begin();
    void Dispatch(const WmfRecord& r);
    void Finish();

    // wmf_to_emf_state.cpp: modes, colours, mapping, SaveDC / RestoreDC, clipping.
    bool State16(const WmfRecord& r, uint32_t emfType);
    bool StateColor(const WmfRecord& r, uint32_t emfType);
    bool Mapping(const WmfRecord& r);
    bool SaveRestore(const WmfRecord& r);
    bool Clip(const WmfRecord& r);

    // wmf_to_emf_objects.cpp: the object table.
    int32_t Allocate();
    void Store(int32_t slot, Object object);
    uint32_t StoreBrush(int32_t slot);
    bool CreatePen(const WmfRecord& r);
    bool CreateBrush(const WmfRecord& r);
    bool CreateDibPatternBrush(const WmfRecord& r);
    bool CreatePatternBrush(const WmfRecord& r);
    bool CreateFont(const WmfRecord& r);
    bool CreatePalette(const WmfRecord& r);
    bool CreateRegion(const WmfRecord& r);
    bool SelectObject(const WmfRecord& r);
    bool DeleteObject(const WmfRecord& r);
    bool Palette(const WmfRecord& r);
    const Object* Live(std::optional<uint16_t> index, Kind kind) const;

    // wmf_to_emf_draw.cpp: lines, shapes, pixels, regions.
    bool LineOrMove(const WmfRecord& r);
    bool Poly(const WmfRecord& r);
    bool PolyPolygon(const WmfRecord& r);
    bool Box(const WmfRecord& r);
    bool ArcFamily(const WmfRecord& r);
    bool Pixel(const WmfRecord& r);
    bool FloodFill(const WmfRecord& r);
    bool RegionDraw(const WmfRecord& r);
    bool Escape(const WmfRecord& r);

    // wmf_to_emf_text.cpp
    bool TextOut(const WmfRecord& r);
    bool ExtTextOut(const WmfRecord& r);
    void EmitText(int32_t x, int32_t y, uint16_t options, const RectL* rect, Bytes text, Bytes dx);

    // wmf_to_emf_bitmaps.cpp
    bool PatBlt(const WmfRecord& r);
    bool DibBitBlt(const WmfRecord& r);
    bool DibStretchBlt(const WmfRecord& r);
    bool OldBitBlt(const WmfRecord& r);
    bool StretchDib(const WmfRecord& r);
    bool SetDibToDev(const WmfRecord& r);
    void EmitNoSourceBlt(int32_t x, int32_t y, int32_t cx, int32_t cy, uint32_t rop);
    void EmitStretchDib(int32_t xDest, int32_t yDest, int32_t cxDest, int32_t cyDest, int32_t xSrc,
                        int32_t ySrc, int32_t cxSrc, int32_t cySrc, Bytes dib, uint32_t usage, uint32_t rop,
                        bool sourceFromTop);

    // Bounds, in device pixels.
    void AddPoint(double x, double y, double inflateX = 0, double inflateY = 0);
    void AddDevice(double l, double t, double r, double b);
    void AddLogicalRect(int32_t l, int32_t t, int32_t r, int32_t b, bool withPen);
    RectL DeviceBoundsOf(int32_t l, int32_t t, int32_t r, int32_t b) const;
    double PenInflate() const;
    RectL TakeShapeBounds();

    void Emit(uint32_t type, const Payload& payload) { FOut.Append(type, payload); }

    Bytes FBody;
    MetaHeader FHeader;
    MetaFilePict FPict;
    ReferenceDevice FDevice;
    EmfWriter FOut;
    State FState;
    std::vector<State> FSaved;
    std::vector<Object> FObjects;   // indexed by WMF slot; EMF handle = slot + 1
    std::set<int32_t> FFreeSlots;   // freed slots below FObjects.size()
    uint32_t FMaxHandle = 0;
    bool FHaveBounds = false;
    double FMinX = 0, FMinY = 0, FMaxX = 0, FMaxY = 0;
    // Bounds of the last shape only, for the rclBounds field of its record.
    bool FShapeHave = false;
    double FShapeMinX = 0, FShapeMinY = 0, FShapeMaxX = 0, FShapeMaxY = 0;
};

// RGNDATA bytes (header + rectangles) for a rectangle list.
std::vector<uint8_t> RegionData(const std::vector<RectL>& rects, const RectL& box);

}  // namespace qrp::emf::wmf
