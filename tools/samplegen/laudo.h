// The bundled sample report: a three-page laboratory exam report ("laudo") with patient
// data, result tables with reference ranges, notes and a signature, as page pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace samplegen {

// The pictures of the report's pages, in order.
std::vector<std::vector<uint8_t>> LaudoPages();

// The report file of those pages written through a report stream with AddPage and Finish.
// Only the header's date (bytes 16..23) depends on when it runs.
std::vector<uint8_t> LaudoReport(bool compressed);

}  // namespace samplegen
