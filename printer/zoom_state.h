// How a preview's zoom was last set; a report layout names the one a preview starts with.
#pragma once

#include <cstdint>

namespace qrp {

enum TQRZoomState : uint8_t { qrZoomToFit, qrZoomToWidth, qrZoomOther, qrZoom100 };

}  // namespace qrp
