#include "tools/qrptool/report_converter.h"

#include "base/file_system.h"
#include "reportfile/page_list.h"
#include "tools/qrptool/atomic_output.h"
#include "tools/qrptool/page_output.h"
#include "tools/qrptool/png_file.h"

#include <QFile>

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

namespace qrptool {

namespace fs = std::filesystem;

namespace {

class Cancelled : public std::exception {};

// Page n of the list, or an error naming the page.
std::unique_ptr<qrp::TMetafile> LoadPage(qrp::TQRPageList& list, int number)
{
    std::unique_ptr<qrp::TMetafile> page;
    try {
        page = list.GetPage(number);
    } catch (const std::exception& e) {
        throw std::runtime_error("page " + std::to_string(number) + ": " + e.what());
    }
    if (!page || !page->Handle()) throw std::runtime_error("page " + std::to_string(number) + ": no picture");
    return page;
}

// Runs a page-output step with errors that name the page.
template <typename Step>
void OnPage(int number, Step step)
{
    try {
        step();
    } catch (const PageOutputError& e) {
        throw std::runtime_error("page " + std::to_string(number) + ": " + e.what());
    }
}

// Opens the temporary file of an output as a QFile that does not own the descriptor.
void OpenOnDescriptor(QFile& file, const AtomicOutputFile& output)
{
    if (!file.open(output.Descriptor(), QIODevice::WriteOnly, QFileDevice::DontCloseHandle)) {
        throw OutputFileError("cannot write " + output.TempPath().string());
    }
}

void Note(std::vector<PageDamage>& damage, int page, qrp::render::PlayStats&& stats)
{
    if (!stats.Clean()) damage.push_back(PageDamage{page, std::move(stats)});
}

void WritePdf(qrp::TQRPageList& list, const fs::path& target, bool replace, const ReportInput& input,
              const ConvertOptions& options, const std::atomic<bool>& cancel, std::vector<PageDamage>& damage)
{
    AtomicOutputFile output(target);
    {
        QFile file;
        OpenOnDescriptor(file, output);
        // The title is the report's file name.
        PdfPageWriter writer(file, QString::fromStdString(input.path.filename().string()), list.PageCount(), 600,
                             options.pdfa);
        for (int n = 1; n <= list.PageCount(); ++n) {
            if (cancel) throw Cancelled();
            const auto page = LoadPage(list, n);
            OnPage(n, [&] { Note(damage, n, writer.AddPage(*page->Handle())); });
        }
        writer.Finish();
        if (!file.flush() || file.error() != QFileDevice::NoError) {
            throw OutputFileError("cannot write " + target.string() + ": " + file.errorString().toStdString());
        }
    }
    output.Commit(replace);
}

void WritePngs(qrp::TQRPageList& list, const std::vector<fs::path>& targets, const std::vector<bool>& replace,
               const ConvertOptions& options, const std::atomic<bool>& cancel, std::vector<PageDamage>& damage)
{
    // Every page goes to its temporary file first; the outputs appear only once all pages
    // rendered, so that a damaged page leaves no partial set.
    std::vector<std::unique_ptr<AtomicOutputFile>> outputs;
    for (int n = 1; n <= list.PageCount(); ++n) {
        if (cancel) throw Cancelled();
        const auto page = LoadPage(list, n);
        QImage image;
        qrp::render::PlayStats stats;
        OnPage(n, [&] { image = RenderPageImage(*page->Handle(), options.dpi, &stats, options.text); });
        Note(damage, n, std::move(stats));
        auto output = std::make_unique<AtomicOutputFile>(targets[static_cast<size_t>(n - 1)]);
        try {
            WritePng(image, output->Descriptor());
        } catch (const PngWriteError& e) {
            throw OutputFileError("cannot write " + output->Target().string() + ": " + e.what());
        }
        outputs.push_back(std::move(output));
    }
    for (size_t i = 0; i < outputs.size(); ++i) outputs[i]->Commit(replace[i]);
}

}  // namespace

std::vector<fs::path> OutputPaths(const ReportInput& input, const ConvertOptions& options, int pageCount)
{
    const fs::path folder(options.outputDir);
    if (options.format == ConvertFormat::kPdf) return {folder / (input.outputStem + ".pdf")};
    std::vector<fs::path> paths;
    for (int n = 1; n <= pageCount; ++n) paths.push_back(folder / (input.outputStem + "-" + std::to_string(n) + ".png"));
    return paths;
}

namespace {

enum class OutputState {
    kMissing,
    kComplete,    // a whole file of the format: the report was converted
    kIncomplete,  // a regular file that is not (cut short, empty, something else): replaced
    kRefused,     // a link, a folder, a device: never replaced, the report is refused
};

// Whether the bytes at both ends of a file are those of a whole file of the format: a PDF
// begins with its header and ends with its end-of-file marker (and line ends), a PNG begins
// with its signature and ends with its end chunk. A writer that stopped part way leaves
// neither end.
bool Whole(ConvertFormat format, const std::string& head, const std::string& tail)
{
    if (format == ConvertFormat::kPng) {
        static const std::string signature("\x89PNG\r\n\x1a\n", 8);
        static const std::string end("\0\0\0\0IEND\xae\x42\x60\x82", 12);
        return head.starts_with(signature) && tail.ends_with(end);
    }
    const size_t last = tail.find_last_not_of(" \t\r\n");
    return head.starts_with("%PDF-") && last != std::string::npos && last >= 4 &&
           tail.compare(last - 4, 5, "%%EOF") == 0;
}

OutputState StateOf(const fs::path& path, ConvertFormat format)
{
    const qrp::FileStatus status = qrp::LinkStatusOf(path.string());
    if (status.kind == qrp::FileKind::kMissing) return OutputState::kMissing;
    if (status.kind != qrp::FileKind::kRegular) return OutputState::kRefused;
    constexpr int64_t kEnds = 1024;
    std::string head(8, '\0');
    std::string tail(static_cast<size_t>(std::min(status.size, kEnds)), '\0');
    struct Open {
        qrp::FileHandle handle;
        ~Open() { qrp::CloseFile(handle); }
    } file{qrp::OpenForReading(path.string())};
    const int64_t headRead = qrp::ReadAt(file.handle, head.data(), static_cast<int64_t>(head.size()), 0);
    const int64_t tailRead = qrp::ReadAt(file.handle, tail.data(), static_cast<int64_t>(tail.size()),
                                         status.size - static_cast<int64_t>(tail.size()));
    head.resize(static_cast<size_t>(std::max<int64_t>(headRead, 0)));
    if (tailRead != static_cast<int64_t>(tail.size())) return OutputState::kIncomplete;
    return Whole(format, head, tail) ? OutputState::kComplete : OutputState::kIncomplete;
}

std::runtime_error NotRegular(const fs::path& target)
{
    return std::runtime_error("output " + target.string() + " exists and is not a regular file");
}

ConvertOutcome Convert(const ReportInput& input, const ConvertOptions& options, const std::atomic<bool>& cancel)
{
    ConvertOutcome outcome;
    if (!input.error.empty()) {
        outcome.reason = input.error;
        return outcome;
    }
    try {
        // An output in place counts as converted only when it is whole; an incomplete one
        // (left by a crash, cut short, not of the format) is converted again and replaced,
        // when it is a regular file (anything else refuses the report).
        // The PDF's name is known before loading: done at once when it is whole.
        if (options.format == ConvertFormat::kPdf && !options.force) {
            outcome.outputs = OutputPaths(input, options, 0);
            const OutputState state = StateOf(outcome.outputs.front(), options.format);
            if (state == OutputState::kRefused) throw NotRegular(outcome.outputs.front());
            if (state == OutputState::kComplete) {
                outcome.exists = true;
                outcome.reason = "output exists";
                return outcome;
            }
        }
        qrp::TQRPageList list;
        list.LoadFromFile(input.path.string());
        const int pageCount = list.PageCount();
        if (pageCount < 1) throw std::runtime_error("the report has no pages");
        const std::vector<fs::path> targets = OutputPaths(input, options, pageCount);
        outcome.outputs = targets;
        std::vector<bool> replace(targets.size(), options.force);
        if (!options.force) {
            std::vector<OutputState> states;
            for (const fs::path& target : targets) states.push_back(StateOf(target, options.format));
            if (std::all_of(states.begin(), states.end(), [](OutputState s) { return s == OutputState::kComplete; })) {
                outcome.exists = true;
                outcome.pages = pageCount;
                outcome.reason = "output exists";
                return outcome;
            }
            // The pages of a set are one output: a set with a page missing or incomplete is
            // drawn again whole, replacing the pages in place.
            for (size_t i = 0; i < targets.size(); ++i) {
                if (states[i] == OutputState::kRefused) throw NotRegular(targets[i]);
                replace[i] = states[i] != OutputState::kMissing;
            }
        }
        // The report's folder in the output tree.
        qrp::CreateFolders(targets.front().parent_path().string());
        if (options.format == ConvertFormat::kPdf) {
            WritePdf(list, targets.front(), replace.front(), input, options, cancel, outcome.damage);
        } else {
            WritePngs(list, targets, replace, options, cancel, outcome.damage);
        }
        outcome.converted = true;
        outcome.pages = pageCount;
    } catch (const Cancelled&) {
        outcome.interrupted = true;
        outcome.reason = "interrupted";
    } catch (const std::bad_alloc&) {
        outcome.reason = "out of memory";
    } catch (const std::exception& e) {
        outcome.reason = *e.what() ? e.what() : "unknown error";
    }
    return outcome;
}

}  // namespace

ConvertOutcome ConvertReport(const ReportInput& input, const ConvertOptions& options, const std::atomic<bool>& cancel)
{
    const auto start = std::chrono::steady_clock::now();
    ConvertOutcome outcome = Convert(input, options, cancel);
    outcome.milliseconds = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    return outcome;
}

}  // namespace qrptool
