// Bounds-checked walk over the records of a Windows metafile (WMF) body.
//
// A WmfRecord gives checked access to its own parameters only: a word, count or offset
// that falls outside the record reads as absent (std::nullopt / empty span).
#pragma once

#include "emf/bytes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qrp::emf::wmf {

struct MetaHeader {
    uint16_t type = 0;        // 1 memory, 2 disk
    uint16_t headerWords = 0; // 9
    uint16_t version = 0;     // 0x0100 or 0x0300
    uint32_t sizeWords = 0;   // as declared; not trusted
    uint16_t numberOfObjects = 0;
    uint32_t maxRecordWords = 0;
};

// The META_HEADER at the start of a body, or std::nullopt when the bytes do not start
// with one (short, wrong type, header size or version).
std::optional<MetaHeader> ParseMetaHeader(Bytes body);

class WmfRecord {
public:
    WmfRecord() = default;
    WmfRecord(uint16_t function, Bytes params, uint32_t offset)
        : FFunction(function), FParams(params), FOffset(offset) {}

    uint16_t Function() const { return FFunction; }
    // Offset of the record's first byte in the body.
    uint32_t Offset() const { return FOffset; }
    // The parameters: everything after RecordSize and RecordFunction.
    Bytes Params() const { return FParams; }
    size_t WordCount() const { return FParams.size() / 2; }

    bool Has(size_t byteOffset, size_t length) const
    {
        return byteOffset <= FParams.size() && length <= FParams.size() - byteOffset;
    }
    // Parameter word i (0 = first after the function).
    std::optional<uint16_t> U16(size_t word) const
    {
        if (!Has(word * 2, 2)) return std::nullopt;
        return LoadU16(FParams.data() + word * 2);
    }
    std::optional<int16_t> I16(size_t word) const
    {
        if (!Has(word * 2, 2)) return std::nullopt;
        return LoadI16(FParams.data() + word * 2);
    }
    // Two words starting at word i, low word first.
    std::optional<uint32_t> U32(size_t word) const
    {
        if (!Has(word * 2, 4)) return std::nullopt;
        return LoadU32(FParams.data() + word * 2);
    }
    // length bytes from byteOffset, or an empty span when they do not fit.
    Bytes Slice(size_t byteOffset, size_t length) const
    {
        if (!Has(byteOffset, length)) return {};
        return FParams.subspan(byteOffset, length);
    }
    // Everything from byteOffset to the end (empty when byteOffset is past the end).
    Bytes Tail(size_t byteOffset) const
    {
        if (byteOffset > FParams.size()) return {};
        return FParams.subspan(byteOffset);
    }

private:
    uint16_t FFunction = 0;
    Bytes FParams;
    uint32_t FOffset = 0;
};

// Iterates the records after the header. Stops at the end of the bytes, at META_EOF
// (after handing it out) or at the first damaged record (RecordSize below 3 words or past
// the end), whose offset Error() tells.
class WmfRecordReader {
public:
    // body: the whole WMF body; the walk starts after the header's declared size.
    WmfRecordReader(Bytes body, uint32_t firstRecordOffset);
    // The body is read in place: a temporary would leave the reader dangling.
    WmfRecordReader(std::vector<uint8_t>&& body, uint32_t firstRecordOffset) = delete;

    std::optional<WmfRecord> Next();
    std::optional<uint32_t> Error() const { return FError; }

private:
    Bytes FBody;
    size_t FPosition = 0;
    bool FDone = false;
    std::optional<uint32_t> FError;
};

}  // namespace qrp::emf::wmf
