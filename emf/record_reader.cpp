#include "emf/record_reader.h"

#include "emf/header.h"

namespace qrp::emf {

std::optional<Record> RecordReader::Next()
{
    if (FDone) return std::nullopt;
    const size_t left = FPicture.size() - FPosition;
    if (left == 0) {
        FDone = true;
        return std::nullopt;
    }
    if (left < 8) {
        FDone = true;
        FError = FPosition;
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
    Record record(type, FPicture.subspan(FPosition, size), FPosition);
    FPosition += size;
    if (type == kEmrEof) FDone = true;
    return record;
}

}  // namespace qrp::emf
