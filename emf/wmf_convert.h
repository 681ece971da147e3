// Conversions between Windows metafiles (WMF) and enhanced metafiles (EMF): what the
// platform's SetWinMetaFileBits and GetWinMetaFileBits do.
#pragma once

#include "emf/bytes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace qrp::emf {

constexpr int32_t MM_TEXT = 1;
constexpr int32_t MM_LOMETRIC = 2;
constexpr int32_t MM_HIMETRIC = 3;
constexpr int32_t MM_LOENGLISH = 4;
constexpr int32_t MM_HIENGLISH = 5;
constexpr int32_t MM_TWIPS = 6;
constexpr int32_t MM_ISOTROPIC = 7;
constexpr int32_t MM_ANISOTROPIC = 8;

// METAFILEPICT: mapping mode and extents (0.01 mm for the isotropic and anisotropic modes;
// 0 or negative extents as the platform allows them).
struct MetaFilePict {
    int32_t mm = MM_ANISOTROPIC;
    int32_t xExt = 0;
    int32_t yExt = 0;
};

// A reference device: its size in pixels and in millimetres.
struct ReferenceDevice {
    int32_t widthPixels = 1024;
    int32_t heightPixels = 768;
    int32_t widthMillimeters = 320;
    int32_t heightMillimeters = 240;
};

// WMF body (without a placeable header) to EMF bytes, or std::nullopt when refused.
std::optional<std::vector<uint8_t>> SetWinMetaFileBits(Bytes wmf, const MetaFilePict& pict);

// EMF bytes to a WMF body in the given mapping mode against a reference device; empty
// when the picture cannot be converted.
std::vector<uint8_t> GetWinMetaFileBits(Bytes emf, int32_t mapMode, const ReferenceDevice& device);

}  // namespace qrp::emf
