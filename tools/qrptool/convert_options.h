// The options of `qrptool convert`.
#pragma once

#include "render/text_mode.h"

#include <cstdint>
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
    qrp::render::TextMode text = qrp::render::TextMode::kSmooth;  // PNG pages
    bool textGiven = false;
    bool force = false;
    bool pdfa = false;          // PDF/A-1b
    std::string logFile;        // one JSON line per report appended; empty: none
    uint32_t shardIndex = 0;    // convert only the reports of shard shardIndex of shardCount
    uint32_t shardCount = 1;
};

constexpr int kMaxJobs = 64;
constexpr int kMinDpi = 10;
constexpr int kMaxDpi = 1200;
constexpr int kMaxShards = 1000000;

// INPUT... -o OUTDIR [--format pdf|png] [--pdfa] [-j N] [--dpi N] [--text gdi|smooth]
// [--force] [--log FILE] [--shard K/N]; the error message of the first bad argument, or
// std::nullopt.
std::optional<std::string> ParseConvertOptions(const std::vector<std::string>& args, ConvertOptions& options);

}  // namespace qrptool
