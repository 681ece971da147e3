#include "tools/qrptool/progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

namespace qrptool {

namespace {

int TerminalColumns()
{
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 20) return size.ws_col;
    return 80;
}

}  // namespace

ProgressBar::ProgressBar(int total, bool enabled) : FTotal(std::max(total, 1)), FEnabled(enabled)
{
    if (FEnabled) Draw("");
}

ProgressBar::~ProgressBar() { Clear(); }

bool ProgressBar::StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

void ProgressBar::Advance(const std::string& label)
{
    std::lock_guard<std::mutex> lock(FMutex);
    ++FDone;
    if (FEnabled) Draw(label);
}

void ProgressBar::Clear()
{
    std::lock_guard<std::mutex> lock(FMutex);
    if (FEnabled && FDrawn) {
        std::fputs("\r\033[K", stderr);
        std::fflush(stderr);
        FDrawn = false;
    }
}

void ProgressBar::Draw(const std::string& label)
{
    constexpr int kBarWidth = 30;
    const int done = std::min(FDone, FTotal);
    const int filled = done * kBarWidth / FTotal;
    std::string line = "[" + std::string(static_cast<size_t>(filled), '#') +
                       std::string(static_cast<size_t>(kBarWidth - filled), '.') + "] " + std::to_string(done) +
                       "/" + std::to_string(FTotal);
    if (!label.empty()) line += "  " + label;
    // Keep to one line of the terminal: a wrapped line would not be redrawn in place.
    const size_t columns = static_cast<size_t>(TerminalColumns() - 1);
    if (line.size() > columns) {
        line.resize(columns);
        // Drop a UTF-8 sequence cut in the middle.
        while (!line.empty() && (static_cast<unsigned char>(line.back()) & 0xC0) == 0x80) line.pop_back();
        if (!line.empty() && static_cast<unsigned char>(line.back()) >= 0xC0) line.pop_back();
    }
    std::fputs(("\r\033[K" + line).c_str(), stderr);
    std::fflush(stderr);
    FDrawn = true;
}

}  // namespace qrptool
