// qrptool pack: writes a report of pictures, one page each, as a report generator does.
#include "base/exceptions.h"
#include "base/file_system.h"
#include "base/stream.h"
#include "reportfile/page_list.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/invalid_file.h"
#include "tools/qrptool/page_links.h"

#include <algorithm>
#include <climits>
#include <iostream>
#include <memory>
#include <string>

namespace qrptool {
namespace {

int RunPack(const std::vector<std::string>& args);

}  // namespace

extern const Command kPackCommand = {
    "pack",
    "write a report file of EMF (or placeable WMF) pictures",
    "Usage: qrptool pack OUT [--compress] [--link PAGE:LEFT,TOP,RIGHT,BOTTOM:TEXT]... PICTURE...\n"
    "\n"
    "Writes the report OUT with one page per PICTURE, in order, through a report\n"
    "stream (in memory up to 250000 bytes, then in a temporary file), appending each\n"
    "page and finishing the header, then saving the stream to OUT.\n"
    "  --compress  store the pages compressed (compressed pages carry no hyperlinks)\n"
    "  --link PAGE:LEFT,TOP,RIGHT,BOTTOM:TEXT\n"
    "              a hyperlink area on page PAGE, in the picture's pixels, leading to\n"
    "              TEXT (stored one byte per character); repeat for more\n"
    "OUT is written to a temporary file beside it and renamed into place when complete;\n"
    "an OUT that is one of the PICTUREs or is not a regular file is refused. The\n"
    "temporary report file has no name and vanishes however the command ends.\n"
    "\n"
    "Exit status: 0 written, 2 a picture cannot be read (\"Arquivo inválido.\" and the\n"
    "reason on standard error; OUT is not written), 3 OUT cannot be written (a report\n"
    "holds at most 2 GiB; the temporary folder may be full or not writable).\n",
    RunPack,
};

namespace {

constexpr int32_t kMemoryLimit = 250000;
// What a page record adds to its picture: its links and length fields.
constexpr int64_t kPageOverhead = 16;

int RunPack(const std::vector<std::string>& args)
{
    const Command& self = kPackCommand;
    std::string out;
    bool compress = false;
    std::vector<std::string> pictures;
    std::vector<PageLink> links;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--compress") {
            compress = true;
        } else if (a == "--link") {
            if (i + 1 >= args.size()) return UsageError(self, "--link needs PAGE:LEFT,TOP,RIGHT,BOTTOM:TEXT");
            std::string error;
            const std::optional<PageLink> link = ParsePageLink(args[++i], error);
            if (!link) return UsageError(self, error);
            links.push_back(*link);
        } else if (!a.empty() && a[0] == '-') {
            return UsageError(self, "unknown option " + a);
        } else if (out.empty()) {
            out = a;
        } else {
            pictures.push_back(a);
        }
    }
    if (out.empty()) return UsageError(self, "OUT is missing");
    if (pictures.empty()) return UsageError(self, "at least one PICTURE is needed");
    if (compress && !links.empty()) return UsageError(self, "compressed pages carry no hyperlinks: --link with --compress");
    for (const PageLink& l : links)
        if (static_cast<size_t>(l.page) > pictures.size())
            return UsageError(self, "--link names page " + std::to_string(l.page) + " of " +
                                        std::to_string(pictures.size()));

    try {
        qrp::CheckNotAnInput(out, pictures);
    } catch (const qrp::Exception& e) {
        std::cerr << "qrptool pack: " << e.what() << "\n";
        return kExitPartial;
    }
    // A report's offsets are 32-bit: pictures that cannot fit are refused before any is read.
    int64_t total = qrp::TQRPageList::kHeaderSize;
    for (const std::string& path : pictures) total += std::max<int64_t>(qrp::StatusOf(path).size, 0) + kPageOverhead;
    if (total > INT32_MAX) {
        std::cerr << "qrptool pack: " << out << ": the pictures hold " << total
                  << " bytes, more than a report file can hold (2 GiB)\n";
        return kExitPartial;
    }
    qrp::TQRPageList list;
    list.SetStream(std::make_shared<qrp::TQRStream>(kMemoryLimit));
    list.SetCompression(compress);
    try {
        for (const std::string& path : pictures) {
            qrp::TMetafile picture;
            try {
                qrp::TFileStream in(path, qrp::fmOpenRead | qrp::fmShareDenyNone);
                picture.LoadFromStream(in);
            } catch (const qrp::Exception& e) {
                return InvalidFile(e.what());
            }
            picture.SetEnhanced(true);  // pages are stored as enhanced metafiles
            qrp::THyperlinkList pageLinks;
            for (const PageLink& l : links)
                if (static_cast<size_t>(l.page) == list.PageCount() + 1u) pageLinks.push_back(l.link);
            if (pageLinks.empty())
                list.AddPage(picture);
            else
                list.AddPageEx(picture, &pageLinks);
        }
        list.Finish();
        list.SaveToFile(out);
    } catch (const qrp::Exception& e) {
        std::cerr << "qrptool pack: " << e.what() << "\n";
        return kExitPartial;
    }
    return kExitOk;
}

}  // namespace
}  // namespace qrptool
