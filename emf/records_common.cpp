#include "emf/records_common.h"

namespace qrp::emf {

std::optional<XForm> ReadXForm(const Record& r, size_t offset)
{
    if (!r.Has(offset, 24)) return std::nullopt;
    return XForm{*r.F32(offset), *r.F32(offset + 4), *r.F32(offset + 8),
                 *r.F32(offset + 12), *r.F32(offset + 16), *r.F32(offset + 20)};
}

std::optional<DibRef> ReadDibRef(const Record& r, size_t offBmi, size_t cbBmi, size_t offBits, size_t cbBits)
{
    const auto ob = r.U32(offBmi), cb = r.U32(cbBmi), ox = r.U32(offBits), cx = r.U32(cbBits);
    if (!ob || !cb || !ox || !cx) return std::nullopt;
    DibRef ref{*ob, *cb, *ox, *cx};
    if (ref.cbBmi != 0 && !r.Has(ref.offBmi, ref.cbBmi)) return std::nullopt;
    if (ref.cbBits != 0 && !r.Has(ref.offBits, ref.cbBits)) return std::nullopt;
    return ref;
}

}  // namespace qrp::emf
