#include "testsupport/reference_codec.h"

namespace qrp::testsupport {

namespace {
constexpr uint8_t BitMask[8] = {1, 2, 4, 8, 16, 32, 64, 128};
}

ReferenceCodec::ReferenceCodec(TStream& stream, bool compressData) : Stream(stream)
{
    for (int i = 1; i <= 512; ++i) Up[i] = static_cast<uint8_t>((i - 1) / 2);
    Up[0] = 0;
    for (int j = 0; j <= 255; ++j) {
        Left[j] = static_cast<uint16_t>(2 * j + 1);
        Right[j] = static_cast<uint16_t>(2 * j + 2);
    }
    BitPos = compressData ? 0 : 7;
    OutByte = 0;
    CompressFlag = compressData;
}

void ReferenceCodec::Splay(uint16_t plain)
{
    uint16_t a = static_cast<uint16_t>(plain + 256);
    do {
        const uint16_t c = Up[a];
        if (c != 0) {
            const uint16_t d = Up[c];
            uint16_t b = Left[d];
            if (c == b) {
                b = Right[d];
                Right[d] = a;
            } else {
                Left[d] = a;
            }
            if (a == Left[c]) {
                Left[c] = b;
            } else {
                Right[c] = b;
            }
            Up[a] = static_cast<uint8_t>(d);
            Up[b] = static_cast<uint8_t>(c);
            a = d;
        } else {
            a = c;
        }
    } while (a != 0);
}

void ReferenceCodec::Compress(uint16_t plain)
{
    bool stack[257];
    int sp = 0;
    uint16_t a = static_cast<uint16_t>(plain + 256);
    do {
        const uint16_t c = Up[a];
        stack[sp++] = Right[c] == a;
        a = c;
    } while (a != 0);
    do {
        if (stack[--sp]) OutByte = static_cast<uint16_t>(OutByte | BitMask[BitPos]);
        if (BitPos == 7) {
            const auto byte = static_cast<uint8_t>(OutByte);
            Stream.WriteBuffer(&byte, 1);
            BitPos = 0;
            OutByte = 0;
        } else {
            ++BitPos;
        }
    } while (sp != 0);
    Splay(plain);
}

uint8_t ReferenceCodec::Expand()
{
    uint16_t a = 0;
    do {
        if (BitPos == 7) {
            uint8_t byte;
            Stream.ReadBuffer(&byte, 1);
            InByte = byte;
            BitPos = 0;
        } else {
            ++BitPos;
        }
        if (InByte & BitMask[BitPos]) {
            a = Right[a];
        } else {
            a = Left[a];
        }
    } while (a <= 255);
    Splay(static_cast<uint16_t>(a - 256));
    return static_cast<uint8_t>(a - 256);
}

void ReferenceCodec::Close()
{
    if (CompressFlag && BitPos != 0) {
        const auto byte = static_cast<uint8_t>(OutByte);
        Stream.WriteBuffer(&byte, 1);
    }
}

}  // namespace qrp::testsupport
