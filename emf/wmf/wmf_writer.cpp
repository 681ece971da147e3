#include "emf/wmf/wmf_writer.h"

#include "base/exceptions.h"
#include "emf/wmf/wmf_format.h"

#include <algorithm>

namespace qrp::emf::wmf {

namespace {
void Store16(std::vector<uint8_t>& bytes, size_t at, uint16_t v)
{
    bytes[at] = static_cast<uint8_t>(v);
    bytes[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Store32(std::vector<uint8_t>& bytes, size_t at, uint32_t v)
{
    Store16(bytes, at, static_cast<uint16_t>(v));
    Store16(bytes, at + 2, static_cast<uint16_t>(v >> 16));
}
}  // namespace

WmfParams& WmfParams::U16(uint16_t v)
{
    FBytes.push_back(static_cast<uint8_t>(v));
    FBytes.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

WmfParams& WmfParams::Raw(std::span<const uint8_t> bytes)
{
    FBytes.insert(FBytes.end(), bytes.begin(), bytes.end());
    if (FBytes.size() % 2 != 0) FBytes.push_back(0);
    return *this;
}

WmfWriter::WmfWriter()
{
    FBytes.assign(kHeaderBytes, 0);
    Store16(FBytes, 0, kMemoryMetafile);
    Store16(FBytes, 2, kHeaderWords);
    Store16(FBytes, 4, kVersion300);
    Store32(FBytes, 6, kHeaderWords);
}

void WmfWriter::Append(uint16_t function, const WmfParams& params)
{
    QRP_ASSERT(params.Bytes().size() % 2 == 0);
    const size_t words = 3 + params.Bytes().size() / 2;
    QRP_ASSERT(words <= UINT32_MAX / 4);
    const size_t at = FBytes.size();
    FBytes.resize(at + 6);
    Store32(FBytes, at, static_cast<uint32_t>(words));
    Store16(FBytes, at + 4, function);
    FBytes.insert(FBytes.end(), params.Bytes().begin(), params.Bytes().end());
    FMaxRecordWords = std::max(FMaxRecordWords, static_cast<uint32_t>(words));
    Store32(FBytes, 6, static_cast<uint32_t>(FBytes.size() / 2));
    Store32(FBytes, 12, FMaxRecordWords);
}

std::vector<uint8_t> WmfWriter::Finish(uint16_t numberOfObjects)
{
    Append(META_EOF);
    Store16(FBytes, 10, numberOfObjects);
    return std::move(FBytes);
}

}  // namespace qrp::emf::wmf
