// Bounds-checked walk over the records of an EMF picture.
//
// Every record is checked before it is handed out: nSize at least 8, a multiple of 4, and
// inside the picture. A Record gives checked access to its own bytes only: any field, count
// or offset outside the record reads as "absent" (std::nullopt / empty span).
#pragma once

#include "emf/bytes.h"
#include "emf/header.h"

#include <cstdint>
#include <vector>
#include <optional>
#include <span>

namespace qrp::emf {

class Record {
public:
    Record() = default;
    Record(uint32_t type, Bytes bytes, uint32_t offset) : FType(type), FBytes(bytes), FOffset(offset) {}

    uint32_t Type() const { return FType; }
    uint32_t Size() const { return static_cast<uint32_t>(FBytes.size()); }
    // Offset of the record's first byte in the picture.
    uint32_t Offset() const { return FOffset; }
    // The whole record, type and size included.
    Bytes Data() const { return FBytes; }

    bool Has(size_t offset, size_t length) const
    {
        return offset <= FBytes.size() && length <= FBytes.size() - offset;
    }
    std::optional<uint32_t> U32(size_t offset) const
    {
        if (!Has(offset, 4)) return std::nullopt;
        return LoadU32(FBytes.data() + offset);
    }
    std::optional<int32_t> I32(size_t offset) const
    {
        if (!Has(offset, 4)) return std::nullopt;
        return LoadI32(FBytes.data() + offset);
    }
    std::optional<uint16_t> U16(size_t offset) const
    {
        if (!Has(offset, 2)) return std::nullopt;
        return LoadU16(FBytes.data() + offset);
    }
    std::optional<int16_t> I16(size_t offset) const
    {
        if (!Has(offset, 2)) return std::nullopt;
        return LoadI16(FBytes.data() + offset);
    }
    std::optional<float> F32(size_t offset) const
    {
        if (!Has(offset, 4)) return std::nullopt;
        return LoadF32(FBytes.data() + offset);
    }
    // count elements of elementSize bytes at offset, or an empty span when they do not fit.
    Bytes Array(size_t offset, uint64_t count, size_t elementSize) const
    {
        if (elementSize == 0 || count > FBytes.size() / elementSize) return {};
        const size_t length = static_cast<size_t>(count) * elementSize;
        if (!Has(offset, length)) return {};
        return FBytes.subspan(offset, length);
    }

private:
    uint32_t FType = 0;
    Bytes FBytes;
    uint32_t FOffset = 0;
};

// Iterates the records of a picture from its first byte. Stops at the end of the bytes, at
// EMR_EOF (after handing it out) or at the first damaged record, whose offset Error() tells.
class RecordReader {
public:
    explicit RecordReader(Bytes picture) : FPicture(picture) {}
    // The picture is read in place: a temporary would leave the reader dangling.
    explicit RecordReader(std::vector<uint8_t>&& picture) = delete;

    // The next record, or std::nullopt at the end or at a damaged record. Inline: a page
    // calls it for every record.
    std::optional<Record> Next()
    {
        if (FDone) return std::nullopt;
        const size_t left = FPicture.size() - FPosition;
        if (left < 8) {
            FDone = true;
            if (left != 0) FError = FPosition;
            return std::nullopt;
        }
        const uint8_t* p = FPicture.data() + FPosition;
        const uint32_t type = LoadU32(p);
        const uint32_t size = LoadU32(p + 4);
        if (size < 8 || size % 4 != 0 || size > left) {
            FDone = true;
            FError = FPosition;
            return std::nullopt;
        }
        const uint32_t offset = FPosition;
        FPosition += size;
        if (type == kEmrEof) FDone = true;
        return Record(type, FPicture.subspan(offset, size), offset);
    }
    // Offset of the first damaged record, or std::nullopt when none was met.
    std::optional<uint32_t> Error() const { return FError; }
    uint32_t Position() const { return FPosition; }

private:
    Bytes FPicture;
    uint32_t FPosition = 0;
    bool FDone = false;
    std::optional<uint32_t> FError;
};

}  // namespace qrp::emf
