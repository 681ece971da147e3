// An enhanced-metafile object: validated picture bytes with their parsed header. This is
// what the platform's enhanced-metafile handle stands for.
#pragma once

#include "emf/bytes.h"
#include "emf/header.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace qrp::emf {

class EnhMetaFile {
public:
    // The picture's exact bytes, as SetEnhMetaFileBits received them.
    Bytes Data() const { return FBytes; }
    const EnhMetaHeader& Header() const { return FHeader; }
    // Palette entries (0x00BBGGRR with flags in the high byte) from the EOF record, if any.
    const std::vector<uint32_t>& PaletteEntries() const { return FPalette; }

private:
    friend std::shared_ptr<const EnhMetaFile> SetEnhMetaFileBits(std::vector<uint8_t> bytes);
    std::vector<uint8_t> FBytes;
    EnhMetaHeader FHeader;
    std::vector<uint32_t> FPalette;
};

using HENHMETAFILE = std::shared_ptr<const EnhMetaFile>;

// Bytes to an enhanced-metafile object, or nullptr when they are not a valid EMF.
HENHMETAFILE SetEnhMetaFileBits(std::vector<uint8_t> bytes);

}  // namespace qrp::emf
