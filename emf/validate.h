// What a picture's bytes must be to be accepted as an EMF (the platform's SetEnhMetaFileBits).
#pragma once

#include "emf/bytes.h"

#include <string>

namespace qrp::emf {

// Empty when the bytes are a well-formed EMF; otherwise what is wrong and at which offset.
// Accepted: a header record first (type 1, the " EMF" signature, nSize within nBytes),
// nBytes equal to the byte count, and every record well-formed up to the end or EMR_EOF.
// nRecords is not trusted: some writers get it wrong.
std::string ValidationError(Bytes picture);

inline bool IsValidEnhMetafile(Bytes picture) { return ValidationError(picture).empty(); }

}  // namespace qrp::emf
