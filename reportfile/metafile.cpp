#include "reportfile/metafile.h"

#include "base/arith.h"
#include "base/exceptions.h"
#include "emf/header.h"
#include "emf/wmf/wmf_convert.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstring>
#include <vector>

namespace qrp {

namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;
constexpr int32_t kPlaceableHeaderSize = 22;

// The exclusive-or of the ten 16-bit words before the checksum field.
uint16_t PlaceableChecksum(const uint8_t* header)
{
    uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2) sum = static_cast<uint16_t>(sum ^ emf::LoadU16(header + i));
    return sum;
}

// An enhanced picture lies ahead: more than 108 bytes left, a header record type and the
// signature. The position is unchanged.
bool IsEnhancedAhead(TStream& stream, int32_t left)
{
    if (left <= static_cast<int32_t>(emf::kHeaderSize)) return false;
    std::array<uint8_t, emf::kHeaderSize> header{};
    stream.ReadBuffer(header.data(), emf::kHeaderSize);
    stream.Seek(-static_cast<int32_t>(emf::kHeaderSize), soFromCurrent);
    return emf::LoadU32(header.data()) == emf::kEmrHeader && emf::LoadU32(header.data() + 40) == emf::kEmfSignature;
}

// b - a on 32 bits, wrapping as the platform's integers do, without overflow in C++.
int32_t Extent(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(b) - static_cast<uint32_t>(a));
}

