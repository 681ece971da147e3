// qrptool render: plays report pages or a bare EMF/WMF picture into PNG, SVG or PDF.
#include "tools/qrptool/command.h"
#include "tools/qrptool/qt_start.h"
#include "tools/qrptool/render_input.h"
#include "tools/qrptool/render_output.h"

#include "render/trace.h"

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <unistd.h>

namespace qrptool {
namespace {

int RunRender(const std::vector<std::string>& args);

}  // namespace

extern const Command kRenderCommand = {
    "render",
    "render report pages or an EMF/WMF picture to PNG, SVG or PDF",
    "Usage: qrptool render FILE [--page N | --all] [--width W | --dpi D] -o OUT\n"
    "                      [--text gdi|smooth] [--trace]\n"
    "\n"
    "Plays the pictures of FILE as the platform's GDI draws them.\n"
    "  FILE       a report (.QRP), an enhanced metafile (.emf) or a Windows\n"
    "             metafile (.wmf, placeable or not)\n"
    "  --page N   the page to render (default 1)\n"
    "  --all      every page: a PDF holds them all, each sized to its picture's\n"
    "             frame; a PNG or SVG name holds %d (or %03d) for the page number\n"
    "  --width W  W pixels wide, played into (0, 0, W-1, H-1) on white with\n"
    "             H = 1 + round((W-1) x frame height / frame width)\n"
    "  --dpi D    D pixels per inch of the picture's frame (default 96)\n"
    "  -o OUT     the output: .png, .svg or .pdf (PDF and SVG keep vectors)\n"
    "  --text gdi|smooth\n"
    "             smooth: text with grey levels, glyphs placed to fractions of a\n"
    "             pixel (default); gdi: pixel for pixel as GDI draws it without\n"
    "             font smoothing\n"
    "  --trace    print each page's drawing calls on standard output\n"
    "\n"
    "A page with records the player skipped (damaged or not supported) is still\n"
    "written; standard error lists each skipped record's offset, type and reason.\n"
    "Outputs are written to temporary files beside them and renamed into place only\n"
    "once every page was drawn: on any failure no existing output changes. An output\n"
    "that is FILE itself (or a link to it) or is not a regular file is refused.\n",
    RunRender,
};

namespace {

struct RenderOptions {
    std::string input;
    std::string output;
    std::optional<int> page;
    bool all = false;
    std::optional<SizeRule> size;
    bool trace = false;
    qrp::render::TextMode text = qrp::render::TextMode::kSmooth;
};

template <typename T>
std::optional<T> ParseNumber(const std::string& text)
{
    T value{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end) return std::nullopt;
    return value;
}

// Parses the arguments; on a usage error returns the message.
std::optional<std::string> ParseArguments(const std::vector<std::string>& args, RenderOptions& o)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= args.size()) return std::nullopt;
            return args[++i];
        };
        if (a == "--page") {
            const auto v = value();
            const auto n = v ? ParseNumber<int>(*v) : std::nullopt;
            if (!n || *n < 1) return "--page needs a page number from 1";
            o.page = *n;
        } else if (a == "--all") {
            o.all = true;
        } else if (a == "--width" || a == "--dpi") {
            if (o.size) return "give either --width or --dpi, once";
            const auto v = value();
            const auto n = v ? ParseNumber<double>(*v) : std::nullopt;
            if (!n || !(*n > 0) || *n > 32767) return a + " needs a positive number up to 32767";
            o.size = SizeRule{a == "--width" ? SizeRule::kWidth : SizeRule::kDpi, *n};
        } else if (a == "-o" || a == "--output") {
            const auto v = value();
            if (!v || v->empty()) return "-o needs an output file name";
            o.output = *v;
        } else if (a == "--text") {
            const auto v = value();
            const auto mode = v ? qrp::render::ParseTextMode(*v) : std::nullopt;
            if (!mode) return "--text needs gdi or smooth";
            o.text = *mode;
        } else if (a == "--trace") {
            o.trace = true;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return "unknown option " + a;
        } else if (o.input.empty()) {
            o.input = a;
        } else {
            return "more than one input file: " + a;
        }
    }
    if (o.input.empty()) return "no input file";
    if (o.output.empty()) return "no output file (-o OUT)";
    if (o.page && o.all) return "give either --page or --all";
    const auto format = OutputFormatOf(o.output);
    if (!format) return "the output must end in .png, .svg or .pdf: " + o.output;
    if (o.all && *format != OutputFormat::kPdf && !HasPageField(o.output))
        return "with --all, a PNG or SVG name needs %d for the page number: " + o.output;
    return std::nullopt;
}

