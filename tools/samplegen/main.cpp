// qrp-samplegen: writes the bundled sample reports into a folder (default: samples/).
//   laudo.QRP             the three-page exam report, pages stored plain
//   laudo-compressed.QRP  the same pages, compressed
#include "tools/samplegen/laudo.h"

#include <fstream>
#include <iostream>
#include <string>

namespace {

bool Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) std::cerr << "qrp-samplegen: cannot write " << path << "\n";
    return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 2 || (argc == 2 && std::string(argv[1]).rfind('-', 0) == 0)) {
        std::cerr << "Usage: qrp-samplegen [FOLDER]\n\nWrites laudo.QRP and laudo-compressed.QRP into FOLDER "
                     "(default: samples).\n";
        return 1;
    }
    const std::string folder = argc == 2 ? argv[1] : "samples";
    const bool ok = Write(folder + "/laudo.QRP", samplegen::LaudoReport(false)) &&
                    Write(folder + "/laudo-compressed.QRP", samplegen::LaudoReport(true));
    return ok ? 0 : 2;
}
