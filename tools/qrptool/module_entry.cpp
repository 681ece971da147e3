// The entry point of a qrptool module: the descriptor of a command it holds.
#include "tools/qrptool/command.h"

#include <cstring>
#include <type_traits>

extern "C" __attribute__((visibility("default"))) const qrptool::Command* qrptool_find_command(const char* name)
{
    for (const qrptool::CommandEntry& entry : qrptool::CommandTable()) {
        if (entry.command && std::strcmp(entry.name, name) == 0) return entry.command;
    }
    return nullptr;
}

static_assert(std::is_same_v<decltype(&qrptool_find_command), qrptool::ModuleEntry>);
