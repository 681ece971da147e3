// The conversion log: one JSON line per report appended to a file, so that an archive's
// conversion can be audited and resumed. Several workers and several processes may append
// to one log; each line is written whole by one write.
#pragma once

#include "base/file_system.h"
#include "tools/qrptool/report_converter.h"
#include "tools/qrptool/report_inputs.h"

#include <mutex>
#include <stdexcept>
#include <string>

namespace qrptool {

class ConvertLogError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ConvertLog {
public:
    // Opens path for appending, made when missing. Throws ConvertLogError when it cannot be
    // opened or is not a regular file.
    explicit ConvertLog(const std::string& path);
    ~ConvertLog();
    ConvertLog(const ConvertLog&) = delete;
    ConvertLog& operator=(const ConvertLog&) = delete;

    // Appends the report's line; false when it could not be written.
    bool Write(const ReportInput& input, const ConvertOutcome& outcome);

private:
    qrp::FileHandle FFile = qrp::kNoFile;
    std::mutex FMutex;
};

// The line for one report (without its newline): input, output, pages, status (converted,
// skipped-exists, refused), reason, ms and, per page the player did not play cleanly, the
// skipped records with their type, offset and reason.
std::string ConvertLogLine(const ReportInput& input, const ConvertOutcome& outcome);

// text as a JSON string, quotes included; bytes that are not UTF-8 become U+FFFD.
std::string JsonString(std::string_view text);

}  // namespace qrptool
