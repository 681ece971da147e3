// qrptool info: loads a report as the report printer does, reads every page and describes
// the file and each page's picture.
#include "base/exceptions.h"
#include "base/file_system.h"
#include "reportfile/page_list.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/invalid_file.h"
#include "tools/qrptool/page_links.h"
#include "tools/qrptool/sha256.h"

#include <cstdio>
#include <iostream>
#include <string>

namespace qrptool {

// What the player skips on a page, as lines of text (empty for a clean page). Defined in the
// drawing module only: the program hands `info --verbose` to that module's copy of info.
std::string DescribePageSkips(const qrp::TMetafile& page) __attribute__((weak));

namespace {

int RunInfo(const std::vector<std::string>& args);

}  // namespace

extern const Command kInfoCommand = {
    "info",
    "describe a report file and its pages",
    "Usage: qrptool info FILE [--json] [--verbose]\n"
    "\n"
    "Loads FILE as the viewer does (checking its last page), then reads every page and\n"
    "prints the page count, compression, header size, file size and, per page, the\n"
    "picture's size in bytes, its frame in 0.01 mm and its size in pixels, then its\n"
    "hyperlinks, one line each: the area in the picture's pixels and the text (control\n"
    "characters as \\xNN, long texts cut).\n"
    "  --verbose  also list, per page, the records the player skips (offset, type\n"
    "             and reason)\n"
    "  --json     one JSON object: pages, compressed, header_size, file_size and\n"
    "             page_list (number, bytes, frame_w, frame_h, width, height, sha256,\n"
    "             links: left, top, right, bottom, text; a page that cannot be read\n"
    "             has error instead)\n"
    "\n"
    "Exit status: 0 every page read, 2 the file cannot be loaded (\"Arquivo inválido.\"\n"
    "and the reason on standard error), 3 some page could not be read.\n",
    RunInfo,
};

namespace {

struct PageInfo {
    int number = 0;
    std::string error;
    size_t bytes = 0;
    int32_t frameW = 0, frameH = 0, width = 0, height = 0;
    std::string sha256;
    std::unique_ptr<qrp::THyperlinkList> links;
    std::string skips;  // with --verbose
};

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += ch;
        }
    }
    return out + "\"";
}

PageInfo ReadPage(qrp::TQRPageList& list, int number, bool verbose)
{
    PageInfo info;
    info.number = number;
    try {
        std::unique_ptr<qrp::TMetafile> page;
        list.GetPageEx(number, page, info.links);
        const qrp::emf::Bytes data = page->Handle() ? page->Handle()->Data() : qrp::emf::Bytes{};
        info.bytes = data.size();
        info.frameW = page->MMWidth();
        info.frameH = page->MMHeight();
        info.width = page->Width();
        info.height = page->Height();
        info.sha256 = Sha256Hex(data);
        if (verbose) info.skips = DescribePageSkips(*page);
    } catch (const qrp::Exception& e) {
        info.error = e.what();
    }
    return info;
}

int RunInfo(const std::vector<std::string>& args)
{
    const Command& self = kInfoCommand;
    std::string file;
    bool json = false, verbose = false;
    for (const std::string& a : args) {
        if (a == "--json") {
            json = true;
        } else if (a == "--verbose") {
            verbose = true;
        } else if (!a.empty() && a[0] == '-') {
            return UsageError(self, "unknown option " + a);
        } else if (file.empty()) {
            file = a;
        } else {
            return UsageError(self, "one FILE only");
        }
    }
    if (file.empty()) return UsageError(self, "FILE is missing");
    if (verbose && !DescribePageSkips) return FindCommandIn(Part::kDraw, "info")->run(args);

    qrp::TQRPageList list;
    int32_t headerSize = 0;
    try {
        list.LoadFromFile(file);
        headerSize = list.Stream()->GetHeaderSize();
    } catch (const qrp::Exception& e) {
        return InvalidFile(e.what());
    }
    const auto fileSize = static_cast<long long>(qrp::StatusOf(list.Stream()->FileHandle()).size);

    std::vector<PageInfo> pages;
    bool failed = false;
    const int32_t count = list.PageCount();
    for (int32_t p = 1; p <= count && p > 0; ++p) {
        pages.push_back(ReadPage(list, p, verbose));
        failed = failed || !pages.back().error.empty();
    }

    if (json) {
        std::cout << "{\"pages\": " << list.PageCount() << ", \"compressed\": " << (list.Compression() ? "true" : "false")
                  << ", \"header_size\": " << headerSize << ", \"file_size\": " << fileSize << ", \"page_list\": [";
        for (size_t i = 0; i < pages.size(); ++i) {
            const PageInfo& p = pages[i];
            std::cout << (i ? ", " : "") << "{\"number\": " << p.number;
            if (!p.error.empty()) {
                std::cout << ", \"error\": " << JsonString(p.error) << "}";
                continue;
            }
            std::cout << ", \"bytes\": " << p.bytes << ", \"frame_w\": " << p.frameW << ", \"frame_h\": " << p.frameH
                      << ", \"width\": " << p.width << ", \"height\": " << p.height << ", \"sha256\": \"" << p.sha256
                      << "\", \"links\": " << LinksJson(p.links.get());
            if (verbose) std::cout << ", \"skipped\": " << JsonString(p.skips);
            std::cout << "}";
        }
        std::cout << "]}\n";
    } else {
        std::cout << "file:        " << file << "\n"
                  << "pages:       " << list.PageCount() << "\n"
                  << "compressed:  " << (list.Compression() ? "yes" : "no") << "\n"
                  << "header size: " << headerSize << "\n"
                  << "file size:   " << fileSize << "\n";
        for (const PageInfo& p : pages) {
            std::cout << "page " << p.number << ": ";
            if (!p.error.empty()) {
                std::cout << "error: " << p.error << "\n";
                continue;
            }
            std::cout << p.bytes << " bytes, frame " << p.frameW << " x " << p.frameH << " (0.01 mm), " << p.width
                      << " x " << p.height << " px\n";
            PrintLinks(std::cout, p.links.get());
            if (!p.skips.empty()) std::cout << "  skipped records:\n" << p.skips;
        }
    }
    return failed ? kExitPartial : kExitOk;
}

}  // namespace
}  // namespace qrptool
