// The report files named on a command line: files as given, folders searched recursively
// for names ending in .qrp (in any case). Each report gets the output name it converts to:
// a report found in a folder keeps its place in the folder's tree.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qrptool {

struct ReportInput {
    std::filesystem::path path;   // as found (the argument, or a folder joined with a name)
    std::string relative;         // below the folder named (2019/03/laudo.QRP), or the file name
    std::string outputStem;       // relative without its extension: 2019/03/laudo
    std::string error;            // why it cannot be converted at all; empty when it can
};

// Whether a file name ends in .qrp, in any case.
bool HasReportExtension(const std::filesystem::path& path);

// Files named directly are taken whatever their extension; folders give their report
// files in name order, without following links to folders. A path that does not exist or
// a folder that cannot be read is returned with its error. The same file named twice is
// taken once; two reports that would give the same output name keep the first in order,
// and the others carry an error naming it.
std::vector<ReportInput> CollectReportInputs(const std::vector<std::string>& arguments);

// The shard (0 to count - 1) a report belongs to: a hash of its relative path that is the
// same on every machine and in every run, so independent processes split an archive
// without talking to each other.
uint32_t ShardOf(const ReportInput& input, uint32_t count);

}  // namespace qrptool
