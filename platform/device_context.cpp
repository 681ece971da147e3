#include "platform/device_context.h"

namespace qrp {

int TDeviceCaps::Get(int index) const
{
    switch (index) {
    case HORZRES: return HorzRes;
    case VERTRES: return VertRes;
    case LOGPIXELSX: return LogPixelsX;
    case LOGPIXELSY: return LogPixelsY;
    case PHYSICALWIDTH: return PhysicalWidth;
    case PHYSICALHEIGHT: return PhysicalHeight;
    case PHYSICALOFFSETX: return PhysicalOffsetX;
    case PHYSICALOFFSETY: return PhysicalOffsetY;
    default: return 0;
    }
}

int GetDeviceCaps(HDC dc, int index)
{
    return dc ? dc->Caps().Get(index) : 0;
}

}  // namespace qrp
