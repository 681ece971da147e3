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
};

struct Command {
    const char* name;
    const char* summary;
    const char* usage;  // full --help text
    int (*run)(const std::vector<std::string>& args);  // args after the command name
};

// Every command, in the order --help lists them (commands.cpp).
const std::vector<Command>& Commands();

// Prints "qrptool: <message>" to standard error and the command's usage; returns kExitUsage.
int UsageError(const Command& command, const std::string& message);

}  // namespace qrptool
