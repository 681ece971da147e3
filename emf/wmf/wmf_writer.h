// WmfWriter: builds a Windows metafile body (META_HEADER + records) record by record.
//
// Every record goes through Append, which keeps the header's Size and MaxRecord right;
// Finish adds META_EOF and stores the object count.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace qrp::emf::wmf {

// A record's parameters, little-endian words.
class WmfParams {
public:
    WmfParams& U16(uint16_t v);
    WmfParams& I16(int16_t v) { return U16(static_cast<uint16_t>(v)); }
    WmfParams& U32(uint32_t v) { return U16(static_cast<uint16_t>(v)).U16(static_cast<uint16_t>(v >> 16)); }
    // Raw bytes, padded with a zero byte to a whole word.
    WmfParams& Raw(std::span<const uint8_t> bytes);

    const std::vector<uint8_t>& Bytes() const { return FBytes; }

private:
    std::vector<uint8_t> FBytes;
};

class WmfWriter {
public:
    WmfWriter();

    // The one place records are written: RecordSize (words), function, parameters.
    void Append(uint16_t function, const WmfParams& params);
    void Append(uint16_t function) { Append(function, WmfParams{}); }

    // Appends META_EOF, stores the object count and returns the body.
    std::vector<uint8_t> Finish(uint16_t numberOfObjects);

private:
    std::vector<uint8_t> FBytes;
    uint32_t FMaxRecordWords = 0;
};

}  // namespace qrp::emf::wmf
