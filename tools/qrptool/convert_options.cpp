#include "tools/qrptool/convert_options.h"

#include <charconv>

namespace qrptool {

namespace {

std::optional<int> ParseInt(const std::string& text, int low, int high)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high) return std::nullopt;
    return value;
}

}  // namespace

std::optional<std::string> ParseConvertOptions(const std::vector<std::string>& args, ConvertOptions& o)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.empty() || arg[0] != '-' || arg == "-") {
            o.inputs.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        // Options with a value: "-o DIR", "--output DIR", "--output=DIR", "-j2", "--jobs=2".
        std::string name = arg;
        std::optional<std::string> value;
        if (const size_t equals = arg.find('='); arg.starts_with("--") && equals != std::string::npos) {
            name = arg.substr(0, equals);
            value = arg.substr(equals + 1);
        } else if ((arg.starts_with("-j") || arg.starts_with("-o")) && arg.size() > 2) {
            name = arg.substr(0, 2);
            value = arg.substr(2);
        }
        const bool takesValue = name == "-o" || name == "--output" || name == "--format" || name == "-j" ||
                                name == "--jobs" || name == "--dpi" || name == "--log" || name == "--shard" ||
                                name == "--text";
        if (name == "--force" && !value) {
            o.force = true;
            continue;
        }
        if (name == "--pdfa" && !value) {
            o.pdfa = true;
            continue;
        }
        if (!takesValue) return "unknown option '" + arg + "'";
        if (!value) {
            if (i + 1 >= args.size()) return "option " + name + " needs a value";
            value = args[++i];
        }
        if (name == "-o" || name == "--output") {
            if (value->empty()) return "option " + name + " needs a folder";
            o.outputDir = *value;
        } else if (name == "--format") {
            if (*value == "pdf") {
                o.format = ConvertFormat::kPdf;
            } else if (*value == "png") {
                o.format = ConvertFormat::kPng;
            } else {
                return "unknown format '" + *value + "' (pdf or png)";
            }
        } else if (name == "--text") {
            const auto mode = qrp::render::ParseTextMode(*value);
            if (!mode) return "unknown text mode '" + *value + "' (gdi or smooth)";
            o.text = *mode;
            o.textGiven = true;
        } else if (name == "--log") {
            if (value->empty()) return "option --log needs a file name";
            o.logFile = *value;
        } else if (name == "--shard") {
            // K/N: shard K (from 0) of N.
            const size_t slash = value->find('/');
            const auto count = slash == std::string::npos ? std::nullopt : ParseInt(value->substr(slash + 1), 1, kMaxShards);
            const auto index = count ? ParseInt(value->substr(0, slash), 0, *count - 1) : std::nullopt;
            if (!index) return "--shard needs K/N with N from 1 to " + std::to_string(kMaxShards) + " and K from 0 to N-1, not '" + *value + "'";
            o.shardIndex = static_cast<uint32_t>(*index);
            o.shardCount = static_cast<uint32_t>(*count);
        } else if (name == "-j" || name == "--jobs") {
            const auto jobs = ParseInt(*value, 1, kMaxJobs);
            if (!jobs) return "the number of jobs must be from 1 to " + std::to_string(kMaxJobs) + ", not '" + *value + "'";
            o.jobs = *jobs;
        } else {
            const auto dpi = ParseInt(*value, kMinDpi, kMaxDpi);
            if (!dpi) {
                return "the resolution must be from " + std::to_string(kMinDpi) + " to " + std::to_string(kMaxDpi) +
                       " dpi, not '" + *value + "'";
            }
            o.dpi = *dpi;
        }
    }
    if (o.inputs.empty()) return "no input: name report files or folders";
    if (o.outputDir.empty()) return "no output folder: give -o OUTDIR";
    if (o.pdfa && o.format != ConvertFormat::kPdf) return "--pdfa makes PDF files: it cannot go with --format png";
    if (o.textGiven && o.format != ConvertFormat::kPng) return "--text draws PNG pages: it needs --format png";
    return std::nullopt;
}

}  // namespace qrptool
