// Conversions between Windows metafiles (WMF) and enhanced metafiles (EMF): what the
// platform's SetWinMetaFileBits and GetWinMetaFileBits do.
#pragma once

#include "emf/bytes.h"
#include "emf/emr_types.h"
#include "emf/header.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qrp::emf {

// METAFILEPICT: mapping mode and extents (0.01 mm for the isotropic and anisotropic modes;
// 0 or negative extents as the platform allows them).
struct MetaFilePict {
    int32_t mm = gdi::MM_ANISOTROPIC;
    int32_t xExt = 0;
    int32_t yExt = 0;
};

// WMF body (without a placeable header) to EMF bytes, or std::nullopt when the body does
// not start with a META_HEADER. The records are played as GDI plays them into an enhanced
// metafile recorded against the reference device: for MM_ISOTROPIC / MM_ANISOTROPIC with
// positive extents the frame is (0, 0, xExt, yExt) in 0.01 mm and the picture's window is
// mapped onto it; with extents 0 or negative it is mapped onto the whole device surface and
// the frame is the drawing's bounds. Records after a damaged one are dropped. A body that
// carries an enhanced metafile in its comments (as GetWinMetaFileBits writes) gives that
// enhanced metafile back.
std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict);
std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict,
                                                       const ReferenceDevice& device);

// EMF bytes to a WMF body in the given mapping mode against a reference device; empty
// when the picture cannot be converted. Only MM_ANISOTROPIC is written: the window is the
// picture's frame at the device's resolution. Records with a WMF counterpart are
// converted, the others dropped; the enhanced metafile itself rides along in comment
// records so that SetWinMetaFileBits can give it back unchanged. A picture that carries
// the WMF it was converted from gives that WMF back.
std::vector<uint8_t> GetWinMetaFileBits(Bytes emf, int32_t mapMode, const ReferenceDevice& device);

}  // namespace qrp::emf
