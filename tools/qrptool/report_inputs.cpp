#include "tools/qrptool/report_inputs.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <system_error>

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
// followed, so a link loop cannot trap the walk.
void CollectFolder(const fs::path& folder, const fs::path& relative, std::vector<ReportInput>& out)
{
    std::error_code error;
    fs::directory_iterator it(folder, error);
    if (error) {
        out.push_back(Input(folder, relative, "cannot read the folder: " + error.message()));
        return;
    }
    std::vector<fs::directory_entry> entries;
    for (const fs::directory_iterator end; it != end;) {
        entries.push_back(*it);
        it.increment(error);
        if (error) {
            out.push_back(Input(folder, relative, "cannot read the folder: " + error.message()));
            break;
        }
    }
    std::sort(entries.begin(), entries.end(),
              [](const fs::directory_entry& a, const fs::directory_entry& b) { return a.path() < b.path(); });
    for (const fs::directory_entry& entry : entries) {
        std::error_code typeError;
        if (entry.is_directory(typeError) && !entry.is_symlink(typeError)) {
            CollectFolder(entry.path(), relative / entry.path().filename(), out);
        } else if (HasReportExtension(entry.path()) && entry.is_regular_file(typeError)) {
            out.push_back(Input(entry.path(), relative / entry.path().filename()));
        }
    }
}

}  // namespace

bool HasReportExtension(const fs::path& path) { return Lowercase(path.extension().string()) == ".qrp"; }

std::vector<ReportInput> CollectReportInputs(const std::vector<std::string>& arguments)
{
    std::vector<ReportInput> collected;
    for (const std::string& argument : arguments) {
        const fs::path path(argument);
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (error || !fs::exists(status)) {
            collected.push_back(Input(path, path.filename(), "no such file or folder"));
        } else if (fs::is_directory(status)) {
            CollectFolder(path, fs::path(), collected);
        } else if (!fs::is_regular_file(status)) {
            collected.push_back(Input(path, path.filename(), "not a regular file"));
        } else {
            collected.push_back(Input(path, path.filename()));
        }
    }

    // The same file reached twice (named and inside a folder, or through two names).
    std::vector<ReportInput> inputs;
    std::set<fs::path> seenFiles;
    std::map<std::string, fs::path> ownerOfStem;
    for (ReportInput& input : collected) {
        if (input.error.empty()) {
            std::error_code error;
            const fs::path canonical = fs::canonical(input.path, error);
            if (!seenFiles.insert(error ? input.path : canonical).second) continue;
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
