// An enhanced metafile carried inside a WMF in MFCOMMENT escape records ("WMFC" comments of
// the enhanced-metafile type), as GetWinMetaFileBits writes it so that the picture comes
// back unchanged from SetWinMetaFileBits.
#pragma once

#include "emf/bytes.h"
#include "emf/wmf_reader.h"
#include "emf/wmf_writer.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qrp::emf::wmf {

// The enhanced metafile the body carries, when its comments hold all of it in order and it
// is a valid EMF; std::nullopt otherwise.
std::optional<std::vector<uint8_t>> FindEmbeddedEnhMetafile(Bytes body, const MetaHeader& header);

// Appends emf as a run of comment records of at most 8 KiB each.
void AppendEmbeddedEnhMetafile(WmfWriter& out, Bytes emf);

// Sets the checksum of the first such comment so that the words of the whole body sum to
// zero, as the format asks.
void SealEmbeddedChecksum(std::vector<uint8_t>& body);

}  // namespace qrp::emf::wmf
