// Reading the report file layout: header probing, the walks along the page links, page
// reads, loading and saving whole files.
#include "reportfile/page_list.h"

#include "base/exceptions.h"
#include "emf/bytes.h"
#include "reportfile/link_text.h"

#include <array>
#include <climits>
#include <cstring>

namespace qrp {

namespace {

// Releases the list's codec however the page operation ends.
struct CodecScope {
    std::unique_ptr<TQRCompress>& codec;
    ~CodecScope() { codec.reset(); }
};

constexpr int32_t kHyperlinkEntryMin = 20;  // area and length, no text

}  // namespace

TStream& TQRPageList::S() const
{
    QRP_ASSERT(FStream);
    return *FStream;
}

// ---- header ------------------------------------------------------------------

void TQRPageList::ReadFileHeader()
{
    TStream& s = S();
    s.SetPosition(0);
    const int32_t headerSize = FStream->GetHeaderSize();
    // A scan that found the signature too early or too late: nothing here is a header.
    if (headerSize < 0 || headerSize > kHeaderSize) throw EReadError();
    std::array<uint8_t, kHeaderSize> header{};
    s.SetPosition(0);
    s.ReadBuffer(header.data(), headerSize);
    FStream->ConvertOldHeader(header);
    FCompression = header[25] == 1;
    s.SetPosition(headerSize);
    if (headerSize == 128 || headerSize == 124) {
        const int32_t count = emf::LoadI32(header.data() + 8);
        if (count < 0) throw EReadError();
        FPageCount = count;
    } else if (headerSize == 120) {
        FPageCount = 1;
    } else {
        // No count in the header: the records are counted along their links.
        FPageCount = CountRecords();
        s.SetPosition(headerSize);
    }
}

// Walks the forward links from the first record to the end of the stream. Every link must
// lead further on, so the walk ends; a chain that misses the end is a read error.
int32_t TQRPageList::CountRecords()
{
    TStream& s = S();
    const int32_t size = s.Size();
    int32_t position = s.Position();
    int32_t count = 0;
    while (position != size) {
        s.ReadInt32();
        const int32_t link = s.ReadInt32();
        if (link <= position || link > size) throw EReadError();
        s.SetPosition(link);
        position = link;
        ++count;
    }
    return count;
}

// Proves that the records can hold the header's page count: from the first record, count - 1
// forward links must each lead further on to another record inside the stream. One pass at
// most, whatever the count claims; EReadError when the records end first.
void TQRPageList::CheckPageCount()
{
    TStream& s = S();
    const int32_t size = s.Size();
    const int32_t first = FStream->GetHeaderSize();
    int32_t position = first;
    for (int32_t record = 1; record < FPageCount; ++record) {
        if (position < 0 || size - position < 8) throw EReadError();
        s.SetPosition(position + 4);
        const int32_t link = s.ReadInt32();
        if (link <= position || link >= size) throw EReadError();
        position = link;
    }
    if (position < 0 || size - position < 8) throw EReadError();
    s.SetPosition(first);
}

// ---- walks ---------------------------------------------------------------------

void TQRPageList::SeekToLink(int32_t link)
{
    if (link < 0) throw EReadError();
    S().SetPosition(link);
}

void TQRPageList::SeekToFirstPage()
{
    S().SetPosition(FStream->GetHeaderSize());
}

void TQRPageList::SeekToLastPage()
{
    TStream& s = S();
    const int32_t size = s.Size();
    if (size < 4) throw EReadError();
    s.SetPosition(size - 4);
    SeekToLink(s.ReadInt32());
}

// Leaves the position on the first byte of the record of pageNumber, walking from the
// record the position stands on. Forward links must lead forward and back links back, so
// every walk ends, at the page or with a read error.
void TQRPageList::SeekToPage(int32_t pageNumber)
{
    TStream& s = S();
    if (pageNumber == 1) {
        SeekToFirstPage();
        return;
    }
    if (s.Position() == s.Size()) SeekToLastPage();
    int32_t page = s.ReadInt32();
    s.Seek(-4, soFromCurrent);
    if (page < pageNumber) {
        // Page number and forward link in one read: a record always has both.
        for (;;) {
            const int32_t record = s.Position();
            uint8_t fields[8];
            s.ReadBuffer(fields, 8);
            page = emf::LoadI32(fields);
            if (page == pageNumber) break;
            const int32_t next = emf::LoadI32(fields + 4);
            if (next <= record) throw EReadError();
            SeekToLink(next);
        }
        s.Seek(-8, soFromCurrent);
    } else if (page > pageNumber) {
        for (;;) {
            const int32_t record = s.Position();
            page = s.ReadInt32();
            if (page == pageNumber) break;
            if (record < 4) throw EReadError();
            s.SetPosition(record - 4);
            const int32_t previous = s.ReadInt32();
            if (previous >= record) throw EReadError();
            SeekToLink(previous);
        }
        s.Seek(-4, soFromCurrent);
    }
}

// ---- page reads ------------------------------------------------------------------

std::unique_ptr<TMetafile> TQRPageList::GetPage(int32_t pageNumber)
{
    return ReadPage(pageNumber, nullptr);
}

void TQRPageList::GetPageEx(int32_t pageNumber, std::unique_ptr<TMetafile>& metafile,
                            std::unique_ptr<THyperlinkList>& hyperlinks)
{
    metafile.reset();
    hyperlinks.reset();
    std::unique_ptr<THyperlinkList> links;
    metafile = ReadPage(pageNumber, &links);
    hyperlinks = std::move(links);
}

std::unique_ptr<TMetafile> TQRPageList::ReadPage(int32_t pageNumber, std::unique_ptr<THyperlinkList>* hyperlinks)
{
    TLockGuard guard(FLock);
    if (pageNumber < 1 || pageNumber > FPageCount) return nullptr;
    TStream& s = S();
    SeekToPage(pageNumber);
    // A page that fails to read leaves the position on its record's first byte, so the
    // next walk starts from a record, not from inside one.
    const int32_t record = s.Position();
    try {
        uint8_t fields[8];
        s.ReadBuffer(fields, 8);  // page number and forward link
        std::unique_ptr<TMetafile> picture;
        if (FCompression) {
            picture = ReadCompressedPage();
        } else {
            picture = std::make_unique<TMetafile>();
            picture->LoadFromStream(s);
            // A record that ends with its back link right after the picture was written by
            // AddPage: it holds no hyperlink count, and none is read from the back link.
            // Hyperlinks that are not asked for are stepped over to the back link, so that a
            // page written by AddPageEx also reads with GetPage.
            const int64_t next = emf::LoadI32(fields + 4);
            const bool linkData = static_cast<int64_t>(s.Position()) + 4 != next;
            if (hyperlinks && linkData)
                *hyperlinks = ReadHyperlinks();
            else if (linkData && next - 4 > s.Position() && next <= s.Size())
                s.SetPosition(static_cast<int32_t>(next - 4));
        }
        s.ReadInt32();  // back link
        return picture;
    } catch (...) {
        s.SetPosition(record);
        throw;
    }
}

std::unique_ptr<TMetafile> TQRPageList::ReadCompressedPage()
{
    TStream& s = S();
    const int32_t count = s.ReadInt32();
    // Every decoded byte takes at least one coded bit.
    const int64_t left = static_cast<int64_t>(s.Size()) - s.Position();
    if (count < 0 || count > kMaxPictureBytes || count > 8 * left) throw EReadError();
    std::vector<uint8_t> bytes(static_cast<size_t>(count));
    {
        CodecScope scope{aCompressor};
        aCompressor = std::make_unique<TQRCompress>(s, false);
        aCompressor->ExpandBlock(bytes.data(), bytes.size());
    }
    TMemoryStream buffer(std::move(bytes));
    auto picture = std::make_unique<TMetafile>();
    picture->LoadFromStream(buffer);
    return picture;
}

std::unique_ptr<THyperlinkList> TQRPageList::ReadHyperlinks()
{
    TStream& s = S();
    const int32_t count = s.ReadInt32();
    if (count <= 0) return nullptr;
    if (count > (s.Size() - s.Position()) / kHyperlinkEntryMin) throw EReadError();
    auto list = std::make_unique<THyperlinkList>();
    list->reserve(static_cast<size_t>(count));
    for (int32_t i = 0; i < count; ++i) {
        TRect area;
        area.Left = s.ReadInt32();
        area.Top = s.ReadInt32();
        area.Right = s.ReadInt32();
        area.Bottom = s.ReadInt32();
        const int32_t length = s.ReadInt32();
        if (length < 0 || length > s.Size() - s.Position()) throw EReadError();
        std::string text(static_cast<size_t>(length), '\0');
        s.ReadBuffer(text.data(), length);
        list->emplace_back(area, Latin1ToUtf8(text));
    }
    return list;
}

// ---- whole files -------------------------------------------------------------------

void TQRPageList::LoadFromFile(const std::string& fileName)
{
    FStream.reset();
    try {
        FStream = TQRStream::CreateFromFile(fileName);
        ReadFileHeader();
        // Nothing to prove in a report without pages: not a report.
        if (FPageCount < 1) throw EReadError();
        CheckPageCount();
        GetPage(FPageCount);  // along the forward links
        GetPage(FPageCount);  // through the final back link
    } catch (...) {
        FStream.reset();
        FPageCount = 0;
        FCompression = false;
        throw;
    }
}

void TQRPageList::LoadFromStream(TMemoryStream& inStream)
{
    FStream.reset();
    try {
        const int32_t size = inStream.Size();
        auto stream = std::make_shared<TQRStream>(size);
        stream->WriteBuffer(inStream.Memory(), size);
        FStream = std::move(stream);
        ReadFileHeader();
    } catch (...) {
        FStream.reset();
        FPageCount = 0;
        FCompression = false;
        throw;
    }
}

void TQRPageList::SaveToStream(TStream& outStream)
{
    QRP_ASSERT(FStream);
    FStream->SaveToStream(outStream);
}

}  // namespace qrp
