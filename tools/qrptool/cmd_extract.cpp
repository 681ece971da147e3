// qrptool extract: writes every page's picture bytes as DIR/page-0001.emf, ...
#include "base/exceptions.h"
#include "base/file_system.h"
#include "reportfile/page_list.h"
#include "tools/qrptool/atomic_output.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/invalid_file.h"

#include <cstdio>
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
    "Each page file is written to a temporary file beside it and renamed into place when\n"
    "complete, replacing an existing regular file; a page file that is FILE itself (or\n"
    "a link to it) or is not a regular file is refused.\n"
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
    try {
        qrp::CreateFolders(dir);
    } catch (const qrp::Exception& e) {
        std::cerr << "qrptool extract: " << e.what() << "\n";
        return kExitPartial;
    }
    int status = kExitOk;
    const int32_t count = list.PageCount();
    for (int32_t p = 1; p <= count && p > 0; ++p) {
        try {
            const auto page = list.GetPage(p);
            const qrp::emf::Bytes data = page && page->Handle() ? page->Handle()->Data() : qrp::emf::Bytes{};
            std::string path = dir;
            if (path.back() != '/') path += '/';
            path += PageName(p);
            AtomicOutputFile out(path, {file});
            out.Write(data.data(), static_cast<int64_t>(data.size()));
            out.Commit(true);
        } catch (const qrp::Exception& e) {
            std::cerr << "qrptool extract: page " << p << ": " << e.what() << "\n";
            status = kExitPartial;
        } catch (const OutputFileError& e) {
            std::cerr << "qrptool extract: page " << p << ": " << e.what() << "\n";
            status = kExitPartial;
        }
    }
    return status;
}

}  // namespace
}  // namespace qrptool
