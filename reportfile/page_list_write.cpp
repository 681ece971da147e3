// Writing the report file layout page by page, as a report generator does.
#include "base/clock.h"
#include "base/exceptions.h"
#include "reportfile/link_text.h"
#include "reportfile/page_list.h"

#include <array>
#include <cstring>
#include <ctime>

namespace qrp {

double OleDateNow()
{
    // The local wall-clock time counted as if it were UTC gives the local date's serial.
    const auto seconds = static_cast<double>(LocalWallClockSeconds(std::time(nullptr)));
    return 25569.0 + seconds / 86400.0;  // 25569: days from 30 Dec 1899 to 1 Jan 1970
}

namespace {

void Put32(uint8_t* p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

struct CodecScope {
    std::unique_ptr<TQRCompress>& codec;
    ~CodecScope() { codec.reset(); }
};

}  // namespace

void TQRPageList::WriteFileHeader()
{
    std::array<uint8_t, kHeaderSize> header{};
    header[0] = 3;
    header[2] = 50;
    Put32(&header[8], static_cast<uint32_t>(FPageCount.load()));
    const double date = OleDateNow();
    uint64_t bits;
    std::memcpy(&bits, &date, 8);
    for (int i = 0; i < 8; ++i) header[16 + static_cast<size_t>(i)] = static_cast<uint8_t>(bits >> (8 * i));
    header[25] = FCompression ? 1 : 0;
    std::memset(&header[26], 72, 100);
    TStream& s = S();
    s.SetPosition(0);
    s.WriteBuffer(header.data(), kHeaderSize);
}

int32_t TQRPageList::BeginPageRecord()
{
    TStream& s = S();
    const int32_t record = s.Seek(0, soFromEnd);
    s.WriteInt32(FPageCount);
    s.WriteInt32(record + 4);  // placeholder: the forward link field's own offset
    return record;
}

void TQRPageList::EndPageRecord(int32_t record)
{
    TStream& s = S();
    s.WriteInt32(record);
    const int32_t end = s.Position();
    s.SetPosition(record + 4);
    s.WriteInt32(end);
    s.SetPosition(end);
}

void TQRPageList::WriteCompressedPage(const TMetafile& metafile)
{
    TMemoryStream buffer;
    metafile.SaveToStream(buffer);
    const int32_t record = BeginPageRecord();
    {
        CodecScope scope{aCompressor};
        aCompressor = std::make_unique<TQRCompress>(S(), true);
        S().WriteInt32(buffer.Size());
        aCompressor->CompressBlock(buffer.Memory(), buffer.Bytes().size());
        aCompressor->Close();
    }
    EndPageRecord(record);
}

void TQRPageList::AppendPage(const TMetafile& metafile, bool withLinks, const THyperlinkList* hyperlinks)
{
    TLockGuard guard(FLock);
    if (++FPageCount == 1) WriteFileHeader();
    if (FCompression) {
        WriteCompressedPage(metafile);
        return;
    }
    TStream& s = S();
    const int32_t record = BeginPageRecord();
    metafile.SaveToStream(s);
    if (withLinks) {
        s.WriteInt32(hyperlinks ? static_cast<int32_t>(hyperlinks->size()) : 0);
        if (hyperlinks) {
            for (const THyperlink& link : *hyperlinks) {
                s.WriteInt32(link.Area.Left);
                s.WriteInt32(link.Area.Top);
                s.WriteInt32(link.Area.Right);
                s.WriteInt32(link.Area.Bottom);
                const std::string text = Utf8ToLatin1(link.Link);
                s.WriteInt32(static_cast<int32_t>(text.size()));
                s.WriteBuffer(text.data(), static_cast<int32_t>(text.size()));
            }
        }
    }
    EndPageRecord(record);
}

void TQRPageList::AddPage(const TMetafile& metafile)
{
    AppendPage(metafile, false, nullptr);
}

void TQRPageList::AddPageEx(const TMetafile& metafile, const THyperlinkList* hyperlinks)
{
    AppendPage(metafile, true, hyperlinks);
}

void TQRPageList::Finish()
{
    TLockGuard guard(FLock);
    WriteFileHeader();
}

}  // namespace qrp
