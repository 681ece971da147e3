// Modes, colours, the window / viewport mapping, SaveDC / RestoreDC and clipping.
#include "emf/wmf/wmf_format.h"
#include "emf/wmf/wmf_to_emf.h"

namespace qrp::emf::wmf {

namespace {
constexpr size_t kMaxSaveDepth = 4096;
}  // namespace

bool WmfToEmf::State16(const WmfRecord& r, uint32_t emfType)
{
    const auto v = r.U16(0);
    if (!v) return false;
    switch (r.Function()) {
    case META_SETTEXTCHAREXTRA:
        FState.charExtra = static_cast<int16_t>(*v);
        return true;  // enhanced metafiles carry it in the text's dx arrays
    case META_SETTEXTJUSTIFICATION: {
        const auto extra = r.I16(1);
        if (!extra) return false;
        Emit(kEmrSetTextJustification, Payload().I32(*extra).I32(static_cast<int16_t>(*v)));
        return true;
    }
    case META_SETTEXTALIGN:
        FState.textAlign = *v;
        break;
    case META_SETMAPPERFLAGS:
    case META_SETLAYOUT:
        Emit(emfType == kEmrSetMapperFlags ? kEmrSetMapperFlags : kEmrSetLayout, Payload().U32(r.U32(0).value_or(*v)));
        return true;
    default:
        break;
    }
    Emit(emfType, Payload().U32(*v));
    return true;
}

bool WmfToEmf::StateColor(const WmfRecord& r, uint32_t emfType)
{
    const auto color = r.U32(0);
    if (!color) return false;
    Emit(emfType, Payload().U32(*color & 0x03FFFFFF));
    return true;
}

bool WmfToEmf::Mapping(const WmfRecord& r)
{
    DcMapping& map = FState.map;
    if (r.Function() == META_SETMAPMODE) {
        const auto mode = r.I16(0);
        if (!mode) return false;
        map.SetMapMode(*mode);
        Emit(kEmrSetMapMode, Payload().I32(*mode));
        return true;
    }
    if (r.Function() == META_SCALEWINDOWEXT || r.Function() == META_SCALEVIEWPORTEXT) {
        const auto yDenom = r.I16(0), yNum = r.I16(1), xDenom = r.I16(2), xNum = r.I16(3);
        if (!xNum) return false;
        if (r.Function() == META_SCALEWINDOWEXT) {
            map.ScaleWindowExt(*xNum, *xDenom, *yNum, *yDenom);
            Emit(kEmrScaleWindowExtEx, Payload().I32(*xNum).I32(*xDenom).I32(*yNum).I32(*yDenom));
        } else {
            map.ScaleViewportExt(*xNum, *xDenom, *yNum, *yDenom);
            Emit(kEmrScaleViewportExtEx, Payload().I32(*xNum).I32(*xDenom).I32(*yNum).I32(*yDenom));
        }
        return true;
    }
    const auto y = r.I16(0), x = r.I16(1);
    if (!x) return false;
    switch (r.Function()) {
    case META_SETWINDOWORG:
        map.SetWindowOrg(*x, *y);
        Emit(kEmrSetWindowOrgEx, Payload().I32(*x).I32(*y));
        break;
    case META_OFFSETWINDOWORG:
        map.SetWindowOrg(map.WindowOrgX() + *x, map.WindowOrgY() + *y);
        Emit(kEmrSetWindowOrgEx, Payload().I32(map.WindowOrgX()).I32(map.WindowOrgY()));
        break;
    case META_SETVIEWPORTORG:
        map.SetViewportOrg(*x, *y);
        Emit(kEmrSetViewportOrgEx, Payload().I32(*x).I32(*y));
        break;
    case META_OFFSETVIEWPORTORG:
        map.SetViewportOrg(map.ViewportOrgX() + *x, map.ViewportOrgY() + *y);
        Emit(kEmrSetViewportOrgEx, Payload().I32(map.ViewportOrgX()).I32(map.ViewportOrgY()));
        break;
    case META_SETWINDOWEXT:
        map.SetWindowExt(*x, *y);
        Emit(kEmrSetWindowExtEx, Payload().I32(*x).I32(*y));
        break;
    case META_SETVIEWPORTEXT:
        map.SetViewportExt(*x, *y);
        Emit(kEmrSetViewportExtEx, Payload().I32(*x).I32(*y));
        break;
    default:
        return false;
    }
    return true;
}

bool WmfToEmf::SaveRestore(const WmfRecord& r)
{
    if (r.Function() == META_SAVEDC) {
        if (FSaved.size() >= kMaxSaveDepth) return false;
        FSaved.push_back(FState);
        Emit(kEmrSaveDC, Payload());
        return true;
    }
    const auto level = r.I16(0);
    if (!level || *level == 0) return false;
    const auto depth = static_cast<int32_t>(FSaved.size());
    int32_t keep;  // saved states left afterwards
    if (*level < 0) {
        if (-*level > depth) return false;
        keep = depth + *level;
    } else {
        if (*level > depth) return false;
        keep = *level - 1;
    }
    FState = FSaved[static_cast<size_t>(keep)];
    FSaved.erase(FSaved.begin() + keep, FSaved.end());
    Emit(kEmrRestoreDC, Payload().I32(keep - depth));
    return true;
}

bool WmfToEmf::Clip(const WmfRecord& r)
{
    switch (r.Function()) {
    case META_INTERSECTCLIPRECT:
    case META_EXCLUDECLIPRECT: {
        const auto bottom = r.I16(0), right = r.I16(1), top = r.I16(2), left = r.I16(3);
        if (!left) return false;
        Emit(r.Function() == META_INTERSECTCLIPRECT ? kEmrIntersectClipRect : kEmrExcludeClipRect,
             Payload().I32(*left).I32(*top).I32(*right).I32(*bottom));
        return true;
    }
    case META_OFFSETCLIPRGN: {
        const auto y = r.I16(0), x = r.I16(1);
        if (!x) return false;
        Emit(kEmrOffsetClipRgn, Payload().I32(*x).I32(*y));
        return true;
    }
    case META_SELECTCLIPREGION: {
        const Object* region = Live(r.U16(0), Kind::Region);
        if (!region) {
            // No region: back to the default clipping.
            Emit(kEmrExtSelectClipRgn, Payload().U32(0).U32(gdi::RGN_COPY));
            return true;
        }
        const std::vector<uint8_t> data = RegionData(region->rects, region->box);
        Emit(kEmrExtSelectClipRgn, Payload().U32(static_cast<uint32_t>(data.size())).U32(gdi::RGN_COPY).Raw(data));
        return true;
    }
    default:
        return false;
    }
}

}  // namespace qrp::emf::wmf
