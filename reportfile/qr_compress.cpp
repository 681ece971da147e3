#include "reportfile/qr_compress.h"

#include "base/exceptions.h"

#include <array>
#include <cstring>

namespace qrp {

namespace {

// The starting tree, a complete two-way tree in heap order: node i (1..512) has the parent
// (i - 1) / 2 and is a right child exactly when i is even; node j (0..255) has the
// children 2j + 1 and 2j + 2.
struct InitialTree {
    uint16_t child[2][256];
    uint16_t parent[513];
    InitialTree()
    {
        parent[0] = 0;
        for (uint32_t i = 1; i <= 512; ++i) parent[i] = static_cast<uint16_t>((i - 1) / 2 << 1 | (i % 2 == 0 ? 1 : 0));
        for (uint32_t j = 0; j < 256; ++j) {
            child[0][j] = static_cast<uint16_t>(2 * j + 1);
            child[1][j] = static_cast<uint16_t>(2 * j + 2);
        }
    }
};
const InitialTree kInitialTree;

// Longest code the fast paths put into one 64-bit accumulator next to 7 pending bits.
constexpr unsigned kMaxFastCode = 57;
// Deepest leaf: 256 internal nodes above it at most.
constexpr unsigned kMaxDepth = 256;
constexpr size_t kOutChunk = 8192;
constexpr int32_t kInChunk = 8192;

}  // namespace

TQRCompress::TQRCompress(TStream& stream, bool compressData) : FStream(stream), FCompressFlag(compressData)
{
    InitializeTree();
    FBitPos = compressData ? 0 : 7;
    FOutByte = 0;
}

void TQRCompress::InitializeTree()
{
    std::memcpy(FChild, kInitialTree.child, sizeof FChild);
    std::memcpy(FParent, kInitialTree.parent, sizeof FParent);
}

// The semi-splay: going up from the leaf, the node takes its uncle's place and the uncle
// takes the node's place under the parent; the climb continues from the grandparent. A
// node whose parent is the root ends the climb without an exchange.
inline void TQRCompress::Splay(uint32_t plain)
{
    uint32_t a = plain + 256;
    do {
        const uint32_t pa = FParent[a];
        const uint32_t c = pa >> 1;
        if (c == 0) break;
        const uint32_t pc = FParent[c];
        const uint32_t d = pc >> 1;
        const uint32_t uncleSide = (pc & 1) ^ 1;
        const uint32_t aSide = pa & 1;
        const uint32_t b = FChild[uncleSide][d];
        FChild[uncleSide][d] = static_cast<uint16_t>(a);
        FChild[aSide][c] = static_cast<uint16_t>(b);
        FParent[a] = static_cast<uint16_t>(d << 1 | uncleSide);
        FParent[b] = static_cast<uint16_t>(c << 1 | aSide);
        a = d;
    } while (a != 0);
}

// The same semi-splay for the expander, from the path it just walked down: path[k] is the
// node at depth k (path[depth] the leaf) and side[k] the bit taken there. The path above
// an exchange does not change, so no parent is looked up; the expander keeps only the
// child arrays.
inline void TQRCompress::SplayPath(const uint16_t* path, const uint8_t* side, unsigned depth)
{
    unsigned k = depth;
    while (k >= 2) {
        const uint32_t a = path[k];
        const uint32_t c = path[k - 1];
        const uint32_t d = path[k - 2];
        const uint32_t uncleSide = side[k - 2] ^ 1u;
        const uint32_t b = FChild[uncleSide][d];
        FChild[uncleSide][d] = static_cast<uint16_t>(a);
        FChild[side[k - 1]][c] = static_cast<uint16_t>(b);
        k -= 2;
    }
}

// The code of plain, root bit in bit 0, and its length; a length above kMaxFastCode means
// the code did not fit and `code` is incomplete.
inline unsigned TQRCompress::CodeOf(uint32_t plain, uint64_t& code) const
{
    uint32_t a = plain + 256;
    uint64_t bits = 0;
    unsigned length = 0;
    do {
        const uint32_t p = FParent[a];
        bits = bits << 1 | (p & 1);
        a = p >> 1;
        ++length;
    } while (a != 0 && length <= kMaxFastCode);
    code = bits;
    return a == 0 ? length : kMaxFastCode + 1;
}

void TQRCompress::CompressBlock(const uint8_t* plain, size_t count)
{
    QRP_ASSERT(FCompressFlag);
    uint8_t out[kOutChunk + 64];
    size_t outLength = 0;
    uint64_t acc = FOutByte;
    unsigned pending = FBitPos;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t symbol = plain[i];
        uint64_t code;
        const unsigned length = CodeOf(symbol, code);
        if (length <= kMaxFastCode) {
            acc |= code << pending;
            pending += length;
            while (pending >= 8) {
                out[outLength++] = static_cast<uint8_t>(acc);
                acc >>= 8;
                pending -= 8;
            }
        } else {
            // A long code: its bits one by one, root first.
            uint8_t path[260];
            unsigned n = 0;
            for (uint32_t a = symbol + 256; a != 0; a = FParent[a] >> 1u) path[n++] = static_cast<uint8_t>(FParent[a] & 1);
            while (n > 0) {
                acc |= static_cast<uint64_t>(path[--n]) << pending;
                if (++pending == 8) {
                    out[outLength++] = static_cast<uint8_t>(acc);
                    acc = 0;
                    pending = 0;
                    if (outLength >= kOutChunk) {
                        FStream.WriteBuffer(out, static_cast<int32_t>(outLength));
                        outLength = 0;
                    }
                }
            }
        }
        Splay(symbol);
        if (outLength >= kOutChunk) {
            FStream.WriteBuffer(out, static_cast<int32_t>(outLength));
            outLength = 0;
        }
    }
    FOutByte = static_cast<uint32_t>(acc);
    FBitPos = pending;
    if (outLength > 0) FStream.WriteBuffer(out, static_cast<int32_t>(outLength));
}

