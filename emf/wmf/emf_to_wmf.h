// Plays the records of an enhanced metafile into a Windows metafile in MM_ANISOTROPIC, as
// GetWinMetaFileBits does: the window is the picture's frame at the reference device's
// resolution, every coordinate is mapped through the picture's own mapping onto that
// device and clamped to 16 bits; records without a WMF counterpart are dropped.
#pragma once

#include "emf/bytes.h"
#include "emf/dc_mapping.h"
#include "emf/header.h"
#include "emf/record_reader.h"
#include "emf/records_regions.h"
#include "emf/wmf/wmf_convert.h"
#include "emf/wmf/wmf_writer.h"

#include <cstdint>
#include <map>
#include <set>
#include <vector>

namespace qrp::emf::wmf {

class EmfToWmf {
public:
    // emf must be a valid enhanced metafile (IsValidEnhMetafile). It is read in place, so it
    // must outlive the converter: a temporary is refused at compile time.
    EmfToWmf(Bytes emf, const ReferenceDevice& device);
    EmfToWmf(std::vector<uint8_t>&& emf, const ReferenceDevice& device) = delete;

    // The converted body; with embed, the enhanced metafile itself rides along in comments.
    std::vector<uint8_t> Convert(bool embed);

    // Offsets of the records skipped as damaged (too short, or with counts, offsets or sizes
    // that do not fit the record), in file order; at most kMaxDamaged are kept.
    const std::vector<uint32_t>& DamagedOffsets() const { return FDamaged; }
    static constexpr size_t kMaxDamaged = 4096;

private:
    struct PointI {
        int16_t x = 0, y = 0;
    };
    using Figure = std::vector<PointI>;
    struct State {
        explicit State(const ReferenceDevice& device) : map(device) {}
        DcMapping map;
        double x = 0, y = 0;  // current position, logical
        int32_t penSlot = -1;  // WMF slot of the selected pen, -1 for the default pen
        uint8_t charset = 0;   // of the selected font
    };
    struct Slot {
        int32_t slot = -1;
        enum class Kind : uint8_t { Pen, Brush, Font, Palette } kind = Kind::Pen;
        uint8_t charset = 0;
    };

    void Dispatch(const Record& r);
    void Damaged(const Record& r);

    // emf_to_wmf.cpp: mapping and state.
    bool StateRecord(const Record& r);
    bool MappingRecord(const Record& r);
    PointI Map(double x, double y) const;
    int16_t LengthX(double v) const;
    int16_t LengthY(double v) const;
    void Clip(const Record& r);

    // emf_to_wmf_objects.cpp
    int32_t Allocate();
    void Free(int32_t slot);
    void CreateObject(const Record& r);
    void SelectObject(const Record& r);
    void DeleteObject(const Record& r);
    void SelectStock(uint32_t id);
    int32_t StockSlot(uint32_t id);
    // WMF slot of an EMF object or stock object, -1 when there is none.
    int32_t SlotOf(uint32_t handle);
    void Palette(const Record& r);
    int32_t CreateRegion(const RegionData& region);

    // emf_to_wmf_draw.cpp
    void Shape(const Record& r);
    void Poly(const Record& r);
    void PolyPoly(const Record& r);
    void Path(const Record& r);
    void LineRecord(const Record& r);
    void EmitPolyline(const Figure& f);
    void EmitPolygons(const std::vector<Figure>& figures);
    void AddToPath(Figure figure, bool closed);
    void ArcLike(const Record& r);
    bool Flipped() const;
    void RegionRecord(const Record& r);

    // emf_to_wmf_text.cpp
    // EXTTEXTOUTW / EXTTEXTOUTA / SMALLTEXTOUT.
    void Text(const Record& r);

    // emf_to_wmf_bitmaps.cpp
    void Bitmap(const Record& r);

    Bytes FEmf;
    EnhMetaHeader FHeader;
    ReferenceDevice FDevice;
    WmfWriter FOut;
    State FState;
    std::vector<State> FSaved;
    double FScaleX = 1, FScaleY = 1;  // recording device pixels to reference device pixels
    double FOriginX = 0, FOriginY = 0;
    std::vector<bool> FUsed;            // WMF object table
    std::set<int32_t> FFree;            // freed slots below FUsed.size()
    std::map<uint32_t, Slot> FHandles;  // EMF handle -> WMF object
    std::map<uint32_t, int32_t> FStock; // stock object -> WMF object made for it
    bool FInPath = false;
    std::vector<Figure> FPath;
    std::vector<bool> FPathClosed;
    std::vector<uint32_t> FDamaged;
};

}  // namespace qrp::emf::wmf
