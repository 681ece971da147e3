#include "emf/wmf/wmf_reader.h"

#include "emf/wmf/wmf_format.h"

namespace qrp::emf::wmf {

std::optional<MetaHeader> ParseMetaHeader(Bytes body)
{
    if (body.size() < kHeaderBytes) return std::nullopt;
    const uint8_t* p = body.data();
    MetaHeader h;
    h.type = LoadU16(p);
    h.headerWords = LoadU16(p + 2);
    h.version = LoadU16(p + 4);
    h.sizeWords = LoadU16(p + 6) | static_cast<uint32_t>(LoadU16(p + 8)) << 16;
    h.numberOfObjects = LoadU16(p + 10);
    h.maxRecordWords = LoadU16(p + 12) | static_cast<uint32_t>(LoadU16(p + 14)) << 16;
    if (h.type != kMemoryMetafile && h.type != kDiskMetafile) return std::nullopt;
    if (h.headerWords != kHeaderWords) return std::nullopt;
    if (h.version != kVersion100 && h.version != kVersion300) return std::nullopt;
    return h;
}

WmfRecordReader::WmfRecordReader(Bytes body, uint32_t firstRecordOffset)
    : FBody(body), FPosition(firstRecordOffset)
{
    if (FPosition > FBody.size()) FPosition = FBody.size();
}

std::optional<WmfRecord> WmfRecordReader::Next()
{
    if (FDone) return std::nullopt;
    const size_t left = FBody.size() - FPosition;
    if (left == 0) {
        FDone = true;
        return std::nullopt;
    }
    if (left < 6) {
        // A few bytes of padding after the last record are common; only a partial record
        // header that is not all zero counts as damage.
        bool zero = true;
        for (size_t i = 0; i < left; ++i) zero = zero && FBody[FPosition + i] == 0;
        FDone = true;
        if (!zero) FError = static_cast<uint32_t>(FPosition);
        return std::nullopt;
    }
    const uint8_t* p = FBody.data() + FPosition;
    const uint64_t bytes = static_cast<uint64_t>(LoadU32(p)) * 2;
    const uint16_t function = LoadU16(p + 4);
    if (bytes < 6 || bytes > left) {
        FDone = true;
        FError = static_cast<uint32_t>(FPosition);
        return std::nullopt;
    }
    WmfRecord record(function, FBody.subspan(FPosition + 6, static_cast<size_t>(bytes) - 6),
                     static_cast<uint32_t>(FPosition));
    FPosition += static_cast<size_t>(bytes);
    if (function == META_EOF) FDone = true;
    return record;
}

}  // namespace qrp::emf::wmf
