// Test material for the report file store: page pictures from the EMF writer and report
// files written through the page list.
#pragma once

#include "base/stream.h"
#include "reportfile/metafile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qrp::testing {

// An A4 page picture with a few rectangles and a line of text that depend on pageNumber;
// extraRecords adds that many rectangles to make it longer.
std::vector<uint8_t> PagePicture(int pageNumber, int extraRecords = 0);
TMetafile PageMetafile(int pageNumber, int extraRecords = 0);

// A report of `pages` pages written with AddPage (or AddPageEx with `links` hyperlinks on
// every page) and Finish, as bytes.
std::vector<uint8_t> ReportBytes(int pages, bool compressed, int links = -1);

// A scratch folder removed with its content when the object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "/" + name; }
    // Names of the entries in the folder.
    std::vector<std::string> Entries() const;

private:
    std::string FPath;
};

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadFile(const std::string& path);

}  // namespace qrp::testing
