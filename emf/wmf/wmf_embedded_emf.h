// Pictures carried inside each other by the conversions, so that a round trip gives the
// original back: an enhanced metafile inside a WMF in MFCOMMENT escape records ("WMFC"
// comments of the enhanced-metafile type), as GetWinMetaFileBits writes it; and a WMF inside
// an enhanced metafile in a GDI comment of the Windows-metafile type, as SetWinMetaFileBits
// writes it.
#pragma once

#include "emf/bytes.h"
#include "emf/record_reader.h"
#include "emf/wmf/wmf_reader.h"
#include "emf/wmf/wmf_writer.h"

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

// The payload of an EMR_GDICOMMENT carrying a WMF body.
std::vector<uint8_t> WindowsMetafileComment(Bytes wmf);

// The WMF body an enhanced metafile carries in such a comment, when it holds a META_HEADER.
std::optional<std::vector<uint8_t>> FindCarriedWmf(Bytes emf);

}  // namespace qrp::emf::wmf
