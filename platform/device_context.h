// Device contexts of a printer: the measures GetDeviceCaps answers for a printer set up from
// a device mode (an information context), and a printing context that also runs a document.
#pragma once

#include <QString>

#include <cstdint>
#include <functional>

class QPainter;

namespace qrp {

// GetDeviceCaps indices.
constexpr int HORZRES = 8;           // printable width, device pixels
constexpr int VERTRES = 10;          // printable height, device pixels
constexpr int LOGPIXELSX = 88;       // dots per inch, horizontal
constexpr int LOGPIXELSY = 90;       // dots per inch, vertical
constexpr int PHYSICALWIDTH = 110;   // sheet width, device pixels
constexpr int PHYSICALHEIGHT = 111;  // sheet height, device pixels
constexpr int PHYSICALOFFSETX = 112; // left unprintable margin, device pixels
constexpr int PHYSICALOFFSETY = 113; // top unprintable margin, device pixels

// The device's measures in the orientation of the device mode it was made from.
struct TDeviceCaps {
    int LogPixelsX = 0;
    int LogPixelsY = 0;
    int PhysicalWidth = 0;
    int PhysicalHeight = 0;
    int PhysicalOffsetX = 0;
    int PhysicalOffsetY = 0;
    int HorzRes = 0;
    int VertRes = 0;

    // The value of a GetDeviceCaps index; 0 for an index not listed above.
    int Get(int index) const;
};

// An information context: a device's measures, no drawing.
class TDeviceContext {
public:
    virtual ~TDeviceContext() = default;
    virtual TDeviceCaps Caps() const = 0;
};

using HDC = const TDeviceContext*;

// GetDeviceCaps(dc, index): 0 for an empty dc or an unknown index.
int GetDeviceCaps(HDC dc, int index);

// How the sheets of a printing context lie.
enum class TSheetOrientation : uint8_t { Portrait, Landscape };

// Called by a printing context while it spools: true to go on, false to abort the job.
using TAbortProc = std::function<bool()>;

// A printer device context that runs one document. Pages are drawn through Painter()
// between StartPage and EndPage, in device pixels with (0, 0) at the corner of the
// printable area. Results follow the platform: > 0 success, <= 0 failure.
class TPrintDeviceContext : public TDeviceContext {
public:
    virtual void SetAbortProc(TAbortProc proc) = 0;
    virtual int StartDoc(const QString& documentName) = 0;
    virtual int StartPage() = 0;
    virtual int EndPage() = 0;
    virtual int EndDoc() = 0;
    virtual int AbortDoc() = 0;
    // Between pages: the sheets from the next StartPage on lie in that orientation, as
    // ResetDC with the device mode's orientation changed; Caps() follow from then on.
    // <= 0 when the device cannot turn its sheets (they keep the orientation they had).
    virtual int ResetOrientation(TSheetOrientation /*orientation*/) { return 0; }
    // The painter of the open document, or nullptr when no document is open.
    virtual QPainter* Painter() = 0;
};

}  // namespace qrp
