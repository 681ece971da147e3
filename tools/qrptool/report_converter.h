// Converts one report file into its outputs: OUTDIR/NAME.pdf, or OUTDIR/NAME-1.png,
// NAME-2.png, ... Every output is written atomically and an existing one is replaced only
// when asked to.
#pragma once

#include "tools/qrptool/convert_options.h"
#include "tools/qrptool/report_inputs.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace qrptool {

struct ConvertOutcome {
    bool converted = false;
    int pages = 0;
    bool interrupted = false;  // stopped by the cancel flag before it was done
    std::string reason;        // why the report was skipped
};

// The outputs a report of pageCount pages gives (the PDF needs no page count).
std::vector<std::filesystem::path> OutputPaths(const ReportInput& input, const ConvertOptions& options,
                                               int pageCount);

// Loads, checks and converts one report; never throws. A set cancel flag stops the work
// between pages and leaves no output behind.
ConvertOutcome ConvertReport(const ReportInput& input, const ConvertOptions& options,
                             const std::atomic<bool>& cancel);

}  // namespace qrptool
