// Field types shared by the typed record views (emf/records_*.h).
//
// A view is read from a Record with Read(record): std::nullopt when the record is too short
// for its fixed fields or any count, offset or size inside it points outside the record.
#pragma once

#include "emf/header.h"
#include "emf/record_reader.h"

#include <cstdint>
#include <optional>

namespace qrp::emf {

struct Point32 {
    int32_t x = 0, y = 0;
    friend bool operator==(const Point32&, const Point32&) = default;
};

// A world transform: x' = m11 x + m21 y + dx, y' = m12 x + m22 y + dy.
struct XForm {
    float m11 = 1, m12 = 0, m21 = 0, m22 = 1, dx = 0, dy = 0;
};

// Where a record keeps a DIB: BITMAPINFO and bits, offsets from the record's first byte.
// Read() only accepts ranges inside the record; an absent DIB has both sizes 0.
struct DibRef {
    uint32_t offBmi = 0, cbBmi = 0, offBits = 0, cbBits = 0;
    bool Present() const { return cbBmi != 0; }
};

// Field readers over a record; each returns std::nullopt outside the record.
// The small ones are inline: nearly every record reads one.
inline std::optional<Point32> ReadPoint32(const Record& r, size_t offset)
{
    if (!r.Has(offset, 8)) return std::nullopt;
    const uint8_t* p = r.Data().data() + offset;
    return Point32{LoadI32(p), LoadI32(p + 4)};
}
inline std::optional<RectL> ReadRectL(const Record& r, size_t offset)
{
    if (!r.Has(offset, 16)) return std::nullopt;
    const uint8_t* p = r.Data().data() + offset;
    return RectL{LoadI32(p), LoadI32(p + 4), LoadI32(p + 8), LoadI32(p + 12)};
}
inline std::optional<SizeL> ReadSizeL(const Record& r, size_t offset)
{
    if (!r.Has(offset, 8)) return std::nullopt;
    const uint8_t* p = r.Data().data() + offset;
    return SizeL{LoadI32(p), LoadI32(p + 4)};
}
std::optional<XForm> ReadXForm(const Record& r, size_t offset);
// The four u32 fields offBmi, cbBmi, offBits, cbBits at the given offsets, checked against
// the record (a zero size makes that range absent).
std::optional<DibRef> ReadDibRef(const Record& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits);

}  // namespace qrp::emf
