// qrptool extract: writes every page's picture bytes as DIR/page-0001.emf, ...
#include "base/exceptions.h"
#include "reportfile/page_list.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/invalid_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>

namespace qrptool {
namespace {

int RunExtract(const std::vector<std::string>& args);

}  // namespace

extern const Command kExtractCommand = {
    "extract",
    "write every page's picture as an .emf file",
    "Usage: qrptool extract FILE -o DIR\n"
    "\n"
    "Loads FILE as the viewer does and writes each page's picture bytes, as the page\n"
    "list reads them, to DIR/page-0001.emf, DIR/page-0002.emf, ... (DIR is created).\n"
    "\n"
    "Exit status: 0 every page written, 2 the file cannot be loaded (nothing is\n"
    "written), 3 some page could not be read or written.\n",
    RunExtract,
};

namespace {

std::string PageName(int number)
{
    char name[32];
    std::snprintf(name, sizeof name, "page-%04d.emf", number);
    return name;
}

int RunExtract(const std::vector<std::string>& args)
{
    const Command& self = kExtractCommand;
    std::string file, dir;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o" || args[i] == "--output") {
            if (i + 1 >= args.size()) return UsageError(self, "-o needs a folder");
            dir = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError(self, "unknown option " + args[i]);
        } else if (file.empty()) {
            file = args[i];
        } else {
            return UsageError(self, "one FILE only");
        }
    }
    if (file.empty()) return UsageError(self, "FILE is missing");
    if (dir.empty()) return UsageError(self, "-o DIR is missing");

    qrp::TQRPageList list;
    try {
        list.LoadFromFile(file);
    } catch (const qrp::Exception& e) {
        return InvalidFile(e.what());
    }
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    if (error) {
        std::cerr << "qrptool extract: cannot create " << dir << ": " << error.message() << "\n";
        return kExitPartial;
    }
    int status = kExitOk;
    for (int p = 1; p <= list.PageCount(); ++p) {
        try {
            const auto page = list.GetPage(p);
            const qrp::emf::Bytes data = page->Handle() ? page->Handle()->Data() : qrp::emf::Bytes{};
            const std::string path = (std::filesystem::path(dir) / PageName(p)).string();
            std::ofstream out(path, std::ios::binary | std::ios::trunc);
            out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
            out.close();
            if (!out) {
                std::cerr << "qrptool extract: cannot write " << path << "\n";
                status = kExitPartial;
            }
        } catch (const qrp::Exception& e) {
            std::cerr << "qrptool extract: page " << p << ": " << e.what() << "\n";
            status = kExitPartial;
        }
    }
    return status;
}

}  // namespace
}  // namespace qrptool
