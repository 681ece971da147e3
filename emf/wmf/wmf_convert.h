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

// The picture's box from a placeable header: right - left and bottom - top in metafile
// units, and the units per inch (0 reads as 96).
struct PlaceableBox {
    int32_t width = 0;
    int32_t height = 0;
    uint16_t inch = 0;
};

// WMF body (without a placeable header) to EMF bytes, or std::nullopt when the body does
// not start with a META_HEADER. The records are played as GDI plays them into an enhanced
// metafile recorded against the reference device: for MM_ISOTROPIC / MM_ANISOTROPIC with
// positive extents the frame is (0, 0, xExt, yExt) in 0.01 mm and the picture's window is
// mapped onto it. With extents 0 or negative the picture gives its own size, so that it
// keeps its shape: the placeable box when one is given, else the first window extent its
// records set, one unit to a device pixel (SuggestedSize); a picture that sets neither is
// mapped onto the whole device surface and its frame is the drawing's bounds. Records
// after a damaged one are dropped. A body that carries an enhanced metafile in its
// comments (as GetWinMetaFileBits writes) gives that enhanced metafile back.
std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict);
std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict,
                                                       const ReferenceDevice& device,
                                                       const std::optional<PlaceableBox>& box = std::nullopt);

// The extents, in 0.01 mm, a picture without a suggested size is converted with: the
// placeable box at its units per inch, else the window extent of the first SETWINDOWEXT
// with both values non-zero at the device's resolution; std::nullopt when there is neither.
std::optional<MetaFilePict> SuggestedSize(Bytes wmf, int32_t mapMode, const ReferenceDevice& device,
                                          const std::optional<PlaceableBox>& box);

// EMF bytes to a WMF body in the given mapping mode against a reference device; empty
// when the picture cannot be converted. Only MM_ANISOTROPIC is written: the window is the
// picture's frame at the device's resolution. Records with a WMF counterpart are
// converted, the others dropped; the enhanced metafile itself rides along in comment
// records so that SetWinMetaFileBits can give it back unchanged. A picture that carries
// the WMF it was converted from gives that WMF back.
std::vector<uint8_t> GetWinMetaFileBits(Bytes emf, int32_t mapMode, const ReferenceDevice& device);

}  // namespace qrp::emf
