// Report files for the preview and viewer tests, written through the page list: A4 pages
// recorded on a 96-dpi device, so that the report printer infers A4 portrait.
#pragma once

#include <QString>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace qrp::testing {

// One A4 page picture; drawn pages carry a grey band and a filled box whose place depends
// on the page number, empty pages only the header and end record.
std::vector<uint8_t> A4PagePicture(int pageNumber, bool drawn = true);

// A page picture of any frame (width x height in 0.01 mm) recorded on a 96-dpi device: a
// black block over the frame but a margin of 5 % of each side.
std::vector<uint8_t> FramedPagePicture(int frameWidth, int frameHeight);
// Writes a report with one such page per frame.
void WriteFramedReport(const QString& path, const std::vector<std::pair<int, int>>& frames);

// Writes a report of `pages` pages to path.
void WriteReport(const QString& path, int pages, bool compressed = false, bool drawn = true);

// A hyperlink area in page picture pixels and its text as the file stores it, one byte per
// character (any byte value).
struct TestLink {
    int Left, Top, Right, Bottom;
    std::string Bytes;
};
// Writes a report with one drawn A4 page per entry, each written with its hyperlinks.
void WriteLinkedReport(const QString& path, const std::vector<std::vector<TestLink>>& pages);

// Writes a one-page report of a picture file (EMF, or placeable WMF) as `qrptool pack` does:
// read through the page picture's stream form, stored as an enhanced metafile. Raises what
// the picture's read raises.
void WritePackedReport(const QString& path, const QString& pictureFile, bool compressed = false);

// Spoils the picture of one page of an uncompressed report file in place: its signature no
// longer reads " EMF", so the page cannot be decoded while the file's links stay intact.
void SpoilPage(const QString& path, int pageNumber);

// A report file assembled byte by byte from page pictures, for files the writer would never
// make: headerPageCount may lie about the pages held, and forwardLinks (one per page, when
// given) replace the true forward links.
std::vector<uint8_t> RawReport(const std::vector<std::vector<uint8_t>>& pictures, int32_t headerPageCount,
                               const std::vector<int32_t>& forwardLinks = {});

// The whole file.
std::vector<uint8_t> ReadAll(const QString& path);
void WriteAll(const QString& path, const std::vector<uint8_t>& bytes);

}  // namespace qrp::testing
