#include "testsupport/files.h"

#include "base/file_system.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qrp::testsupport {

ScratchDir::ScratchDir()
{
    // A unique name from the file-system layer (on every platform), made into a folder.
    FPath = CreateUniqueFile(TempDirectory(), "qrp-test-");
    RemoveFile(FPath);
    if (!std::filesystem::create_directory(FPath)) throw std::runtime_error("cannot make the scratch folder " + FPath);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

std::string ScratchDir::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    const std::string path = File(name);
    WriteFile(path, bytes);
    return path;
}

std::vector<std::string> ScratchDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FPath)) names.push_back(entry.path().filename().string());
    return names;
}

void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::vector<uint8_t> ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qrp::testsupport
