#include "emf/enh_metafile.h"

#include "emf/record_reader.h"
#include "emf/validate.h"

namespace qrp::emf {

namespace {

// EMR_EOF: nPalEntries at 8, offPalEntries at 12, then the entries.
std::vector<uint32_t> ReadPalette(Bytes picture)
{
    RecordReader reader(picture);
    while (auto record = reader.Next()) {
        if (record->Type() != kEmrEof) continue;
        const auto count = record->U32(8);
        const auto offset = record->U32(12);
        if (!count || !offset || *count == 0) return {};
        const Bytes entries = record->Array(*offset, *count, 4);
        std::vector<uint32_t> palette;
        for (size_t i = 0; i + 4 <= entries.size(); i += 4) palette.push_back(LoadU32(entries.data() + i));
        return palette;
    }
    return {};
}

}  // namespace

HENHMETAFILE SetEnhMetaFileBits(std::vector<uint8_t> bytes)
{
    if (!IsValidEnhMetafile(bytes)) return nullptr;
    auto picture = std::make_shared<EnhMetaFile>();
    picture->FHeader = ParseHeader(bytes);
    picture->FPalette = ReadPalette(bytes);
    picture->FBytes = std::move(bytes);
    return picture;
}

}  // namespace qrp::emf
