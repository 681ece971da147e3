// The screen's logical pixels per inch, as the report printer converts page measures for the
// preview. Works without a display: no GUI application or no screen gives 96.
#pragma once

namespace qrp {

int ScreenPixelsPerInch();

// Replaces the screen's answer (tests); 0 returns to the screen.
void SetScreenPixelsPerInchOverride(int pixelsPerInch);

}  // namespace qrp
