// The EMF header record (EMR_HEADER), in its longest published layout of 108 bytes.
#pragma once

#include "emf/bytes.h"

#include <cstdint>
#include <optional>

namespace qrp::emf {

constexpr uint32_t kEmrHeader = 1;
constexpr uint32_t kEmrEof = 14;
constexpr uint32_t kEmfSignature = 0x464D4520;  // " EMF"
constexpr uint32_t kHeaderSize = 108;

struct RectL {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    friend bool operator==(const RectL&, const RectL&) = default;
};
struct SizeL {
    int32_t cx = 0, cy = 0;
    friend bool operator==(const SizeL&, const SizeL&) = default;
};

struct EnhMetaHeader {
    uint32_t iType = 0;
    uint32_t nSize = 0;
    RectL rclBounds;      // inclusive bounds in device units
    RectL rclFrame;       // inclusive frame in 0.01 mm
    uint32_t dSignature = 0;
    uint32_t nVersion = 0;
    uint32_t nBytes = 0;  // total size of the picture
    uint32_t nRecords = 0;
    uint16_t nHandles = 0;
    uint16_t sReserved = 0;
    uint32_t nDescription = 0;
    uint32_t offDescription = 0;
    uint32_t nPalEntries = 0;
    SizeL szlDevice;       // reference device in pixels
    SizeL szlMillimeters;  // reference device in millimetres
    uint32_t cbPixelFormat = 0;
    uint32_t offPixelFormat = 0;
    uint32_t bOpenGL = 0;
    SizeL szlMicrometers;
};

// A reference device: its size in pixels and in millimetres. The default is the 96-dpi
// screen GDI describes as 1024 x 768 pixels on 320 x 240 millimetres.
struct ReferenceDevice {
    int32_t widthPixels = 1024;
    int32_t heightPixels = 768;
    int32_t widthMillimeters = 320;
    int32_t heightMillimeters = 240;
};

// The device a picture was recorded on (szlDevice, szlMillimeters); a field that is not
// positive takes the default device's value.
ReferenceDevice RecordingDevice(const EnhMetaHeader& header);

// Decodes the header fields from at least 108 bytes (missing trailing bytes read as 0).
EnhMetaHeader ParseHeader(Bytes bytes);

// Encodes a header into exactly 108 bytes.
void StoreHeader(const EnhMetaHeader& header, uint8_t* out108);

}  // namespace qrp::emf
