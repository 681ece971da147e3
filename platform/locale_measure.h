// The measurement system of the system's default locale, as LOCALE_IMEASURE gives it.
#pragma once

#include <string>

namespace qrp {

// "1" for the US system, "0" for the metric system.
std::string LocaleMeasure();

}  // namespace qrp
