// Advance widths of the three faces the sample report uses, in 1/1000 em, for laying out
// text runs with dx arrays as a report generator measures them on its printer.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace samplegen {

enum class Face { Arial, TimesNewRoman, CourierNew };

// Width of one character; accented Latin letters take their base letter's width.
int32_t AdvanceWidth(Face face, char16_t c);

// The dx array of a run at the given em size (logical units): cumulative positions are
// rounded, so the run's total width keeps no rounding drift.
std::vector<int32_t> RunAdvances(Face face, std::u16string_view text, int32_t emSize);
int32_t RunWidth(Face face, std::u16string_view text, int32_t emSize);

}  // namespace samplegen
