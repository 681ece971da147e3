// A one-line progress bar on standard error, drawn only when standard error is a terminal.
// Safe to call from several threads.
#pragma once

#include <mutex>
#include <string>

namespace qrptool {

class ProgressBar {
public:
    // enabled: draw at all (normally: StandardErrorIsTerminal()).
    ProgressBar(int total, bool enabled);
    ~ProgressBar();  // clears the line

    static bool StandardErrorIsTerminal();

    // One more item done; label names it (the file just finished).
    void Advance(const std::string& label);
    // Clears the line so that what follows starts on a clean one.
    void Clear();

private:
    void Draw(const std::string& label);

    std::mutex FMutex;
    int FTotal;
    int FDone = 0;
    bool FEnabled;
    bool FDrawn = false;
};

}  // namespace qrptool
