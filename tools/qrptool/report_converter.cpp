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

void WritePdf(qrp::TQRPageList& list, const fs::path& target, const ReportInput& input,
              const ConvertOptions& options, const std::atomic<bool>& cancel, std::vector<PageDamage>& damage)
{
    AtomicOutputFile output(target);
    {
        QFile file;
        OpenOnDescriptor(file, output);
        // The title is the report's file name.
        PdfPageWriter writer(file, QString::fromStdString(input.path.filename().string()), 600, options.pdfa);
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
    output.Commit(options.force);
}

void WritePngs(qrp::TQRPageList& list, const std::vector<fs::path>& targets, const ConvertOptions& options,
               const std::atomic<bool>& cancel, std::vector<PageDamage>& damage)
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
    for (auto& output : outputs) output->Commit(options.force);
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

bool Exists(const fs::path& path) { return qrp::LinkStatusOf(path.string()).kind != qrp::FileKind::kMissing; }

ConvertOutcome Convert(const ReportInput& input, const ConvertOptions& options, const std::atomic<bool>& cancel)
{
    ConvertOutcome outcome;
    if (!input.error.empty()) {
        outcome.reason = input.error;
        return outcome;
    }
    try {
        // The PDF's name is known before loading: done at once when it exists.
        if (options.format == ConvertFormat::kPdf) {
            outcome.outputs = OutputPaths(input, options, 0);
            if (!options.force && Exists(outcome.outputs.front())) {
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
        if (!options.force) {
            const auto present = std::count_if(targets.begin(), targets.end(), Exists);
            if (present == static_cast<std::ptrdiff_t>(targets.size())) {
                outcome.exists = true;
                outcome.pages = pageCount;
                outcome.reason = "output exists";
                return outcome;
            }
            for (const fs::path& target : targets) {
                if (Exists(target)) throw std::runtime_error("output " + target.string() + " exists (--force replaces it)");
            }
        }
        // The report's folder in the output tree.
        qrp::CreateFolders(targets.front().parent_path().string());
        if (options.format == ConvertFormat::kPdf) {
            WritePdf(list, targets.front(), input, options, cancel, outcome.damage);
        } else {
            WritePngs(list, targets, options, cancel, outcome.damage);
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