void TQRCompress::Compress(uint8_t plain)
{
    CompressBlock(&plain, 1);
}

void TQRCompress::Close()
{
    if (FCompressFlag && FBitPos != 0) {
        const auto last = static_cast<uint8_t>(FOutByte);
        FOutByte = 0;
        FBitPos = 0;
        FStream.WriteBuffer(&last, 1);
    }
}

uint8_t TQRCompress::Expand()
{
    QRP_ASSERT(!FCompressFlag);
    uint16_t path[kMaxDepth + 1];
    uint8_t side[kMaxDepth];
    unsigned depth = 0;
    uint32_t a = 0;
    do {
        if (FBitPos == 7) {
            uint8_t byte;
            FStream.ReadBuffer(&byte, 1);
            FInByte = byte;
            FBitPos = 0;
        } else {
            ++FBitPos;
        }
        const uint32_t bit = (FInByte >> FBitPos) & 1;
        path[depth] = static_cast<uint16_t>(a);
        side[depth++] = static_cast<uint8_t>(bit);
        a = FChild[bit][a];
    } while (a <= 255);
    path[depth] = static_cast<uint16_t>(a);
    SplayPath(path, side, depth);
    return static_cast<uint8_t>(a - 256);
}

void TQRCompress::ExpandBlock(uint8_t* out, size_t count)
{
    QRP_ASSERT(!FCompressFlag);
    if (count == 0) return;
    uint8_t in[kInChunk];
    int32_t inLength = 0;
    int32_t inPos = 0;
    // The bits of the current coded byte not read yet come first.
    uint64_t acc = FBitPos < 7 ? FInByte >> (FBitPos + 1) : 0;
    unsigned available = FBitPos < 7 ? 7 - FBitPos : 0;

    auto refill = [&] {
        while (available <= 56) {
            if (inPos == inLength) {
                inLength = FStream.Read(in, kInChunk);
                inPos = 0;
                if (inLength <= 0) {
                    inLength = 0;
                    return;
                }
            }
            acc |= static_cast<uint64_t>(in[inPos++]) << available;
            available += 8;
        }
    };

    uint16_t path[kMaxDepth + 1];
    uint8_t side[kMaxDepth];
    for (size_t i = 0; i < count; ++i) {
        if (available < kMaxFastCode) refill();
        uint32_t a = 0;
        unsigned depth = 0;
        do {
            if (available == 0) {
                refill();
                if (available == 0) throw EReadError();
            }
            const auto bit = static_cast<uint32_t>(acc & 1);
            path[depth] = static_cast<uint16_t>(a);
            side[depth++] = static_cast<uint8_t>(bit);
            a = FChild[bit][a];
            acc >>= 1;
            --available;
        } while (a <= 255);
        path[depth] = static_cast<uint16_t>(a);
        SplayPath(path, side, depth);
        out[i] = static_cast<uint8_t>(a - 256);
    }

    // Give back the whole bytes read ahead; the partly used byte stays current.
    const int32_t unread = (inLength - inPos) + static_cast<int32_t>(available / 8);
    if (unread > 0) FStream.Seek(-unread, soFromCurrent);
    const unsigned left = available % 8;
    if (left == 0) {
        FBitPos = 7;
        FInByte = 0;
    } else {
        FBitPos = 7 - left;
        FInByte = static_cast<uint32_t>((acc & ((1u << left) - 1)) << (8 - left));
    }
}

}  // namespace qrp
