// The printer device-mode record, laid out as the platform's DEVMODEW (220 bytes), with its
// dmFields bits and value codes, and the movable block a printer object keeps it in.
#pragma once

#include <cstdint>
#include <memory>

namespace qrp {

// dmFields bits: which members a device mode carries.
constexpr uint32_t DM_ORIENTATION = 0x00000001;
constexpr uint32_t DM_PAPERSIZE = 0x00000002;
constexpr uint32_t DM_PAPERLENGTH = 0x00000004;
constexpr uint32_t DM_PAPERWIDTH = 0x00000008;
constexpr uint32_t DM_SCALE = 0x00000010;
constexpr uint32_t DM_COPIES = 0x00000100;
constexpr uint32_t DM_DEFAULTSOURCE = 0x00000200;
constexpr uint32_t DM_PRINTQUALITY = 0x00000400;
constexpr uint32_t DM_COLOR = 0x00000800;
constexpr uint32_t DM_DUPLEX = 0x00001000;
constexpr uint32_t DM_YRESOLUTION = 0x00002000;
constexpr uint32_t DM_COLLATE = 0x00008000;
constexpr uint32_t DM_FORMNAME = 0x00010000;

constexpr int16_t DMORIENT_PORTRAIT = 1;
constexpr int16_t DMORIENT_LANDSCAPE = 2;

constexpr int16_t DMPAPER_LETTER = 1;
constexpr int16_t DMPAPER_A4 = 9;
constexpr int16_t DMPAPER_USER = 256;

constexpr int16_t DMBIN_UPPER = 1;
constexpr int16_t DMBIN_ONLYONE = 1;
constexpr int16_t DMBIN_LOWER = 2;
constexpr int16_t DMBIN_MIDDLE = 3;
constexpr int16_t DMBIN_MANUAL = 4;
constexpr int16_t DMBIN_ENVELOPE = 5;
constexpr int16_t DMBIN_ENVMANUAL = 6;
constexpr int16_t DMBIN_AUTO = 7;
constexpr int16_t DMBIN_TRACTOR = 8;
constexpr int16_t DMBIN_SMALLFMT = 9;
constexpr int16_t DMBIN_LARGEFMT = 10;
constexpr int16_t DMBIN_LARGECAPACITY = 11;
constexpr int16_t DMBIN_CASSETTE = 14;
constexpr int16_t DMBIN_FORMSOURCE = 15;
constexpr int16_t DMBIN_USER = 256;

constexpr int16_t DMDUP_SIMPLEX = 1;
constexpr int16_t DMDUP_VERTICAL = 2;    // two-sided, long-edge binding
constexpr int16_t DMDUP_HORIZONTAL = 3;  // two-sided, short-edge binding

constexpr int16_t DMCOLOR_MONOCHROME = 1;
constexpr int16_t DMCOLOR_COLOR = 2;

constexpr int16_t DMCOLLATE_FALSE = 0;
constexpr int16_t DMCOLLATE_TRUE = 1;

struct DEVMODEW {
    char16_t dmDeviceName[32];
    uint16_t dmSpecVersion;
    uint16_t dmDriverVersion;
    uint16_t dmSize;
    uint16_t dmDriverExtra;
    uint32_t dmFields;
    int16_t dmOrientation;
    int16_t dmPaperSize;
    int16_t dmPaperLength;  // 0.1 mm
    int16_t dmPaperWidth;   // 0.1 mm
    int16_t dmScale;
    int16_t dmCopies;
    int16_t dmDefaultSource;
    int16_t dmPrintQuality;  // positive: horizontal dots per inch
    int16_t dmColor;
    int16_t dmDuplex;
    int16_t dmYResolution;
    int16_t dmTTOption;
    int16_t dmCollate;
    char16_t dmFormName[32];
    uint16_t dmLogPixels;
    uint32_t dmBitsPerPel;
    uint32_t dmPelsWidth;
    uint32_t dmPelsHeight;
    uint32_t dmDisplayFlags;
    uint32_t dmDisplayFrequency;
    uint32_t dmICMMethod;
    uint32_t dmICMIntent;
    uint32_t dmMediaType;
    uint32_t dmDitherType;
    uint32_t dmReserved1;
    uint32_t dmReserved2;
    uint32_t dmPanningWidth;
    uint32_t dmPanningHeight;
};
static_assert(sizeof(DEVMODEW) == 220, "DEVMODEW must keep the platform's layout");

// A zeroed record with dmSize, dmSpecVersion and the device name (cut to 31 characters).
DEVMODEW MakeDevMode(const char16_t* deviceName);

// The movable memory block holding a printer object's device mode. GlobalLock gives its
// address (the address stays valid while the block lives); GlobalUnlock ends a lock.
// A printer object owns its block; GetPrinter hands out the handle, not a copy.
struct TDeviceModeBlock {
    DEVMODEW DevMode{};
    int LockCount = 0;
};
using HDEVMODE = TDeviceModeBlock*;

// nullptr for an empty handle.
DEVMODEW* GlobalLock(HDEVMODE block);
// False when the block was not locked.
bool GlobalUnlock(HDEVMODE block);

}  // namespace qrp
