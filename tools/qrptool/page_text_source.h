// The text of report pages for `qrptool text` and `qrptool grep`: pictures played without
// rasterising, their runs put in reading order.
#pragma once

#include "render/page_text.h"

#include <string>

namespace qrptool {

// Folds the text of a line the way `-i` searches it.
QString LineForSearch(const QString& line, bool ignoreCase);

// Decimal text of a number in C notation, with at most two decimals.
std::string Millimetres(double value);

}  // namespace qrptool
