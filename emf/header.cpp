#include "emf/header.h"

#include <algorithm>
#include <array>

namespace qrp::emf {

EnhMetaHeader ParseHeader(Bytes bytes)
{
    std::array<uint8_t, kHeaderSize> b{};
    std::copy_n(bytes.begin(), std::min<size_t>(bytes.size(), kHeaderSize), b.begin());
    const uint8_t* p = b.data();
    EnhMetaHeader h;
    h.iType = LoadU32(p + 0);
    h.nSize = LoadU32(p + 4);
    h.rclBounds = {LoadI32(p + 8), LoadI32(p + 12), LoadI32(p + 16), LoadI32(p + 20)};
    h.rclFrame = {LoadI32(p + 24), LoadI32(p + 28), LoadI32(p + 32), LoadI32(p + 36)};
    h.dSignature = LoadU32(p + 40);
    h.nVersion = LoadU32(p + 44);
    h.nBytes = LoadU32(p + 48);
    h.nRecords = LoadU32(p + 52);
    h.nHandles = LoadU16(p + 56);
    h.sReserved = LoadU16(p + 58);
    h.nDescription = LoadU32(p + 60);
    h.offDescription = LoadU32(p + 64);
    h.nPalEntries = LoadU32(p + 68);
    h.szlDevice = {LoadI32(p + 72), LoadI32(p + 76)};
    h.szlMillimeters = {LoadI32(p + 80), LoadI32(p + 84)};
    h.cbPixelFormat = LoadU32(p + 88);
    h.offPixelFormat = LoadU32(p + 92);
    h.bOpenGL = LoadU32(p + 96);
    h.szlMicrometers = {LoadI32(p + 100), LoadI32(p + 104)};
    return h;
}

namespace {
void Put32(uint8_t* p, uint32_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}
void PutI(uint8_t* p, int32_t v) { Put32(p, static_cast<uint32_t>(v)); }
}  // namespace

void StoreHeader(const EnhMetaHeader& h, uint8_t* p)
{
    Put32(p + 0, h.iType);
    Put32(p + 4, h.nSize);
    PutI(p + 8, h.rclBounds.left);
    PutI(p + 12, h.rclBounds.top);
    PutI(p + 16, h.rclBounds.right);
    PutI(p + 20, h.rclBounds.bottom);
    PutI(p + 24, h.rclFrame.left);
    PutI(p + 28, h.rclFrame.top);
    PutI(p + 32, h.rclFrame.right);
    PutI(p + 36, h.rclFrame.bottom);
    Put32(p + 40, h.dSignature);
    Put32(p + 44, h.nVersion);
    Put32(p + 48, h.nBytes);
    Put32(p + 52, h.nRecords);
    p[56] = static_cast<uint8_t>(h.nHandles);
    p[57] = static_cast<uint8_t>(h.nHandles >> 8);
    p[58] = static_cast<uint8_t>(h.sReserved);
    p[59] = static_cast<uint8_t>(h.sReserved >> 8);
    Put32(p + 60, h.nDescription);
    Put32(p + 64, h.offDescription);
    Put32(p + 68, h.nPalEntries);
    PutI(p + 72, h.szlDevice.cx);
    PutI(p + 76, h.szlDevice.cy);
    PutI(p + 80, h.szlMillimeters.cx);
    PutI(p + 84, h.szlMillimeters.cy);
    Put32(p + 88, h.cbPixelFormat);
    Put32(p + 92, h.offPixelFormat);
    Put32(p + 96, h.bOpenGL);
    PutI(p + 100, h.szlMicrometers.cx);
    PutI(p + 104, h.szlMicrometers.cy);
}

ReferenceDevice RecordingDevice(const EnhMetaHeader& h)
{
    const ReferenceDevice d;
    return {h.szlDevice.cx > 0 ? h.szlDevice.cx : d.widthPixels, h.szlDevice.cy > 0 ? h.szlDevice.cy : d.heightPixels,
            h.szlMillimeters.cx > 0 ? h.szlMillimeters.cx : d.widthMillimeters,
            h.szlMillimeters.cy > 0 ? h.szlMillimeters.cy : d.heightMillimeters};
}

}  // namespace qrp::emf