// millimetres * 100 as the divisor of MulDiv, saturated to 32 bits.
int32_t HundredthsOf(int32_t millimeters)
{
    const int64_t v = static_cast<int64_t>(millimeters) * 100;
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

TMetafile::TMetafile() : FImage(std::make_shared<TMetafileImage>()) {}

void TMetafile::NewImage()
{
    FImage = std::make_shared<TMetafileImage>();
}

void TMetafile::SetHandle(emf::HENHMETAFILE handle)
{
    NewImage();
    if (handle) {
        const emf::RectL& frame = handle->Header().rclFrame;
        FImage->FWidth = Extent(frame.left, frame.right);
        FImage->FHeight = Extent(frame.top, frame.bottom);
    }
    FImage->FHandle = std::move(handle);
}

void TMetafile::LoadFromStream(TStream& stream)
{
    const int32_t left = stream.Size() - stream.Position();
    if (IsEnhancedAhead(stream, left)) {
        ReadEnhancedPicture(stream);
    } else {
        ReadPlaceablePicture(stream, left);
    }
    if (FOnChange) FOnChange();
}

void TMetafile::ReadEnhancedPicture(TStream& stream)
{
    NewImage();
    std::array<uint8_t, emf::kHeaderSize> header{};
    stream.ReadBuffer(header.data(), emf::kHeaderSize);
    const emf::EnhMetaHeader h = emf::ParseHeader(header);
    if (h.dSignature != emf::kEmfSignature || h.nBytes < emf::kHeaderSize) throw EInvalidGraphic();
    if (h.nBytes > static_cast<uint32_t>(kMaxPictureBytes)) throw EReadError();
    // nBytes is checked against what the stream holds before anything is allocated.
    const int64_t rest = static_cast<int64_t>(h.nBytes) - emf::kHeaderSize;
    if (rest > static_cast<int64_t>(stream.Size()) - stream.Position()) throw EReadError();
    std::vector<uint8_t> bytes(h.nBytes);
    std::memcpy(bytes.data(), header.data(), emf::kHeaderSize);
    stream.ReadBuffer(bytes.data() + emf::kHeaderSize, static_cast<int32_t>(rest));
    emf::HENHMETAFILE handle = emf::SetEnhMetaFileBits(std::move(bytes));
    if (!handle) throw EInvalidGraphic();
    FImage->FHandle = std::move(handle);
    FImage->FInch = 0;
    FImage->FWidth = Extent(h.rclFrame.left, h.rclFrame.right);
    FImage->FHeight = Extent(h.rclFrame.top, h.rclFrame.bottom);
    FEnhanced = true;
}

void TMetafile::ReadPlaceablePicture(TStream& stream, int32_t length)
{
    NewImage();
    uint8_t header[kPlaceableHeaderSize] = {};
    const int32_t got = stream.Read(header, kPlaceableHeaderSize);
    if (got < kPlaceableHeaderSize || emf::LoadU32(header) != kPlaceableKey ||
        emf::LoadU16(header + 20) != PlaceableChecksum(header))
        throw EInvalidGraphic();

    // The body runs to the end of the stream; the converter reads what its header says.
    const int32_t bodyLength = std::clamp(length - kPlaceableHeaderSize, 0, kMaxPictureBytes);
    std::vector<uint8_t> body(static_cast<size_t>(bodyLength));
    body.resize(static_cast<size_t>(stream.Read(body.data(), bodyLength)));

    const uint16_t headerInch = emf::LoadU16(header + 14);
    const int32_t inch = headerInch == 0 ? 96 : headerInch;
    FImage->FInch = headerInch;
    FImage->FWidth = MulDiv(emf::LoadI16(header + 10) - emf::LoadI16(header + 6), 2540, inch);
    FImage->FHeight = MulDiv(emf::LoadI16(header + 12) - emf::LoadI16(header + 8), 2540, inch);

    // No suggested size: the first conversion takes the picture's size from its box.
    const emf::PlaceableBox box{emf::LoadI16(header + 10) - emf::LoadI16(header + 6),
                                emf::LoadI16(header + 12) - emf::LoadI16(header + 8), headerInch};
    const auto first =
        emf::SetWinMetaFileBits(body, emf::MetaFilePict{emf::gdi::MM_ANISOTROPIC, 0, 0}, emf::ReferenceDevice{}, box);
    if (!first) throw EInvalidGraphic();
    const emf::EnhMetaHeader firstHeader = emf::ParseHeader(*first);
    auto second = emf::SetWinMetaFileBits(
        body, emf::MetaFilePict{emf::gdi::MM_ANISOTROPIC, firstHeader.rclFrame.right, firstHeader.rclFrame.bottom});
    if (!second) throw EInvalidGraphic();
    emf::HENHMETAFILE handle = emf::SetEnhMetaFileBits(std::move(*second));
    if (!handle) throw EInvalidGraphic();
    FImage->FHandle = std::move(handle);
    FEnhanced = false;
}

void TMetafile::SaveToStream(TStream& stream) const
{
    if (FEnhanced) {
        WriteEnhancedPicture(stream);
    } else {
        WritePlaceablePicture(stream);
    }
}

void TMetafile::WriteEnhancedPicture(TStream& stream) const
{
    if (!FImage->FHandle) return;
    const emf::Bytes data = FImage->FHandle->Data();
    stream.WriteBuffer(data.data(), static_cast<int32_t>(data.size()));
}

void TMetafile::WritePlaceablePicture(TStream& stream) const
{
    const int32_t inch = FImage->FInch == 0 ? 96 : FImage->FInch;
    uint8_t header[kPlaceableHeaderSize] = {};
    auto put16 = [&header](int offset, uint32_t v) {
        header[offset] = static_cast<uint8_t>(v);
        header[offset + 1] = static_cast<uint8_t>(v >> 8);
    };
    put16(0, kPlaceableKey & 0xFFFF);
    put16(2, kPlaceableKey >> 16);
    put16(10, static_cast<uint32_t>(MulDiv(FImage->FWidth, inch, 2540)));
    put16(12, static_cast<uint32_t>(MulDiv(FImage->FHeight, inch, 2540)));
    put16(14, static_cast<uint32_t>(inch));
    put16(20, PlaceableChecksum(header));

    std::vector<uint8_t> body;
    if (FImage->FHandle) {
        body = emf::GetWinMetaFileBits(FImage->FHandle->Data(), emf::gdi::MM_ANISOTROPIC, emf::ReferenceDevice{});
        if (body.empty()) throw EOutOfResources();
    }
    stream.WriteBuffer(header, kPlaceableHeaderSize);
    stream.WriteBuffer(body.data(), static_cast<int32_t>(body.size()));
}

int32_t TMetafile::Width(int32_t screenPixelsPerInch) const
{
    if (FImage->FInch != 0) return MulDiv(FImage->FWidth, screenPixelsPerInch, 2540);
    if (!FImage->FHandle) return FImage->FTempWidth;
    const emf::EnhMetaHeader& h = FImage->FHandle->Header();
    return MulDiv(FImage->FWidth, h.szlDevice.cx, HundredthsOf(h.szlMillimeters.cx));
}

int32_t TMetafile::Height(int32_t screenPixelsPerInch) const
{
    if (FImage->FInch != 0) return MulDiv(FImage->FHeight, screenPixelsPerInch, 2540);
    if (!FImage->FHandle) return FImage->FTempHeight;
    const emf::EnhMetaHeader& h = FImage->FHandle->Header();
    return MulDiv(FImage->FHeight, h.szlDevice.cy, HundredthsOf(h.szlMillimeters.cy));
}

}  // namespace qrp
