// One qrptool command: its name, a one-line summary, its usage text and its entry point.
#pragma once

#include <string>
#include <vector>

namespace qrptool {

// Exit statuses shared by every command.
enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 1,        // bad arguments: the usage went to standard error
    kExitInvalidFile = 2,  // an input could not be loaded
    kExitPartial = 3,      // some inputs were skipped
    kExitAborted = 5,      // out of memory or an unexpected failure: one line on standard error
};

struct Command {
    const char* name;
    const char* summary;
    const char* usage;  // full --help text
    int (*run)(const std::vector<std::string>& args);  // args after the command name
};

// The program part that holds a command's code. qrptool itself links no Qt GUI, so that it
// starts at once; the other parts are modules it loads when one of their commands runs.
enum class Part {
    kCore,   // in qrptool: reads and writes report files
    kDraw,   // qrptool_draw module: painting and fonts (Qt GUI)
    kPrint,  // qrptool_print module: printers and print jobs (Qt print support, CUPS)
};

struct CommandEntry {
    const char* name;
    Part part;
    const Command* command;  // null in a part that does not hold the command's code
};

// Every command, in the order --help lists them (commands.cpp).
const std::vector<CommandEntry>& CommandTable();

// The command named name, its part loaded when needed; null for an unknown name. Throws
// std::runtime_error when the part cannot be loaded.
const Command* FindCommand(const std::string& name);
// The copy of a command held by a module part, loaded when needed; null when the part lacks
// it. Throws std::runtime_error when the part cannot be loaded. Defined in the program only
// (weak: a module that names it links without it).
const Command* FindCommandIn(Part part, const std::string& name) __attribute__((weak));

// The module file that holds part, and the entry point every module exports.
const char* PartModuleName(Part part);
constexpr const char* kModuleEntry = "qrptool_find_command";
using ModuleEntry = const Command* (*)(const char* name);

// Prints "qrptool: <message>" to standard error and the command's usage; returns kExitUsage.
int UsageError(const Command& command, const std::string& message);

}  // namespace qrptool
