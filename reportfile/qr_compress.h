// TQRCompress: the page codec, an adaptive prefix code kept in a semi-splayed tree.
//
// Every byte value has a leaf (node 256 + c; leaf 512 is a symbol that is never coded);
// internal nodes are 0..255 with node 0 the root; a code bit 0 leads left, 1 right. A byte
// is coded as its path from the root, packed least significant bit first, and the tree is
// then semi-splayed at its leaf. Compressor and expander make the same updates, so no
// table travels with the data; the tree starts afresh for every page.
//
// One codec serves one page in one direction. The block forms (CompressBlock,
// ExpandBlock) give exactly the bytes and codes of the byte-at-a-time forms; they only
// batch the stream calls.
#pragma once

#include "base/stream.h"

#include <cstddef>
#include <cstdint>

namespace qrp {

class TQRCompress {
public:
    // A compressor (compressData true) writing to stream, or an expander reading from it.
    // The stream is not owned. Nothing is read or written yet.
    TQRCompress(TStream& stream, bool compressData);
    TQRCompress(const TQRCompress&) = delete;
    TQRCompress& operator=(const TQRCompress&) = delete;

    // Codes one byte, writing every coded byte the moment it is full.
    void Compress(uint8_t plain);
    // Codes count bytes; full coded bytes are written when the call returns.
    void CompressBlock(const uint8_t* plain, size_t count);
    // Compressor: writes the last, partly filled coded byte (its high bits 0), if any.
    // Call it once after the last byte; the coded data is complete only then.
    void Close();

    // Decodes one byte, reading one coded byte from the stream whenever the current one is
    // used up. Raises EReadError when the stream has no more bytes.
    uint8_t Expand();
    // Decodes count bytes. Reads ahead in blocks and, before returning, moves the stream
    // back so it stands just after the last coded byte used, as the byte-at-a-time form
    // leaves it. Raises EReadError when the stream ends first.
    void ExpandBlock(uint8_t* out, size_t count);

    bool CompressFlag() const { return FCompressFlag; }

private:
    void InitializeTree();
    void Splay(uint32_t plain);
    void SplayPath(const uint16_t* path, const uint8_t* side, unsigned depth);
    unsigned CodeOf(uint32_t plain, uint64_t& code) const;
    void CompressSlow(uint32_t plain);
    void PutBits(uint64_t code, unsigned length);

    TStream& FStream;
    bool FCompressFlag;
    // Coded bits not yet in a whole byte: the compressor's OutByte with BitPos bits in it;
    // the expander's InByte with the bits after BitPos still to be read.
    uint32_t FBitPos = 0;
    uint32_t FOutByte = 0;
    uint32_t FInByte = 0;
    // Child[0] is Left, Child[1] is Right. Parent[n] holds the parent of node n in its high
    // bits and, in bit 0, whether n is its parent's right child (kept by the compressor
    // only: the expander splays along the path it walked down).
    uint16_t FChild[2][256];
    uint16_t FParent[513];
};

}  // namespace qrp
