// Typed views over the point-list records: POLYBEZIER, POLYGON, POLYLINE, their TO forms,
// POLYPOLYLINE, POLYPOLYGON and POLYDRAW, each in its 32-bit and 16-bit form.
#pragma once

#include "emf/records_common.h"

#include <vector>

namespace qrp::emf {

struct EmrPoly {
    RectL bounds;
    std::vector<Point32> points;
    // Points per polygon for the POLYPOLY records; one entry (all points) otherwise.
    std::vector<uint32_t> counts;
    // One point type (PT_*) per point for POLYDRAW; empty otherwise.
    std::vector<uint8_t> types;

    // Any of the records above; the layout follows the record type. The counts must add up
    // to the points the record holds.
    static std::optional<EmrPoly> Read(const Record& r);
    // The same into *out, every field rewritten and its buffers reused: a reader of many
    // records allocates once. False for a damaged record, which leaves *out unusable.
    static bool ReadInto(const Record& r, EmrPoly* out);
};

}  // namespace qrp::emf
