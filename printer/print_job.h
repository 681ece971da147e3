// One print job of a report printer: the settings go into the device, one document is
// opened, every page of the range is stretched onto its sheet, and the job always ends with
// no document left open and no progress window left over.
#pragma once

#include "base/rect.h"

namespace qrp {

class TQRPrinter;

// Runs TQRPrinter::Print. Returns silently without a finished report or when no printer was
// installed when the report printer was made; raises the failures of the device and of the
// pages after the clean-up.
void RunPrintJob(TQRPrinter& printer);

// The device rectangle a page is stretched into: the layout page's whole sheet, or the
// printable area without a layout.
TRect PageRectangle(TQRPrinter& printer);

}  // namespace qrp
