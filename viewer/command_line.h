// The viewer's command line before any window: --help and --version answer on standard
// output without a display, and a display that cannot be opened ends the program with one
// line instead of an abort.
#pragma once

#include <optional>
#include <ostream>
#include <string>

namespace qrp {

// "--help"/"-h" or "--version"/"-v" among the arguments (before "--"): prints the answer to
// out and gives the exit status; otherwise nothing is printed and nothing is given.
std::optional<int> AnswerInfoOptions(int argc, const char* const* argv, const std::string& version, std::ostream& out);

// While it lives, a fatal message of Qt (the platform plugin failed: no display, a display
// that refuses the connection) prints one line to standard error and ends the process with
// status 1; other messages wait and are passed on when the guard is released.
class TPlatformStartGuard {
public:
    TPlatformStartGuard();
    ~TPlatformStartGuard();
    TPlatformStartGuard(const TPlatformStartGuard&) = delete;
    TPlatformStartGuard& operator=(const TPlatformStartGuard&) = delete;
    // Puts the previous message handler back and hands it the messages that waited.
    void Release();

    static constexpr const char* kNoDisplay =
        "qrpview: não foi possível abrir a tela gráfica (verifique a variável DISPLAY)";
};

}  // namespace qrp
