// qrp-samplegen: writes the bundled sample reports into a folder (default: samples/).
//   laudo.QRP             the three-page exam report, pages stored plain
//   laudo-compressed.QRP  the same pages, compressed
#include "tools/samplegen/laudo.h"

#include "base/file_system.h"

#include <exception>
#include <iostream>
#include <string>

namespace {

// Replaces path as a whole: a reader never sees half a sample, a failure leaves the old one.
bool Write(const std::string& path, const std::vector<uint8_t>& bytes)
{
    try {
        qrp::TAtomicFile out(path);
        out.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
        out.Commit();
        return true;
    } catch (const std::exception& e) {
        std::cerr << "qrp-samplegen: " << e.what() << "\n";
        return false;
    }
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
