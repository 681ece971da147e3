#include "tools/qrptool/command.h"

namespace qrptool {

// Each command lives in cmd_<name>.cpp and exports its descriptor here.
// Add a command: declare its descriptor below and list it in Commands().
extern const Command kInfoCommand;
extern const Command kExtractCommand;
extern const Command kPackCommand;
extern const Command kRenderCommand;
extern const Command kPrintCommand;
extern const Command kPrintersCommand;
extern const Command kConvertCommand;
extern const Command kThumbnailCommand;

const std::vector<Command>& Commands()
{
    static const std::vector<Command> commands = {
        kInfoCommand,
        kExtractCommand,
        kPackCommand,
        kRenderCommand,
        kPrintCommand,
        kPrintersCommand,
        kConvertCommand,
        kThumbnailCommand,
    };
    return commands;
}

}  // namespace qrptool
