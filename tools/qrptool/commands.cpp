// The command table. Compiled into qrptool and into every module: each sees the descriptors
// of the commands it links and null for the others (weak references).
//
// Add a command: write cmd_<name>.cpp defining `extern const Command k<Name>Command`, declare
// it below and add its line to the table with its part. A core command needs nothing else
// (it must not use Qt's GUI); a drawing or printing one also names its files in that part's
// list in tools/CMakeLists.txt.
#include "tools/qrptool/command.h"

#include <iostream>

namespace qrptool {

#define QRPTOOL_COMMAND(descriptor) extern const Command descriptor __attribute__((weak))
QRPTOOL_COMMAND(kInfoCommand);
QRPTOOL_COMMAND(kExtractCommand);
QRPTOOL_COMMAND(kPackCommand);
QRPTOOL_COMMAND(kRenderCommand);
QRPTOOL_COMMAND(kPrintCommand);
QRPTOOL_COMMAND(kPrintersCommand);
QRPTOOL_COMMAND(kConvertCommand);
QRPTOOL_COMMAND(kThumbnailCommand);
QRPTOOL_COMMAND(kTextCommand);
QRPTOOL_COMMAND(kGrepCommand);
#undef QRPTOOL_COMMAND

const std::vector<CommandEntry>& CommandTable()
{
    static const std::vector<CommandEntry> table = {
        {"info", Part::kCore, &kInfoCommand},
        {"extract", Part::kCore, &kExtractCommand},
        {"pack", Part::kCore, &kPackCommand},
        {"render", Part::kDraw, &kRenderCommand},
        {"print", Part::kPrint, &kPrintCommand},
        {"printers", Part::kPrint, &kPrintersCommand},
        {"convert", Part::kDraw, &kConvertCommand},
        {"thumbnail", Part::kDraw, &kThumbnailCommand},
        {"text", Part::kDraw, &kTextCommand},
        {"grep", Part::kDraw, &kGrepCommand},
    };
    return table;
}

const char* PartModuleName(Part part)
{
    switch (part) {
    case Part::kDraw:
        return "qrptool_draw.so";
    case Part::kPrint:
        return "qrptool_print.so";
    case Part::kCore:
        break;
    }
    return "";
}

int UsageError(const Command& command, const std::string& message)
{
    std::cerr << "qrptool " << command.name << ": " << message << "\n\n" << command.usage;
    return kExitUsage;
}

}  // namespace qrptool
