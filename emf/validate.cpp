#include "emf/validate.h"

#include "emf/header.h"
#include "emf/record_reader.h"

namespace qrp::emf {

std::string ValidationError(Bytes picture)
{
    if (picture.size() < 88) return "picture shorter than an EMF header at offset 0";
    const EnhMetaHeader h = ParseHeader(picture);
    if (h.iType != kEmrHeader) return "first record is not a header at offset 0";
    if (h.dSignature != kEmfSignature) return "no EMF signature at offset 40";
    if (h.nSize < 88 || h.nSize % 4 != 0 || h.nSize > picture.size())
        return "header size " + std::to_string(h.nSize) + " out of range at offset 4";
    if (h.nBytes != picture.size())
        return "nBytes " + std::to_string(h.nBytes) + " differs from the picture size " +
               std::to_string(picture.size()) + " at offset 48";
    RecordReader reader(picture);
    while (reader.Next()) {
    }
    if (const auto at = reader.Error()) return "damaged record at offset " + std::to_string(*at);
    return {};
}

}  // namespace qrp::emf
