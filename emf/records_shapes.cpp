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
    const uint32_t type = r.Type();
    const bool small = IsSmall(type);
    const auto bounds = ReadRectL(r, 8);
    if (!bounds) return std::nullopt;
    EmrPoly poly;
    poly.bounds = *bounds;
    if (type == kEmrPolyPolyline || type == kEmrPolyPolygon || type == kEmrPolyPolyline16 ||
        type == kEmrPolyPolygon16) {
        const auto nPolys = r.U32(24);
        const auto total = r.U32(28);
        if (!nPolys || !total) return std::nullopt;
        const Bytes counts = r.Array(32, *nPolys, 4);
        if (*nPolys != 0 && counts.empty()) return std::nullopt;
        uint64_t sum = 0;
        poly.counts.resize(*nPolys);
        for (uint32_t i = 0; i < *nPolys; ++i) {
            poly.counts[i] = LoadU32(counts.data() + 4 * i);
            sum += poly.counts[i];
        }
        if (sum != *total) return std::nullopt;
        if (!ReadPoints(r, 32 + size_t{4} * *nPolys, *total, small, &poly.points)) return std::nullopt;
        return poly;
    }
    const auto count = r.U32(24);
    if (!count) return std::nullopt;
    if (!ReadPoints(r, 28, *count, small, &poly.points)) return std::nullopt;
    poly.counts.push_back(*count);
    if (type == kEmrPolyDraw || type == kEmrPolyDraw16) {
        const size_t typesAt = 28 + size_t{*count} * (small ? 4 : 8);
        const Bytes types = r.Array(typesAt, *count, 1);
        if (*count != 0 && types.empty()) return std::nullopt;
        poly.types.assign(types.begin(), types.end());
    }
    return poly;
}

}  // namespace qrp::emf