// A bar on standard error, only when it is a terminal.
class Progress {
public:
    explicit Progress(int total) : FTotal(total), FShow(total > 1 && isatty(STDERR_FILENO)) {}
    ~Progress()
    {
        if (FShow && FShown) std::cerr << "\n";
    }
    void Step(int done)
    {
        if (!FShow) return;
        constexpr int kWidth = 30;
        const int filled = static_cast<int>(int64_t{kWidth} * done / FTotal);
        std::cerr << "\r[" << std::string(static_cast<size_t>(filled), '#')
                  << std::string(static_cast<size_t>(kWidth - filled), ' ') << "] " << done << "/" << FTotal
                  << std::flush;
        FShown = true;
    }

private:
    int FTotal;
    bool FShow;
    bool FShown = false;
};

int RunRender(const std::vector<std::string>& args)
{
    RenderOptions o;
    if (const auto error = ParseArguments(args, o)) return UsageError(kRenderCommand, *error);
    const OutputFormat format = *OutputFormatOf(o.output);
    const SizeRule rule = o.size.value_or(SizeRule{});

    std::unique_ptr<PictureSource> source;
    try {
        source = OpenPictureSource(o.input);
    } catch (const std::exception& e) {
        std::cerr << "qrptool render: " << o.input << ": " << e.what() << "\n";
        return kExitInvalidFile;
    }
    const auto app = StartQt();
    const int32_t count = source->PageCount();
    const int32_t first = o.all ? 1 : o.page.value_or(1);
    const int32_t last = o.all ? count : first;
    if (count < 1 || first > count) {
        std::cerr << "qrptool render: " << o.input << ": no page " << first << " (the file has " << count
                  << (count == 1 ? " page" : " pages") << ")\n";
        return kExitInvalidFile;
    }

    std::unique_ptr<PageWriter> writer;
    try {
        writer = MakePageWriter(format, o.output, rule, o.all && format != OutputFormat::kPdf, {o.input}, o.text);
    } catch (const OutputError& e) {
        std::cerr << "qrptool render: " << e.what() << "\n";
        return kExitInvalidFile;
    }
    Progress progress(static_cast<int>(int64_t{last} - first + 1));
    // 64-bit page numbers: the loop ends even when the last page is the largest int.
    for (int64_t number = first; number <= last; ++number) {
        const auto page = static_cast<int32_t>(number);
        qrp::emf::HENHMETAFILE picture;
        try {
            picture = source->Page(page);
        } catch (const std::exception& e) {
            std::cerr << "qrptool render: " << o.input << ": page " << page << ": " << e.what() << "\n";
            return kExitInvalidFile;
        }
        if (!picture) {
            std::cerr << "qrptool render: " << o.input << ": page " << page << " has no picture\n";
            return kExitInvalidFile;
        }
        if (o.trace) {
            // The drawing calls at the size the rule gives the page, then the picture itself.
            const auto size = PlaySize(picture->Header().rclFrame, rule);
            std::cout << "page " << page << "\n"
                      << qrp::render::TraceEnhMetaFile(*picture, QRect(QPoint(0, 0), size.value_or(QSize(1, 1))))
                      << std::flush;
        }
        try {
            const qrp::render::PlayStats stats = writer->Write(page, *picture);
            if (!stats.Clean())
                std::cerr << "qrptool render: " << o.input << ": page " << page << ": skipped " << stats.skipped
                          << (stats.skipped == 1 ? " record\n" : " records\n") << qrp::render::DescribeSkips(stats);
        } catch (const OutputError& e) {
            std::cerr << "qrptool render: " << o.input << ": page " << page << ": " << e.what() << "\n";
            return kExitInvalidFile;
        }
        progress.Step(page - first + 1);
    }
    try {
        writer->Finish();
    } catch (const OutputError& e) {
        std::cerr << "qrptool render: " << e.what() << "\n";
        return kExitInvalidFile;
    }
    return kExitOk;
}

}  // namespace
}  // namespace qrptool
