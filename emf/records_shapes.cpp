#include "emf/records_shapes.h"

#include "emf/emr_types.h"

namespace qrp::emf {

namespace {

bool ReadPoints(const Record& r, size_t offset, uint32_t count, bool small, std::vector<Point32>* out)
{
    const Bytes bytes = r.Array(offset, count, small ? 4 : 8);
    if (count != 0 && bytes.empty()) return false;
    out->resize(count);
    for (uint32_t i = 0; i < count; ++i) {
        if (small) {
            const uint8_t* p = bytes.data() + 4 * i;
            (*out)[i] = Point32{LoadI16(p), LoadI16(p + 2)};
        } else {
            const uint8_t* p = bytes.data() + 8 * i;
            (*out)[i] = Point32{LoadI32(p), LoadI32(p + 4)};
        }
    }
    return true;
}

bool IsSmall(uint32_t type) { return type >= kEmrPolyBezier16 && type <= kEmrPolyDraw16; }

}  // namespace

std::optional<EmrPoly> EmrPoly::Read(const Record& r)
{
    EmrPoly poly;
    if (!ReadInto(r, &poly)) return std::nullopt;
    return poly;
}

bool EmrPoly::ReadInto(const Record& r, EmrPoly* out)
{
    const uint32_t type = r.Type();
    const bool small = IsSmall(type);
    const auto bounds = ReadRectL(r, 8);
    if (!bounds) return false;
    out->bounds = *bounds;
    out->types.clear();
    if (type == kEmrPolyPolyline || type == kEmrPolyPolygon || type == kEmrPolyPolyline16 ||
        type == kEmrPolyPolygon16) {
        const auto nPolys = r.U32(24);
        const auto total = r.U32(28);
        if (!nPolys || !total) return false;
        const Bytes counts = r.Array(32, *nPolys, 4);
        if (*nPolys != 0 && counts.empty()) return false;
        uint64_t sum = 0;
        out->counts.resize(*nPolys);
        for (uint32_t i = 0; i < *nPolys; ++i) {
            out->counts[i] = LoadU32(counts.data() + 4 * i);
            sum += out->counts[i];
        }
        if (sum != *total) return false;
        return ReadPoints(r, 32 + size_t{4} * *nPolys, *total, small, &out->points);
    }
    const auto count = r.U32(24);
    if (!count) return false;
    if (!ReadPoints(r, 28, *count, small, &out->points)) return false;
    out->counts.assign(1, *count);
    if (type == kEmrPolyDraw || type == kEmrPolyDraw16) {
        const size_t typesAt = 28 + size_t{*count} * (small ? 4 : 8);
        const Bytes types = r.Array(typesAt, *count, 1);
        if (*count != 0 && types.empty()) return false;
        out->types.assign(types.begin(), types.end());
    }
    return true;
}

}  // namespace qrp::emf
