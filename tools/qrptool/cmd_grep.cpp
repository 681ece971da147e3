// qrptool grep: searches the text of reports and folders of reports, like grep, on every
// core; results come out in the order of the inputs.
#include "tools/qrptool/command.h"
#include "tools/qrptool/page_text_source.h"
#include "tools/qrptool/qt_start.h"
#include "tools/qrptool/render_input.h"

#include "base/exceptions.h"
#include "base/file_system.h"

#include <QRegularExpression>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <filesystem>
#include <iostream>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <thread>

namespace qrptool {
namespace {

int RunGrep(const std::vector<std::string>& args);

}  // namespace

extern const Command kGrepCommand = {
    "grep",
    "search the text of reports and folders of reports",
    "Usage: qrptool grep [-i] [-F] [-l] [-c] [-r] [-j N] PATTERN PATH...\n"
    "\n"
    "Searches the text of the reports named (in reading order, line by line, as 'qrptool\n"
    "text' prints it) and prints FILE:PAGE: LINE for each line that matches. PATTERN is a\n"
    "regular expression (Perl syntax).\n"
    "  -i    ignore case and accents ('hemacias' finds 'Hemácias')\n"
    "  -F    PATTERN is a plain string\n"
    "  -l    print only the names of the files with a match\n"
    "  -c    print FILE:COUNT, the number of matching lines of each file\n"
    "  -r    search folders: every .QRP file below them\n"
    "  -j N  search N files at once (default: the number of cores)\n"
    "\n"
    "A file that cannot be read is named on standard error and the search goes on.\n"
    "Exit status: 0 a line matched, 1 none did, 2 bad arguments or a file could not be read.\n",
    RunGrep,
};

namespace {

struct GrepOptions {
    bool ignoreCase = false, fixed = false, listFiles = false, count = false, recursive = false;
    unsigned jobs = 0;
    std::string pattern;
    bool havePattern = false;
    std::vector<std::string> paths;
};

std::optional<std::string> ParseArguments(const std::vector<std::string>& args, GrepOptions& o)
{
    bool options = true;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (options && a == "--") {
            options = false;
        } else if (options && a.size() > 1 && a[0] == '-') {
            for (size_t k = 1; k < a.size(); ++k) {
                switch (a[k]) {
                case 'i': o.ignoreCase = true; break;
                case 'F': o.fixed = true; break;
                case 'l': o.listFiles = true; break;
                case 'c': o.count = true; break;
                case 'r': o.recursive = true; break;
                case 'j': {
                    std::string v = a.substr(k + 1);
                    if (v.empty()) {
                        if (i + 1 >= args.size()) return std::string("-j needs a number");
                        v = args[++i];
                    }
                    unsigned n = 0;
                    const auto [ptr, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
                    if (ec != std::errc() || ptr != v.data() + v.size() || n < 1 || n > 256)
                        return std::string("-j needs a number from 1 to 256");
                    o.jobs = n;
                    k = a.size();
                    break;
                }
                default: return "unknown option -" + std::string(1, a[k]);
                }
            }
        } else if (!o.havePattern) {
            o.pattern = a;
            o.havePattern = true;
        } else {
            o.paths.push_back(a);
        }
    }
    if (!o.havePattern) return std::string("no pattern");
    if (o.paths.empty()) return std::string("no file or folder to search");
    return std::nullopt;
}

bool IsReportName(const std::filesystem::path& path)
{
    std::string ext = path.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".qrp";
}

// One input: a file to search, or an error to report in its place.
struct Input {
    std::string path;
    std::string error;
};

// Files first, then the folders below, each in name order; links to folders are not
// followed, so a link loop cannot trap the walk.
void CollectFolder(const std::filesystem::path& folder, std::vector<Input>& inputs)
{
    std::vector<qrp::FolderEntry> entries;
    int error = 0;
    if (!qrp::ListFolder(folder.string(), entries, &error) && entries.empty()) {
        inputs.push_back({folder.string(), "cannot read the folder: " + qrp::SystemErrorText(error)});
        return;
    }
    std::vector<std::filesystem::path> folders;
    for (const qrp::FolderEntry& entry : entries) {
        const std::filesystem::path path = folder / entry.name;
        if (entry.kind == qrp::FileKind::kDirectory) {
            folders.push_back(path);
        } else if (IsReportName(path) && qrp::StatusOf(path.string()).kind != qrp::FileKind::kDirectory) {
            inputs.push_back({path.string(), {}});
        }
    }
    for (const auto& f : folders) CollectFolder(f, inputs);
}

std::vector<Input> CollectInputs(const GrepOptions& o)
{
    std::vector<Input> inputs;
    for (const std::string& path : o.paths) {
        if (qrp::StatusOf(path).kind == qrp::FileKind::kDirectory) {
            if (o.recursive) CollectFolder(path, inputs);
            else inputs.push_back({path, "is a folder (search folders with -r)"});
        } else {
            inputs.push_back({path, {}});
        }
    }
    return inputs;
}

struct Result {
    std::string out;
    std::string err;
    bool matched = false;
    bool failed = false;
    bool done = false;
};

class Matcher {
public:
    explicit Matcher(const GrepOptions& o) : FOptions(o)
    {
        if (o.fixed) {
            FNeedle = QString::fromStdString(o.pattern);
            if (o.ignoreCase) FNeedle = qrp::render::Fold(FNeedle).text;
        } else {
            QRegularExpression::PatternOptions flags = QRegularExpression::UseUnicodePropertiesOption;
            if (o.ignoreCase) flags |= QRegularExpression::CaseInsensitiveOption;
            FRegex = QRegularExpression(LineForSearch(QString::fromStdString(o.pattern), o.ignoreCase), flags);
        }
    }
    bool Valid() const { return FOptions.fixed || FRegex.isValid(); }
    QString Error() const { return FRegex.errorString(); }
    bool Matches(const QString& line) const
    {
        if (FOptions.fixed) {
            if (FNeedle.isEmpty()) return true;
            return FOptions.ignoreCase ? qrp::render::Fold(line).text.contains(FNeedle) : line.contains(FNeedle);
        }
        return FRegex.match(LineForSearch(line, FOptions.ignoreCase)).hasMatch();
    }

private:
    const GrepOptions& FOptions;
    QString FNeedle;
    QRegularExpression FRegex;
};

void SearchFile(const Input& input, const GrepOptions& o, const Matcher& matcher, Result& result)
{
    if (!input.error.empty()) {
        result.err = "qrptool grep: " + input.path + ": " + input.error + "\n";
        result.failed = true;
        return;
    }
    std::unique_ptr<PictureSource> source;
    try {
        source = OpenPictureSource(input.path);
    } catch (const std::exception& e) {
        result.err = "qrptool grep: " + input.path + ": " + e.what() + "\n";
        result.failed = true;
        return;
    }
    long count = 0;
    const int pages = source->PageCount();
    for (int page = 1; page <= pages; ++page) {
        qrp::emf::HENHMETAFILE picture;
        try {
            picture = source->Page(page);
        } catch (const std::exception& e) {
            result.err += "qrptool grep: " + input.path + ": page " + std::to_string(page) + ": " + e.what() + "\n";
            result.failed = true;
            continue;
        }
        if (!picture) continue;
        const qrp::render::PageText text = qrp::render::PictureText(*picture);
        for (const qrp::render::TextLine& textLine : text.lines) {
            const QString line = textLine.text.toString();
            if (!matcher.Matches(line)) continue;
            ++count;
            result.matched = true;
            if (o.listFiles) break;
            if (!o.count) result.out += input.path + ":" + std::to_string(page) + ": " + line.toStdString() + "\n";
        }
        if (o.listFiles && result.matched) break;
    }
    if (o.listFiles) {
        if (result.matched) result.out = input.path + "\n";
    } else if (o.count) {
        result.out = input.path + ":" + std::to_string(count) + "\n";
    }
}

int RunGrep(const std::vector<std::string>& args)
{
    GrepOptions o;
    if (const auto error = ParseArguments(args, o)) {
        std::cerr << "qrptool grep: " << *error << "\n\n" << kGrepCommand.usage;
        return kExitInvalidFile;  // grep's status for bad arguments
    }
    const auto app = StartQt();
    const Matcher matcher(o);
    if (!matcher.Valid()) {
        std::cerr << "qrptool grep: bad pattern: " << matcher.Error().toStdString() << "\n";
        return kExitInvalidFile;
    }
    const std::vector<Input> inputs = CollectInputs(o);
    std::vector<Result> results(inputs.size());
    std::mutex mutex;
    std::condition_variable ready;
    std::atomic<size_t> next{0};
    const unsigned jobs = std::min<size_t>(o.jobs ? o.jobs : std::max(1u, std::thread::hardware_concurrency()),
                                           std::max<size_t>(inputs.size(), 1));
    auto work = [&] {
        // Each worker its own matcher: a compiled expression is not shared between threads.
        const Matcher own(o);
        for (size_t i = next++; i < inputs.size(); i = next++) {
            Result result;
            SearchFile(inputs[i], o, own, result);
            result.done = true;
            const std::lock_guard lock(mutex);
            results[i] = std::move(result);
            ready.notify_all();
        }
    };
    std::vector<std::thread> workers;
    if (jobs <= 1) work();
    else for (unsigned k = 0; k < jobs; ++k) workers.emplace_back(work);

    bool matched = false, failed = false;
    for (size_t i = 0; i < inputs.size(); ++i) {
        Result result;
        {
            std::unique_lock lock(mutex);
            ready.wait(lock, [&] { return results[i].done; });
            result = std::move(results[i]);
        }
        std::cout << result.out << std::flush;
        std::cerr << result.err;
        matched |= result.matched;
        failed |= result.failed;
    }
    for (auto& w : workers) w.join();
    if (failed) return kExitInvalidFile;
    return matched ? kExitOk : 1;
}

}  // namespace
}  // namespace qrptool
