#include "tools/qrptool/render_input.h"

#include "emf/bytes.h"
#include "emf/header.h"
#include "emf/wmf_convert.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace qrptool {
namespace {

using qrp::emf::Bytes;
using qrp::emf::HENHMETAFILE;
using qrp::emf::LoadU16;
using qrp::emf::LoadU32;

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr size_t kPlaceableHeaderSize = 22;
constexpr std::streamoff kMaxPictureFile = std::streamoff{1} << 30;

std::vector<uint8_t> ReadWholeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw InputError(std::string("cannot open: ") + std::strerror(errno));
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0) throw InputError("cannot read the file");
    if (size > kMaxPictureFile) throw InputError("file larger than 1 GiB");
    in.seekg(0);
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) throw InputError("cannot read the file");
    return bytes;
}

bool IsEnhancedMetafile(Bytes b)
{
    return b.size() >= 44 && LoadU32(b.data()) == qrp::emf::kEmrHeader &&
           LoadU32(b.data() + 40) == qrp::emf::kEmfSignature;
}

bool IsPlaceableMetafile(Bytes b) { return b.size() >= 4 && LoadU32(b.data()) == kPlaceableKey; }

// META_HEADER: type 1 (memory) or 2 (disk), header size 9 words, version 0x100 or 0x300.
bool IsWindowsMetafile(Bytes b)
{
    if (b.size() < 18) return false;
    const uint16_t type = LoadU16(b.data());
    const uint16_t version = LoadU16(b.data() + 4);
    return (type == 1 || type == 2) && LoadU16(b.data() + 2) == 9 && (version == 0x100 || version == 0x300);
}

uint16_t PlaceableChecksum(Bytes header)
{
    uint16_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) sum ^= LoadU16(header.data() + i);
    return sum;
}

class SinglePicture : public PictureSource {
public:
    explicit SinglePicture(HENHMETAFILE picture) : FPicture(std::move(picture)) {}
    int PageCount() const override { return 1; }
    HENHMETAFILE Page(int) override { return FPicture; }

private:
    HENHMETAFILE FPicture;
};

}  // namespace

HENHMETAFILE ConvertWindowsMetafile(Bytes body)
{
    using namespace qrp::emf;
    const auto first = SetWinMetaFileBits(body, MetaFilePict{MM_ANISOTROPIC, 0, 0});
    if (!first || first->size() < kHeaderSize) return nullptr;
    const EnhMetaHeader header = ParseHeader(*first);
    auto second = SetWinMetaFileBits(body, MetaFilePict{MM_ANISOTROPIC, header.rclFrame.right, header.rclFrame.bottom});
    if (!second) return nullptr;
    return SetEnhMetaFileBits(std::move(*second));
}

std::unique_ptr<PictureSource> OpenPictureSource(const std::string& path)
{
    std::vector<uint8_t> bytes = ReadWholeFile(path);
    if (IsEnhancedMetafile(bytes)) {
        auto picture = qrp::emf::SetEnhMetaFileBits(std::move(bytes));
        if (!picture) throw InputError("Metafile is not valid");
        return std::make_unique<SinglePicture>(std::move(picture));
    }
    if (IsPlaceableMetafile(bytes)) {
        const Bytes all(bytes);
        if (all.size() < kPlaceableHeaderSize || PlaceableChecksum(all) != LoadU16(all.data() + 20))
            throw InputError("Metafile is not valid");
        auto picture = ConvertWindowsMetafile(all.subspan(kPlaceableHeaderSize));
        if (!picture) throw InputError("Metafile is not valid");
        return std::make_unique<SinglePicture>(std::move(picture));
    }
    if (IsWindowsMetafile(bytes)) {
        auto picture = ConvertWindowsMetafile(bytes);
        if (!picture) throw InputError("Metafile is not valid");
        return std::make_unique<SinglePicture>(std::move(picture));
    }
    throw InputError("not a report, EMF or WMF file");
}

}  // namespace qrptool
