// qrp-hostilegen: writes the hostile inputs into a folder.
//   qrp-hostilegen --list            one line per case: file name and how it is exercised
//   qrp-hostilegen DIR [NAME...]     writes every case (or the named ones) into DIR
#include "tools/hostile/cases.h"


#include <cstdio>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    using namespace qrp::hostile;
    if (argc < 2) {
        std::fprintf(stderr, "Usage: qrp-hostilegen --list | DIR [NAME...]\n");
        return 1;
    }
    const std::string first = argv[1];
    if (first == "--list") {
        for (const Case& c : Cases()) {
            const char* how = c.exercise == Exercise::Render ? "render" : c.exercise == Exercise::RenderAll ? "render-all" : "store";
            std::printf("%s %s\n", c.name.c_str(), how);
        }
        return 0;
    }
    int written = 0;
    for (const Case& c : Cases()) {
        bool wanted = argc == 2;
        for (int i = 2; i < argc; ++i) wanted = wanted || c.name == argv[i];
        if (!wanted) continue;
        const std::vector<uint8_t> bytes = c.make();
        const std::string path = first + "/" + c.name;
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        out.close();
        if (!out) {
            std::fprintf(stderr, "qrp-hostilegen: cannot write %s\n", path.c_str());
            return 2;
        }
        ++written;
    }
    if (written == 0) {
        std::fprintf(stderr, "qrp-hostilegen: no such case\n");
        return 1;
    }
    return 0;
}
