// Converts one report file into its outputs: OUTDIR/REL/NAME.pdf, or OUTDIR/REL/NAME-1.png,
// NAME-2.png, ..., REL being the report's folder below the folder named on the command line.
// Every output is written atomically and an existing one is replaced only when asked to.
#pragma once

#include "tools/qrptool/convert_options.h"
#include "tools/qrptool/report_inputs.h"

#include "render/play.h"

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

namespace qrptool {

// What the player skipped on one page.
struct PageDamage {
    int page = 0;
    qrp::render::PlayStats stats;
};

struct ConvertOutcome {
    bool converted = false;
    bool exists = false;       // every output was already there: nothing to do
    int pages = 0;
    bool interrupted = false;  // stopped by the cancel flag before it was done
    std::string reason;        // why the report was skipped
    std::vector<std::filesystem::path> outputs;
    std::vector<PageDamage> damage;  // pages the player did not play cleanly
    double milliseconds = 0;
};

// The outputs a report of pageCount pages gives (the PDF needs no page count).
std::vector<std::filesystem::path> OutputPaths(const ReportInput& input, const ConvertOptions& options,
                                               int pageCount);

// Loads, checks and converts one report; never throws. A set cancel flag stops the work
// between pages and leaves no output behind.
ConvertOutcome ConvertReport(const ReportInput& input, const ConvertOptions& options,
                             const std::atomic<bool>& cancel);

}  // namespace qrptool
