// The screen's resolution as the picture sizes need it. The file store has no GUI of its
// own: the GUI layer sets the value at start-up; until then it is 96 pixels per inch.
#pragma once

#include <cstdint>

namespace qrp {

// The screen's LOGPIXELSY.
int32_t ScreenPixelsPerInchY();
// Sets it; values below 1 are ignored.
void SetScreenPixelsPerInchY(int32_t pixelsPerInch);

}  // namespace qrp
