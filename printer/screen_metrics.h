// The screen's logical pixels per inch: the one place the screen resolution is known. Its
// readers pass it down: the report printer to its page-measure factors on every load, the
// page image to TMetafile::Width/Height of placeable pictures for its hyperlink areas.
// Works without a display: no GUI application or no screen gives 96.
#pragma once

namespace qrp {

int ScreenPixelsPerInch();

// Replaces the screen's answer (tests); 0 returns to the screen.
void SetScreenPixelsPerInchOverride(int pixelsPerInch);

}  // namespace qrp
