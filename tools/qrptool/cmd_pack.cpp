// qrptool pack: writes a report of pictures, one page each, as a report generator does.
#include "base/exceptions.h"
#include "base/stream.h"
#include "reportfile/page_list.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/invalid_file.h"

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
    "Usage: qrptool pack OUT [--compress] PICTURE...\n"
    "\n"
    "Writes the report OUT with one page per PICTURE, in order, through a report\n"
    "stream (in memory up to 250000 bytes, then in a temporary file), appending each\n"
    "page and finishing the header, then saving the stream to OUT.\n"
    "  --compress  store the pages compressed\n"
    "\n"
    "Exit status: 0 written, 2 a picture cannot be read (\"Arquivo inválido.\" and the\n"
    "reason on standard error; OUT is not written), 3 OUT cannot be written.\n",
    RunPack,
};

namespace {

constexpr int32_t kMemoryLimit = 250000;

int RunPack(const std::vector<std::string>& args)
{
    const Command& self = kPackCommand;
    std::string out;
    bool compress = false;
    std::vector<std::string> pictures;
    for (const std::string& a : args) {
        if (a == "--compress") {
            compress = true;
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

    qrp::TQRPageList list;
    list.SetStream(std::make_shared<qrp::TQRStream>(kMemoryLimit));
    list.SetCompression(compress);
    for (const std::string& path : pictures) {
        qrp::TMetafile picture;
        try {
            qrp::TFileStream in(path, qrp::fmOpenRead | qrp::fmShareDenyNone);
            picture.LoadFromStream(in);
        } catch (const qrp::Exception& e) {
            return InvalidFile(e.what());
        }
        picture.SetEnhanced(true);  // pages are stored as enhanced metafiles
        list.AddPage(picture);
    }
    list.Finish();
    try {
        list.SaveToFile(out);
    } catch (const qrp::Exception& e) {
        std::cerr << "qrptool pack: " << e.what() << "\n";
        return kExitPartial;
    }
    return kExitOk;
}

}  // namespace
}  // namespace qrptool
