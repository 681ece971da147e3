// qrptool text: the text of report pages in reading order, without rasterising them.
#include "tools/qrptool/command.h"
#include "tools/qrptool/page_text_source.h"
#include "tools/qrptool/qt_start.h"
#include "tools/qrptool/render_input.h"

#include <charconv>
#include <iostream>
#include <optional>
#include <string>

namespace qrptool {
namespace {

int RunText(const std::vector<std::string>& args);

}  // namespace

extern const Command kTextCommand = {
    "text",
    "print the text of report pages in reading order",
    "Usage: qrptool text FILE [--page N | --pages A-B] [--json]\n"
    "\n"
    "Prints the text of every page of FILE (a report, an EMF or a WMF picture) in reading\n"
    "order: lines top to bottom, text left to right, a tab between table cells; pages are\n"
    "separated by a form feed. The pictures are not rasterised.\n"
    "  --page N     only page N\n"
    "  --pages A-B  pages A to B\n"
    "  --json       one JSON object: pages, each with page, width_mm, height_mm and lines\n"
    "               (text and box: left, top, width and height in millimetres on the page)\n"
    "\n"
    "Exit status: 0 success, 1 bad arguments, 2 the file or a page cannot be read.\n",
    RunText,
};

namespace {

struct TextOptions {
    std::string input;
    int first = 1;
    std::optional<int> last;  // none: to the last page
    bool json = false;
};

std::optional<int> ParsePage(std::string_view text)
{
    int value = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc() || ptr != text.data() + text.size() || value < 1) return std::nullopt;
    return value;
}

std::optional<std::string> ParseArguments(const std::vector<std::string>& args, TextOptions& o)
{
    bool range = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--page" || a == "--pages") {
            if (range) return "give --page or --pages once";
            range = true;
            if (i + 1 >= args.size()) return a + " needs a value";
            const std::string v = args[++i];
            if (a == "--page") {
                const auto n = ParsePage(v);
                if (!n) return "--page needs a page number from 1";
                o.first = *n;
                o.last = *n;
            } else {
                const size_t dash = v.find('-');
                const auto from = dash == std::string::npos ? std::nullopt : ParsePage(std::string_view(v).substr(0, dash));
                const auto to = dash == std::string::npos ? std::nullopt : ParsePage(std::string_view(v).substr(dash + 1));
                if (!from || !to || *to < *from) return "--pages needs a range A-B of page numbers, A <= B";
                o.first = *from;
                o.last = *to;
            }
        } else if (a == "--json") {
            o.json = true;
        } else if (!a.empty() && a[0] == '-') {
            return "unknown option " + a;
        } else if (o.input.empty()) {
            o.input = a;
        } else {
            return "more than one input file: " + a;
        }
    }
    if (o.input.empty()) return "no input file";
    return std::nullopt;
}

std::string Json(QStringView text)
{
    std::string out = "\"";
    for (const char ch : text.toUtf8()) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '\t') {
            out += "\\t";
        } else if (c < 0x20) {
            static const char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[c >> 4];
            out += hex[c & 15];
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

void PrintJsonPage(int number, const qrp::emf::EnhMetaFile& picture, const qrp::render::PageText& text, bool first)
{
    const auto& frame = picture.Header().rclFrame;
    std::cout << (first ? "" : ",\n") << "{\"page\":" << number
              << ",\"width_mm\":" << Millimetres((static_cast<double>(frame.right) - frame.left) / 100)
              << ",\"height_mm\":" << Millimetres((static_cast<double>(frame.bottom) - frame.top) / 100) << ",\"lines\":[";
    bool firstLine = true;
    for (const auto& line : text.lines) {
        std::cout << (firstLine ? "" : ",") << "\n {\"text\":" << Json(line.text) << ",\"box\":["
                  << Millimetres(line.bounds.left()) << "," << Millimetres(line.bounds.top()) << ","
                  << Millimetres(line.bounds.width()) << "," << Millimetres(line.bounds.height()) << "]}";
        firstLine = false;
    }
    std::cout << "]}";
}

int RunText(const std::vector<std::string>& args)
{
    TextOptions o;
    if (const auto error = ParseArguments(args, o)) return UsageError(kTextCommand, *error);
    std::unique_ptr<PictureSource> source;
    try {
        source = OpenPictureSource(o.input);
    } catch (const std::exception& e) {
        std::cerr << "qrptool text: " << o.input << ": " << e.what() << "\n";
        return kExitInvalidFile;
    }
    const int count = source->PageCount();
    const int last = o.last.value_or(count);
    if (count < 1 || last > count) {
        std::cerr << "qrptool text: " << o.input << ": no page " << (count < 1 ? 1 : last) << " (the file has "
                  << count << (count == 1 ? " page" : " pages") << ")\n";
        return kExitInvalidFile;
    }
    const auto app = StartQt();
    if (o.json) std::cout << "{\"pages\":[";
    for (int page = o.first; page <= last; ++page) {
        qrp::emf::HENHMETAFILE picture;
        try {
            picture = source->Page(page);
        } catch (const std::exception& e) {
            std::cout << std::flush;
            std::cerr << "qrptool text: " << o.input << ": page " << page << ": " << e.what() << "\n";
            return kExitInvalidFile;
        }
        if (!picture) {
            std::cout << std::flush;
            std::cerr << "qrptool text: " << o.input << ": page " << page << " has no picture\n";
            return kExitInvalidFile;
        }
        const qrp::render::PageText text = qrp::render::PictureText(*picture);
        if (o.json) {
            PrintJsonPage(page, *picture, text, page == o.first);
        } else {
            if (page > o.first) std::cout << '\f';
            std::cout << text.Text().toStdString();
        }
    }
    if (o.json) std::cout << "]}\n";
    std::cout << std::flush;
    return kExitOk;
}

}  // namespace
}  // namespace qrptool
