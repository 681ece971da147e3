// Between the device-mode record and a QPrinter: a QPrinter set up from a device mode, and
// the measures GetDeviceCaps answers for it.
#pragma once

#include "platform/devmode.h"
#include "platform/device_context.h"

#include <QPageSize>

class QPrinter;
class QPrinterInfo;

namespace qrp {

// The page size a device mode asks for: its paper code when Qt knows it, else its paper
// width and length, else the printer's default page size.
QPageSize PageSizeOf(const DEVMODEW& devMode, const QPrinterInfo& info);

// Paper, orientation, copies and collation, duplex, colour and resolution from the fields
// dmFields carries; the paper is laid out full page.
void ConfigurePrinter(QPrinter& printer, const QPrinterInfo& info, const DEVMODEW& devMode);

// Resolution, sheet and printable area of the configured printer in device pixels; the
// offsets are the device's own unprintable margins.
TDeviceCaps CapsOfPrinter(const QPrinter& printer);

// The Windows paper code of a page size: its windowsId, or DMPAPER_USER without one.
int16_t PaperCodeOf(const QPageSize& size);

}  // namespace qrp
