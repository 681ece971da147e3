#include "emf/wmf/wmf_embedded_emf.h"

#include "emf/emr_types.h"
#include "emf/validate.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>

namespace qrp::emf::wmf {

namespace {
// Offsets inside the escape's parameters: EscapeFunction, ByteCount, then the comment.
// Identifier, type, version, checksum, flags, record count, then current size, remaining
// bytes and total size, then the chunk.
constexpr size_t kIdentifierAt = 4;
constexpr size_t kChecksumAt = 16;
constexpr size_t kCurrentSizeAt = 26;
constexpr size_t kDataAt = 38;

bool IsEmbeddedChunk(const WmfRecord& r)
{
    if (r.Function() != META_ESCAPE || r.U16(0) != MFCOMMENT) return false;
    const Bytes id = r.Slice(kIdentifierAt, 8);
    return !id.empty() && LoadU32(id.data()) == kWmfcIdentifier && LoadU32(id.data() + 4) == kWmfcTypeEnhanced;
}
}  // namespace

std::optional<std::vector<uint8_t>> FindEmbeddedEnhMetafile(Bytes body, const MetaHeader& header)
{
    WmfRecordReader reader(body, static_cast<uint32_t>(header.headerWords) * 2);
    std::vector<uint8_t> emf;
    uint64_t total = 0;
    bool started = false;
    while (const auto r = reader.Next()) {
        if (!IsEmbeddedChunk(*r)) {
            if (started) break;  // the chunks are consecutive
            continue;
        }
        const Bytes fields = r->Slice(kCurrentSizeAt, 12);
        if (fields.empty()) return std::nullopt;
        const uint32_t current = LoadU32(fields.data()), remaining = LoadU32(fields.data() + 4);
        const uint32_t declaredTotal = LoadU32(fields.data() + 8);
        if (!started) {
            // The whole picture must fit in the body that carries it.
            if (declaredTotal == 0 || declaredTotal > body.size()) return std::nullopt;
            total = declaredTotal;
            emf.reserve(declaredTotal);
            started = true;
        } else if (declaredTotal != total) {
            return std::nullopt;
        }
        const Bytes chunk = r->Slice(kDataAt, current);
        if (chunk.size() != current || emf.size() + current > total) return std::nullopt;
        emf.insert(emf.end(), chunk.begin(), chunk.end());
        if (remaining != total - emf.size()) return std::nullopt;
        if (emf.size() == total) break;
    }
    if (!started || emf.size() != total || !IsValidEnhMetafile(emf)) return std::nullopt;
    return emf;
}

void AppendEmbeddedEnhMetafile(WmfWriter& out, Bytes emf)
{
    const auto total = static_cast<uint32_t>(emf.size());
    const uint32_t count = (total + kWmfcMaxChunk - 1) / kWmfcMaxChunk;
    for (uint32_t done = 0; done < total;) {
        const uint32_t current = std::min(kWmfcMaxChunk, total - done);
        WmfParams p;
        p.U16(MFCOMMENT).U16(static_cast<uint16_t>(kWmfcHeaderBytes + current));
        p.U32(kWmfcIdentifier).U32(kWmfcTypeEnhanced).U32(kWmfcVersion).U16(0).U32(0);
        p.U32(count).U32(current).U32(total - done - current).U32(total);
        p.Raw(emf.subspan(done, current));
        out.Append(META_ESCAPE, p);
        done += current;
    }
}

void SealEmbeddedChecksum(std::vector<uint8_t>& body)
{
    const auto header = ParseMetaHeader(body);
    if (!header) return;
    WmfRecordReader reader(body, static_cast<uint32_t>(header->headerWords) * 2);
    while (const auto r = reader.Next()) {
        if (!IsEmbeddedChunk(*r)) continue;
        const size_t at = r->Offset() + 6 + kChecksumAt;
        body[at] = body[at + 1] = 0;
        uint16_t sum = 0;
        for (size_t i = 0; i + 1 < body.size(); i += 2) sum = static_cast<uint16_t>(sum + LoadU16(body.data() + i));
        const auto checksum = static_cast<uint16_t>(-sum);
        body[at] = static_cast<uint8_t>(checksum);
        body[at + 1] = static_cast<uint8_t>(checksum >> 8);
        return;
    }
}

namespace {
constexpr uint32_t kGdicIdentifier = 0x43494447;  // "GDIC"
constexpr uint32_t kGdicWindowsMetafile = 0x80000001;
constexpr size_t kCommentFieldsBytes = 24;  // identifier, type, version, checksum, flags, size
}  // namespace

std::vector<uint8_t> WindowsMetafileComment(Bytes wmf)
{
    const auto size = static_cast<uint32_t>(wmf.size());
    const uint32_t padded = (size + 3) & ~3u;
    std::vector<uint8_t> out;
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(static_cast<uint32_t>(kCommentFieldsBytes) + size);  // cbData
    put(kGdicIdentifier);
    put(kGdicWindowsMetafile);
    put(wmf.size() >= 6 ? LoadU16(wmf.data() + 4) : kVersion300);
    put(0);  // checksum, not checked by readers
    put(0);  // flags
    put(size);
    out.insert(out.end(), wmf.begin(), wmf.end());
    out.resize(4 + kCommentFieldsBytes + padded, 0);
    return out;
}

std::optional<std::vector<uint8_t>> FindCarriedWmf(Bytes emf)
{
    RecordReader reader(emf);
    while (const auto r = reader.Next()) {
        if (r->Type() != kEmrComment) continue;
        if (r->U32(12) != kGdicIdentifier || r->U32(16) != kGdicWindowsMetafile) continue;
        const Bytes wmf = r->Array(8 + 4 + kCommentFieldsBytes, r->U32(32).value_or(0), 1);
        if (wmf.empty() || !ParseMetaHeader(wmf)) return std::nullopt;
        return std::vector<uint8_t>(wmf.begin(), wmf.end());
    }
    return std::nullopt;
}

}  // namespace qrp::emf::wmf
