#include "platform/devmode.h"

namespace qrp {

DEVMODEW MakeDevMode(const char16_t* deviceName)
{
    DEVMODEW dm{};
    dm.dmSpecVersion = 0x0401;
    dm.dmSize = sizeof(DEVMODEW);
    if (deviceName) {
        for (int i = 0; i < 31 && deviceName[i]; ++i) dm.dmDeviceName[i] = deviceName[i];
    }
    return dm;
}

DEVMODEW* GlobalLock(HDEVMODE block)
{
    if (!block) return nullptr;
    ++block->LockCount;
    return &block->DevMode;
}

bool GlobalUnlock(HDEVMODE block)
{
    if (!block || block->LockCount <= 0) return false;
    --block->LockCount;
    return true;
}

}  // namespace qrp
