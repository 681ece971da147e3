// TQRPageList: reads and writes the report file layout on a report stream.
//
// File layout (little-endian; "links" are int32 absolute offsets):
//   file header, 128 bytes (older files: 124, 120 or 96; the size is probed, never stored):
//     0: int16 3, 2: int16 50, 8: int32 page count, 16: double date (days since
//     30 Dec 1899), 25: compression flag (1 = compressed), 26..125: 100 x 'H';
//   then one record per page: int32 page number, int32 forward link (offset of the next
//   record, or the file size), page data, int32 back link (offset of this record).
// Page data: the picture's enhanced-metafile bytes (nBytes long); after AddPageEx also an
// int32 hyperlink count and the entries (4 x int32 area, int32 length, bytes); compressed:
// int32 N, then the N picture bytes coded by TQRCompress. No page is cached: every request
// decodes it from the stream again.
//
// Locks: every page operation holds the list's lock, each stream call the stream's; always
// list before stream. A generating thread may append while another reads.
#pragma once

#include "base/lock.h"
#include "base/rect.h"
#include "base/stream.h"
#include "reportfile/metafile.h"
#include "reportfile/qr_compress.h"
#include "reportfile/qr_stream.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qrp {

// A link area on a page and its target. The file keeps one byte per character: Link is
// UTF-8 in memory and stored as Latin-1 (characters beyond it become '?').
class THyperlink {
public:
    THyperlink(const TRect& area, std::string link) : Area(area), Link(std::move(link)) {}
    TRect Area;
    std::string Link;
};

using THyperlinkList = std::vector<THyperlink>;

class TQRPageList {
public:
    static constexpr int32_t kHeaderSize = 128;

    TQRPageList() = default;
    TQRPageList(const TQRPageList&) = delete;
    TQRPageList& operator=(const TQRPageList&) = delete;
    ~TQRPageList() = default;

    bool Compression() const { return FCompression; }
    void SetCompression(bool compression) { FCompression = compression; }
    int32_t PageCount() const { return FPageCount.load(); }
    const std::shared_ptr<TQRStream>& Stream() const { return FStream; }
    void SetStream(std::shared_ptr<TQRStream> stream) { FStream = std::move(stream); }

    // PageCount := 0; the stream and Compression stay.
    void Clear() { FPageCount = 0; }
    void LockList() { FLock.lock(); }
    void UnlockList() { FLock.unlock(); }

    // Opens the file as the list's stream, reads its header and proves the file by reading
    // its last page twice (through the forward links, then through the final back link).
    // On failure the list holds no stream and no pages, and the error propagates.
    void LoadFromFile(const std::string& fileName);
    // Copies all of inStream (from its start) into a new in-memory stream and reads its
    // header; no check read.
    void LoadFromStream(TMemoryStream& inStream);
    // Writes the whole report stream, byte for byte, to fileName. The copy goes to a new
    // temporary file in the destination's folder, renamed over fileName only when complete;
    // saving onto the file the report is loaded from raises EFCreateError.
    void SaveToFile(const std::string& fileName);
    // Writes the whole report stream into outStream at its position.
    void SaveToStream(TStream& outStream);

    // A new picture of page pageNumber, or nullptr outside 1..PageCount.
    std::unique_ptr<TMetafile> GetPage(int32_t pageNumber);
    // Like GetPage, and the page's hyperlinks (pages written by AddPageEx); no list for a
    // compressed file or a count of 0.
    void GetPageEx(int32_t pageNumber, std::unique_ptr<TMetafile>& metafile,
                   std::unique_ptr<THyperlinkList>& hyperlinks);
    // The file has no place for outlines.
    void AddOutline(int32_t, const std::string&, const TRect&, int32_t) {}

    // Writing (the list was given a fresh stream): one call per page, in page order.
    void AddPage(const TMetafile& metafile);
    void AddPageEx(const TMetafile& metafile, const THyperlinkList* hyperlinks);
    // Rewrites the header with the final page count, the current date and the flag.
    void Finish();

private:
    void ReadFileHeader();
    void SeekToFirstPage();
    void SeekToLastPage();
    void SeekToPage(int32_t pageNumber);
    void SeekToLink(int32_t link);
    int32_t CountRecords();
    void CheckPageCount();
    std::unique_ptr<TMetafile> ReadPage(int32_t pageNumber, std::unique_ptr<THyperlinkList>* hyperlinks);
    std::unique_ptr<TMetafile> ReadCompressedPage();
    std::unique_ptr<THyperlinkList> ReadHyperlinks();

    void WriteFileHeader();
    void AppendPage(const TMetafile& metafile, bool withLinks, const THyperlinkList* hyperlinks);
    int32_t BeginPageRecord();
    void EndPageRecord(int32_t recordStart);
    void WriteCompressedPage(const TMetafile& metafile);

    TStream& S() const;

    TCriticalSection FLock;
    std::unique_ptr<TQRCompress> aCompressor;
    bool FCompression = false;
    std::atomic<int32_t> FPageCount{0};
    std::shared_ptr<TQRStream> FStream;
};

// The file header's date field: local date and time as days since 30 December 1899.
double OleDateNow();

}  // namespace qrp
