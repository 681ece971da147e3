#include "tools/qrptool/convert_log.h"

#include "base/exceptions.h"
#include "base/file_system.h"

#include <cmath>
#include <cstdio>

namespace qrptool {

namespace {

// Length of the UTF-8 sequence at text[i], or 0 when it is not one.
size_t Utf8Length(std::string_view text, size_t i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    size_t length = 0;
    uint32_t code = 0;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) { length = 2; code = c & 0x1F; }
    else if ((c & 0xF0) == 0xE0) { length = 3; code = c & 0x0F; }
    else if ((c & 0xF8) == 0xF0) { length = 4; code = c & 0x07; }
    else return 0;
    if (i + length > text.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        code = (code << 6) | (byte(i + k) & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
    return length;
}

const char* StatusOf(const ConvertOutcome& outcome)
{
    if (outcome.converted) return "converted";
    if (outcome.exists) return "skipped-exists";
    return "refused";
}

}  // namespace

std::string JsonString(std::string_view text)
{
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const char c = text[i];
        const size_t length = Utf8Length(text, i);
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        if (length > 1) {
            out.append(text.substr(i, length));
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned char>(c));
            out += escape;
        } else {
            out += c;
        }
        i += length;
    }
    return out + "\"";
}

std::string ConvertLogLine(const ReportInput& input, const ConvertOutcome& outcome)
{
    std::string line = "{\"input\":" + JsonString(input.path.string());
    line += ",\"output\":" + (outcome.outputs.empty() ? std::string("null") : JsonString(outcome.outputs.front().string()));
    line += ",\"pages\":" + std::to_string(outcome.pages);
    line += ",\"status\":\"" + std::string(StatusOf(outcome)) + "\"";
    line += ",\"reason\":" + (outcome.converted ? std::string("null") : JsonString(outcome.reason));
    line += ",\"ms\":" + std::to_string(std::llround(outcome.milliseconds));
    line += ",\"damage\":[";
    for (size_t p = 0; p < outcome.damage.size(); ++p) {
        const PageDamage& page = outcome.damage[p];
        if (p > 0) line += ',';
        line += "{\"page\":" + std::to_string(page.page) + ",\"skipped\":" + std::to_string(page.stats.skipped) +
                ",\"records\":[";
        for (size_t r = 0; r < page.stats.skips.size(); ++r) {
            const qrp::render::SkippedRecord& skip = page.stats.skips[r];
            if (r > 0) line += ',';
            line += "{\"type\":" + JsonString(qrp::render::RecordTypeName(skip.type)) +
                    ",\"number\":" + std::to_string(skip.type) + ",\"offset\":" + std::to_string(skip.offset) +
                    ",\"reason\":" + JsonString(skip.reason) + "}";
        }
        line += "]}";
    }
    return line + "]}";
}

ConvertLog::ConvertLog(const std::string& path)
{
    try {
        FFile = qrp::OpenForAppending(path);
    } catch (const qrp::Exception& e) {
        throw ConvertLogError(std::string("the log: ") + e.what());
    }
}

ConvertLog::~ConvertLog() { qrp::CloseFile(FFile); }

bool ConvertLog::Write(const ReportInput& input, const ConvertOutcome& outcome)
{
    const std::string line = ConvertLogLine(input, outcome) + "\n";
    const std::lock_guard lock(FMutex);
    const auto size = static_cast<int64_t>(line.size());
    return qrp::Append(FFile, line.data(), size) == size;
}

}  // namespace qrptool
