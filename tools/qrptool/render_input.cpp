#include "tools/qrptool/render_input.h"

#include "emf/bytes.h"
#include "emf/header.h"
#include "base/exceptions.h"
#include "base/file_system.h"
#include "base/stream.h"
#include "emf/wmf/wmf_convert.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <algorithm>
#include <iterator>
#include <vector>

namespace qrptool {
namespace {

using qrp::emf::Bytes;
using qrp::emf::HENHMETAFILE;
using qrp::emf::LoadU16;
using qrp::emf::LoadU32;
using qrp::emf::gdi::MM_ANISOTROPIC;

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int64_t kMaxPictureFile = int64_t{1} << 30;

// The file's first bytes (up to limit), or all of it.
std::vector<uint8_t> ReadFile(const std::string& path, int64_t limit)
{
    try {
        const qrp::FileHandle handle = qrp::OpenForReading(path);
        struct Closer {
            qrp::FileHandle h;
            ~Closer() { qrp::CloseFile(h); }
        } closer{handle};
        const int64_t size = qrp::StatusOf(handle).size;
        if (size > limit && limit == kMaxPictureFile) throw InputError("picture file larger than 1 GiB");
        std::vector<uint8_t> bytes(static_cast<size_t>(std::min(size, limit)));
        const auto length = static_cast<int64_t>(bytes.size());
        if (qrp::ReadAt(handle, bytes.data(), length, 0) != length) throw InputError("cannot read the file");
        return bytes;
    } catch (const qrp::Exception& e) {
        throw InputError(e.what());
    }
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

class ReportPages : public PictureSource {
public:
    explicit ReportPages(const std::string& path) { FList.LoadFromFile(path); }
    int PageCount() const override { return FList.PageCount(); }
    HENHMETAFILE Page(int number) override
    {
        try {
            const auto page = FList.GetPage(number);
            return page ? page->SharedHandle() : nullptr;
        } catch (const qrp::Exception& e) {
            throw InputError(e.what());
        }
    }

private:
    qrp::TQRPageList FList;
};

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
    const std::vector<uint8_t> head = ReadFile(path, qrp::emf::kHeaderSize);
    if (IsEnhancedMetafile(head) || IsPlaceableMetafile(head)) {
        // Read as a page picture reads its stream: enhanced bytes, or placeable form.
        qrp::TMemoryStream stream(ReadFile(path, kMaxPictureFile));
        qrp::TMetafile picture;
        try {
            picture.LoadFromStream(stream);
        } catch (const qrp::Exception& e) {
            throw InputError(e.what());
        }
        if (!picture.SharedHandle()) throw InputError("Metafile is not valid");
        return std::make_unique<SinglePicture>(picture.SharedHandle());
    }
    if (IsWindowsMetafile(head)) {
        auto picture = ConvertWindowsMetafile(ReadFile(path, kMaxPictureFile));
        if (!picture) throw InputError("Metafile is not valid");
        return std::make_unique<SinglePicture>(std::move(picture));
    }
    try {
        return std::make_unique<ReportPages>(path);
    } catch (const qrp::Exception& e) {
        throw InputError(std::string("not a report, EMF or WMF file (") + e.what() + ")");
    }
}

}  // namespace qrptool
