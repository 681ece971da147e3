// qrptool: the report file tools on the command line.
#include "tools/qrptool/command.h"

#include <algorithm>
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
    out << "Usage: qrptool COMMAND [OPTIONS] [ARGUMENTS]\n"
           "       qrptool --help | --version\n\n"
           "Reads, writes, renders, converts and prints report files (.QRP).\n\nCommands:\n";
    for (const Command& c : Commands()) {
        std::string name = c.name;
        name.resize(std::max<size_t>(name.size() + 1, 10), ' ');
        out << "  " << name << c.summary << "\n";
    }
    out << "\nOptions:\n"
           "  -h, --help  show this help ('qrptool COMMAND --help' or 'qrptool help COMMAND': a\n"
           "              command's options)\n"
           "  --version   show the version\n\n"
           "Exit status: 0 success, 1 bad arguments, 2 an input could not be loaded, 3 some\n"
           "inputs skipped.\n";
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
        // "qrptool help COMMAND" is "qrptool COMMAND --help".
        if (args[0] == "help" && args.size() > 1) {
            for (const Command& c : Commands()) {
                if (args[1] == c.name) {
                    std::cout << c.usage;
                    return kExitOk;
                }
            }
            std::cerr << "qrptool: unknown command '" << args[1] << "'\n\n";
            PrintHelp(std::cerr);
            return kExitUsage;
        }
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
