// Runs the built qrptool for the convert tests and looks at what it left behind.
#pragma once

#include <QSizeF>

#include <filesystem>
#include <string>
#include <vector>

namespace qrptool::test {

struct RunResult {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// qrptool with args, standard input closed, standard output and error captured (so not a
// terminal).
RunResult RunQrptool(const std::vector<std::string>& args);
// qrptool on a pseudo-terminal: what it wrote to the terminal (both streams).
RunResult RunQrptoolOnTerminal(const std::vector<std::string>& args);

// The names of the entries of folder, sorted (hidden ones too).
std::vector<std::string> FolderNames(const std::filesystem::path& folder);

// The page sizes of a PDF in points, from pdfinfo; empty when pdfinfo is missing or the
// file is no PDF.
std::vector<QSizeF> PdfPageSizes(const std::filesystem::path& pdf);
bool HavePdfinfo();

bool HaveProgram(const char* name);
// What a program printed on standard output; empty when it failed.
std::string RunProgram(const char* name, const std::vector<std::string>& args);

// A fresh empty folder under the system's temporary folder, removed by the destructor.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    const std::filesystem::path& Path() const { return FPath; }
    std::filesystem::path operator/(const std::string& name) const { return FPath / name; }

private:
    std::filesystem::path FPath;
};

}  // namespace qrptool::test
