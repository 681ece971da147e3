#include "tools/qrptool/report_inputs.h"

#include "base/exceptions.h"
#include "base/file_system.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <utility>

namespace qrptool {

namespace fs = std::filesystem;

namespace {

std::string Lowercase(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// relative: the report's path below the folder named on the command line, or its name.
ReportInput Input(const fs::path& path, const fs::path& relative, std::string error = {})
{
    fs::path stem = relative;
    stem.replace_extension();
    return ReportInput{path, relative.generic_string(), stem.generic_string(), std::move(error)};
}

// The report files below folder, in path order; a folder that cannot be read becomes an
// input with its error, and the walk goes on with the others. Links to folders are not
// followed, so a link loop cannot trap the walk; a link to a file is taken when the file is
// a regular one.
void CollectFolder(const fs::path& folder, const fs::path& relative, std::vector<ReportInput>& out)
{
    std::vector<qrp::FolderEntry> entries;
    int error = 0;
    const bool complete = qrp::ListFolder(folder.string(), entries, &error);
    if (!complete && entries.empty()) {
        out.push_back(Input(folder, relative, "cannot read the folder: " + qrp::SystemErrorText(error)));
        return;
    }
    for (const qrp::FolderEntry& entry : entries) {
        const fs::path path = folder / entry.name;
        if (entry.kind == qrp::FileKind::kDirectory) {
            CollectFolder(path, relative / entry.name, out);
        } else if (HasReportExtension(entry.name) &&
                   (entry.kind == qrp::FileKind::kRegular ||
                    (entry.kind == qrp::FileKind::kLink && qrp::StatusOf(path.string()).kind == qrp::FileKind::kRegular))) {
            out.push_back(Input(path, relative / entry.name));
        }
    }
    if (!complete) out.push_back(Input(folder, relative, "cannot read the folder: " + qrp::SystemErrorText(error)));
}

}  // namespace

bool HasReportExtension(const fs::path& path) { return Lowercase(path.extension().string()) == ".qrp"; }

std::vector<ReportInput> CollectReportInputs(const std::vector<std::string>& arguments)
{
    std::vector<ReportInput> collected;
    for (const std::string& argument : arguments) {
        const fs::path path(argument);
        const qrp::FileStatus status = qrp::StatusOf(argument);
        if (status.kind == qrp::FileKind::kMissing) {
            collected.push_back(Input(path, path.filename(), "no such file or folder"));
        } else if (status.kind == qrp::FileKind::kDirectory) {
            CollectFolder(path, fs::path(), collected);
        } else if (status.kind != qrp::FileKind::kRegular) {
            collected.push_back(Input(path, path.filename(), "not a regular file"));
        } else {
            collected.push_back(Input(path, path.filename()));
        }
    }

    // The same file reached twice (named and inside a folder, through two names or two
    // hard links).
    std::vector<ReportInput> inputs;
    std::set<std::pair<uint64_t, uint64_t>> seenFiles;
    std::map<std::string, fs::path> ownerOfStem;
    for (ReportInput& input : collected) {
        if (input.error.empty()) {
            const qrp::FileStatus status = qrp::StatusOf(input.path.string());
            if (status.kind != qrp::FileKind::kMissing &&
                !seenFiles.insert({status.identity.volume, status.identity.index}).second)
                continue;
            auto [owner, isNew] = ownerOfStem.emplace(input.outputStem, input.path);
            if (!isNew) input.error = "same output name as " + owner->second.string();
        }
        inputs.push_back(std::move(input));
    }
    return inputs;
}

uint32_t ShardOf(const ReportInput& input, uint32_t count)
{
    // 64-bit FNV-1a of the relative path's bytes.
    uint64_t hash = 0xcbf29ce484222325u;
    for (const unsigned char c : input.relative) {
        hash ^= c;
        hash *= 0x100000001b3u;
    }
    return count == 0 ? 0 : static_cast<uint32_t>(hash % count);
}

}  // namespace qrptool
