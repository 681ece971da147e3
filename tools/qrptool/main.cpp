// qrptool: the report file tools on the command line.
#include "tools/qrptool/command.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

namespace qrptool {
namespace {

void PrintHelp(std::ostream& out)
{
    out << "Usage: qrptool COMMAND [OPTIONS] [ARGUMENTS]\n"
           "       qrptool --help | --version\n\n"
           "Reads, writes, renders, converts and prints report files (.QRP).\n\nCommands:\n";
    // Lists the modules' commands too: help loads them, running a core command does not.
    for (const CommandEntry& entry : CommandTable()) {
        std::string name = entry.name;
        name.resize(std::max<size_t>(name.size() + 1, 10), ' ');
        std::string summary;
        try {
            summary = FindCommand(entry.name)->summary;
        } catch (const std::exception& e) {
            summary = std::string("(unavailable: ") + e.what() + ")";
        }
        out << "  " << name << summary << "\n";
    }
    out << "\nOptions:\n"
           "  -h, --help  show this help ('qrptool COMMAND --help' or 'qrptool help COMMAND': a\n"
           "              command's options)\n"
           "  --version   show the version\n\n"
           "Exit status: 0 success, 1 bad arguments, 2 an input could not be loaded, 3 some\n"
           "inputs skipped, 5 out of memory or an unexpected failure.\n";
}

// No command ends in an abort: what escapes it is one line and a status of its own.
int RunCommand(const Command& command, const std::vector<std::string>& args)
{
    try {
        return command.run(args);
    } catch (const std::bad_alloc&) {
        std::cerr << "qrptool " << command.name << ": out of memory\n";
    } catch (const std::exception& e) {
        std::cerr << "qrptool " << command.name << ": unexpected failure: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "qrptool " << command.name << ": unexpected failure\n";
    }
    return kExitAborted;
}

}  // namespace
}  // namespace qrptool

int main(int argc, char** argv)
{
    using namespace qrptool;
    // Past a file-size limit a write fails ("File too large") and names its file, rather
    // than the signal ending the process with a temporary half written.
    std::signal(SIGXFSZ, SIG_IGN);
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        // "qrptool help COMMAND" is "qrptool COMMAND --help".
        if (args[0] == "help" && args.size() > 1) {
            try {
                if (const Command* c = FindCommand(args[1])) {
                    std::cout << c->usage;
                    return kExitOk;
                }
            } catch (const std::exception& e) {
                std::cerr << "qrptool " << args[1] << ": " << e.what() << "\n";
                return kExitUsage;
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
    const Command* c = nullptr;
    try {
        c = FindCommand(args[0]);
    } catch (const std::exception& e) {
        // A module missing or broken: the installation is incomplete.
        std::cerr << "qrptool " << args[0] << ": " << e.what() << "\n";
        return kExitUsage;
    }
    if (c) {
        std::vector<std::string> rest(args.begin() + 1, args.end());
        for (const std::string& a : rest) {
            if (a == "--help" || a == "-h") {
                std::cout << c->usage;
                return kExitOk;
            }
        }
        return RunCommand(*c, rest);
    }
    std::cerr << "qrptool: unknown command '" << args[0] << "'\n\n";
    PrintHelp(std::cerr);
    return kExitUsage;
}
