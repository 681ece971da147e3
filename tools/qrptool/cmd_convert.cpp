// qrptool convert: many reports (files and folders) to one PDF per report or PNG pages,
// in parallel, with a summary of what was skipped and why.
#include "tools/qrptool/command.h"
#include "tools/qrptool/convert_log.h"
#include "tools/qrptool/convert_options.h"
#include "tools/qrptool/progress_bar.h"
#include "tools/qrptool/qt_start.h"
#include "tools/qrptool/report_converter.h"
#include "tools/qrptool/report_inputs.h"

#include "base/exceptions.h"
#include "base/file_system.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace qrptool {


extern const Command kConvertCommand;

namespace {

constexpr int kExitInterrupted = 130;

std::atomic<bool> gCancel{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnInterrupt(int) { gCancel = true; }

// Ctrl+C ends the conversion after the pages being drawn; outputs in progress are removed.
class InterruptGuard {
public:
    InterruptGuard()
    {
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;  // a second Ctrl+C ends the process at once
        sigaction(SIGINT, &action, &FOldInt);
        sigaction(SIGTERM, &action, &FOldTerm);
    }
    ~InterruptGuard()
    {
        sigaction(SIGINT, &FOldInt, nullptr);
        sigaction(SIGTERM, &FOldTerm, nullptr);
    }

private:
    struct sigaction FOldInt {};
    struct sigaction FOldTerm {};
};

int RunConvert(const std::vector<std::string>& args)
{
    ConvertOptions options;
    if (const auto error = ParseConvertOptions(args, options)) return UsageError(kConvertCommand, *error);

    try {
        qrp::CreateFolders(options.outputDir);
    } catch (const std::exception& e) {
        std::cerr << "qrptool convert: cannot make the output folder: " << e.what() << "\n";
        return kExitUsage;
    }

    // Output names are settled over the whole archive, then the shard takes its part: every
    // shard process sees the same names.
    std::vector<ReportInput> inputs = CollectReportInputs(options.inputs);
    const size_t total = inputs.size();
    if (options.shardCount > 1) {
        std::erase_if(inputs, [&](const ReportInput& in) { return ShardOf(in, options.shardCount) != options.shardIndex; });
    }
    if (inputs.empty()) {
        std::cerr << "qrptool convert: no report files found" << (total > 0 ? " in this shard" : "") << "\n";
        return kExitOk;
    }

    std::unique_ptr<ConvertLog> log;
    if (!options.logFile.empty()) {
        for (const ReportInput& in : inputs) {
            if (qrp::SameFile(in.path.string(), options.logFile)) {
                std::cerr << "qrptool convert: " << options.logFile << ": the log would overwrite an input\n";
                return kExitUsage;
            }
        }
        try {
            log = std::make_unique<ConvertLog>(options.logFile);
        } catch (const ConvertLogError& e) {
            std::cerr << "qrptool convert: " << e.what() << "\n";
            return kExitUsage;
        }
    }

    const auto app = StartQt();
    InterruptGuard interruptGuard;
    std::vector<ConvertOutcome> outcomes(inputs.size());
    std::atomic<bool> logFailed{false};
    {
        ProgressBar progress(static_cast<int>(inputs.size()), ProgressBar::StandardErrorIsTerminal());
        std::atomic<size_t> next{0};
        auto work = [&] {
            for (size_t i = next++; i < inputs.size() && !gCancel; i = next++) {
                outcomes[i] = ConvertReport(inputs[i], options, gCancel);
                if (log && !outcomes[i].interrupted && !log->Write(inputs[i], outcomes[i])) logFailed = true;
                progress.Advance(inputs[i].path.filename().string());
            }
        };
        const int workers = std::min<int>(options.jobs, static_cast<int>(inputs.size()));
        std::vector<std::thread> threads;
        for (int w = 1; w < workers; ++w) threads.emplace_back(work);
        work();
        for (std::thread& t : threads) t.join();
    }

    // Reports an interrupt stopped (or that were never started) are counted, not listed.
    int converted = 0;
    int pages = 0;
    int notDone = 0;
    int present = 0;
    std::vector<size_t> skipped;
    for (size_t i = 0; i < inputs.size(); ++i) {
        if (outcomes[i].converted) {
            ++converted;
            pages += outcomes[i].pages;
        } else if (outcomes[i].exists) {
            ++present;
        } else if (outcomes[i].interrupted || outcomes[i].reason.empty()) {
            ++notDone;
        } else {
            skipped.push_back(i);
        }
    }
    std::cout << "Converted " << converted << " of " << inputs.size() << (inputs.size() == 1 ? " report" : " reports")
              << " (" << pages << (pages == 1 ? " page" : " pages") << ") into " << options.outputDir;
    if (options.shardCount > 1) std::cout << ", shard " << options.shardIndex << "/" << options.shardCount << " of " << total;
    std::cout << "\n";
    // Outputs found in place (a run resumed) are neither converted again nor an error.
    if (present > 0) std::cout << present << (present == 1 ? " report was" : " reports were") << " already converted\n";
    std::cout << std::flush;
    if (logFailed) std::cerr << "qrptool convert: " << options.logFile << ": some log lines could not be written\n";
    if (!skipped.empty()) {
        std::cerr << "Skipped " << skipped.size() << ":\n";
        for (size_t i : skipped) std::cerr << "  " << inputs[i].path.string() << ": " << outcomes[i].reason << "\n";
    }
    if (notDone > 0 || gCancel) {
        std::cerr << "Interrupted: " << notDone << (notDone == 1 ? " report" : " reports") << " not converted\n";
        return kExitInterrupted;
    }
    return skipped.empty() && !logFailed ? kExitOk : kExitPartial;
}

}  // namespace

extern const Command kConvertCommand = {
    "convert",
    "convert reports (files, folders) to PDF or PNG pages",
    "Usage: qrptool convert INPUT... -o OUTDIR [--format pdf|png] [--pdfa] [-j N] [--dpi N]\n"
    "                       [--text gdi|smooth] [--force] [--log FILE] [--shard K/N]\n"
    "\n"
    "Converts report files to one PDF per report (OUTDIR/NAME.pdf, each page the size of its\n"
    "picture, text and lines as vectors) or to PNG pages (OUTDIR/NAME-1.png, ...). An INPUT is\n"
    "a report file or a folder, searched recursively for *.QRP and *.qrp; a folder's tree is\n"
    "kept (archive/2019/03/a.QRP gives OUTDIR/2019/03/a.pdf).\n"
    "\n"
    "Options:\n"
    "  -o, --output OUTDIR   folder for the outputs (made when missing)\n"
    "  --format pdf|png      output format (default pdf)\n"
    "  -j, --jobs N          convert N reports at a time (default 1)\n"
    "  --dpi N               resolution of PNG pages (default 150)\n"
    "  --text gdi|smooth     text of PNG pages: smooth, with grey levels and glyphs placed to\n"
    "                        fractions of a pixel (default), or gdi, pixel for pixel as GDI\n"
    "                        draws it without font smoothing\n"
    "  --force               replace outputs that exist, whole or not\n"
    "  --pdfa                PDF/A-1b: fonts embedded, no transparency, XMP metadata\n"
    "  --log FILE            append one JSON line per report to FILE: input, output, pages,\n"
    "                        status (converted, skipped-exists, refused), reason, ms and the\n"
    "                        records the player skipped on each damaged page\n"
    "  --shard K/N           convert only shard K (0 to N-1) of N: a stable hash of each\n"
    "                        report's path below its folder; N processes, on any machines,\n"
    "                        share an archive\n"
    "  -h, --help            show this help\n"
    "\n"
    "Outputs are written to a temporary file in OUTDIR and renamed into place when complete.\n"
    "Whole outputs already there (a PDF from its header to its end-of-file marker, every\n"
    "PNG page from its signature to its end chunk) are kept and counted as already converted,\n"
    "so a second run over an archive converts only what is missing. An output left incomplete\n"
    "(empty, cut short, another kind of file) is converted again and replaced when it is a\n"
    "regular file; a link, folder or device in an output's place refuses the report.\n"
    "Reports that cannot be converted are skipped and listed at the end with the reason.\n"
    "A progress bar runs on standard error when it is a terminal.\n"
    "\n"
    "Exit status: 0 all converted, 1 bad arguments, 3 some reports skipped, 130 interrupted.\n",
    RunConvert,
};

}  // namespace qrptool
