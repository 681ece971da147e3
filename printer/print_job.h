// One print job of a report printer: the settings go into the device, one document is
// opened, every page of the range is drawn undistorted on a sheet of its own orientation,
// and the job always ends with no document left open and no progress window left over.
#pragma once

#include "base/rect.h"

namespace qrp {

class TMetafile;
class TQRPrinter;

// Runs TQRPrinter::Print. Returns silently without a finished report or when no printer was
// installed when the report printer was made; raises the failures of the device and of the
// pages after the clean-up.
void RunPrintJob(TQRPrinter& printer);

// The device's current sheet as a device rectangle: the whole physical sheet in the
// orientation it lies now, or the printable area without a layout.
TRect PageRectangle(TQRPrinter& printer);
// The device rectangle a page picture is drawn into: fitted to the whole current sheet with
// its frame's aspect kept and centred; stretched over the printable area without a layout.
TRect PictureRectangle(TQRPrinter& printer, const TMetafile& picture);

}  // namespace qrp
