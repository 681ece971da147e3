// qrptool: the report file tools on the command line.
#include "tools/qrptool/command.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

namespace qrptool {

int UsageError(const Command& command, const std::string& message)
{
    std::cerr << "qrptool " << command.name << ": " << message << "\n\n" << command.usage;
    return kExitUsage;
}

namespace {

void PrintHelp(std::ostream& out)
{
    out << "Usage: qrptool COMMAND [OPTIONS]\n\n"
           "Reads, writes, renders and prints report files (.QRP).\n\nCommands:\n";
    for (const Command& c : Commands()) {
        std::string name = c.name;
        name.resize(10, ' ');
        out << "  " << name << c.summary << "\n";
    }
    out << "\nRun 'qrptool COMMAND --help' for a command's options.\n"
           "  --help     show this help\n  --version  show the version\n";
}

}  // namespace
}  // namespace qrptool

int main(int argc, char** argv)
{
    using namespace qrptool;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        PrintHelp(std::cout);
        return kExitOk;
    }
    if (args[0] == "--version") {
        std::cout << "qrptool " << QRP_VERSION << "\n";
        return kExitOk;
    }
    for (const Command& c : Commands()) {
        if (args[0] != c.name) continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        for (const std::string& a : rest) {
            if (a == "--help" || a == "-h") {
                std::cout << c.usage;
                return kExitOk;
            }
        }
        return c.run(rest);
    }
    std::cerr << "qrptool: unknown command '" << args[0] << "'\n\n";
    PrintHelp(std::cerr);
    return kExitUsage;
}
