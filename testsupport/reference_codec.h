// A plain, line-by-line rendering of the page codec, kept as the yardstick for TQRCompress:
// tests check that both give the same bytes and codes, benchmarks compare their speed.
// One stream call per coded byte, the tree in separate Left / Right / Up arrays.
#pragma once

#include "base/stream.h"

#include <cstdint>

namespace qrp::testsupport {

class ReferenceCodec {
public:
    ReferenceCodec(TStream& stream, bool compressData);
    ~ReferenceCodec() = default;

    void Compress(uint16_t plain);
    uint8_t Expand();
    // The compressor's last partly filled byte, as the codec's release writes it.
    void Close();

private:
    void Splay(uint16_t plain);

    uint8_t BitPos;
    bool CompressFlag;
    uint16_t InByte = 0;
    uint16_t Left[256];
    uint16_t Right[256];
    uint16_t OutByte;
    TStream& Stream;
    uint8_t Up[513];
};

}  // namespace qrp::testsupport
