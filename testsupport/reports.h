// Report files for tests, written through the page list as the recording system writes
// them, or assembled byte by byte for files it would never write.
#pragma once

#include "testsupport/pictures.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qrp::testsupport {

// A report holding the pictures (EMF bytes), one page each, written with AddPage and Finish.
std::vector<uint8_t> ReportBytes(const std::vector<std::vector<uint8_t>>& pictures, bool compressed = false);
void WriteReport(const std::filesystem::path& path, const std::vector<std::vector<uint8_t>>& pictures,
                 bool compressed = false);

// `pages` numbered pages (page p with p % 3 extra records), written with AddPage, or with
// AddPageEx and `links` hyperlinks on every page when links is not negative.
std::vector<uint8_t> NumberedReportBytes(int pages, bool compressed, int links = -1);

// Framed pages, one per frame, or `pages` A4 ones.
std::vector<uint8_t> FramedReportBytes(const std::vector<PageFrame>& frames);
std::vector<uint8_t> FramedReportBytes(int pages);
void WriteFramedReport(const std::filesystem::path& path, const std::vector<PageFrame>& frames);

// `pages` banded A4 pages.
void WriteBandedReport(const std::filesystem::path& path, int pages, bool compressed = false, bool drawn = true);

// One text page per entry.
void WriteTextReport(const std::filesystem::path& path, const std::vector<TestTextPage>& pages);

// A hyperlink area in page picture pixels and its text as the file stores it, one byte per
// character (any byte value).
struct TestLink {
    int Left, Top, Right, Bottom;
    std::string Bytes;
};
// Writes a report with one banded A4 page per entry, each written with its hyperlinks.
void WriteLinkedReport(const std::filesystem::path& path, const std::vector<std::vector<TestLink>>& pages);

// Labelled pages, or `count` A4 portrait ones reading "Página 1", "Página 2"...
void WriteLabelledReport(const std::filesystem::path& path, const std::vector<LabelledPage>& pages,
                         bool compressed = false);
void WriteLabelledA4Report(const std::filesystem::path& path, int count, bool compressed = false);

// A one-page report of a picture file (EMF, or placeable WMF) as `qrptool pack` makes it:
// read through the page picture's stream form, stored as an enhanced metafile. Raises what
// the picture's read raises.
void WritePackedReport(const std::filesystem::path& path, const std::filesystem::path& pictureFile,
                       bool compressed = false);

// A report file assembled byte by byte from page pictures: headerPageCount may lie about the
// pages held, and forwardLinks (one per page, when given) replace the true forward links.
std::vector<uint8_t> RawReport(const std::vector<std::vector<uint8_t>>& pictures, int32_t headerPageCount,
                               const std::vector<int32_t>& forwardLinks = {});

// Spoils the picture of one page (from 1) of an uncompressed report: its signature reads
// "XEMF" instead of " EMF", so the page cannot be decoded while the file's links stay intact
// and a probe for "EMF" still finds one. Throws std::runtime_error when there is no such page.
void SpoilPage(std::vector<uint8_t>& report, int pageNumber);
void SpoilPageInFile(const std::filesystem::path& path, int pageNumber);
// The report with that page spoiled.
std::vector<uint8_t> Spoiled(std::vector<uint8_t> report, int pageNumber);

}  // namespace qrp::testsupport
