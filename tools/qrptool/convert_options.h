// The options of `qrptool convert`.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qrptool {

enum class ConvertFormat { kPdf, kPng };

struct ConvertOptions {
    std::vector<std::string> inputs;
    std::string outputDir;
    ConvertFormat format = ConvertFormat::kPdf;
    int jobs = 1;
    int dpi = 150;  // PNG pages
    bool force = false;
};

constexpr int kMaxJobs = 64;
constexpr int kMinDpi = 10;
constexpr int kMaxDpi = 1200;

// INPUT... -o OUTDIR [--format pdf|png] [-j N] [--dpi N] [--force]; the error message of
// the first bad argument, or std::nullopt.
std::optional<std::string> ParseConvertOptions(const std::vector<std::string>& args, ConvertOptions& options);

}  // namespace qrptool
