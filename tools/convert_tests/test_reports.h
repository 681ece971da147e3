// Report files for the convert tests, written with the project's own writers: pages drawn
// by EmfWriter, stored by TQRPageList.
#pragma once

#include "emf/header.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qrptool::test {

struct PageSpec {
    qrp::emf::RectL frame{0, 0, 21000, 29700};  // 0.01 mm, inclusive
    std::u16string text = u"Hemograma completo";
};

// Writes a report of the given pages (plain or compressed) to path.
void WriteReport(const std::filesystem::path& path, const std::vector<PageSpec>& pages, bool compressed = false);
// A report of count A4 portrait pages.
void WriteA4Report(const std::filesystem::path& path, int count, bool compressed = false);

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

}  // namespace qrptool::test
