// Files for tests: a scratch folder that goes with its content, whole-file reads and writes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace qrp::testsupport {

// A fresh folder under the system's temporary folder, removed with its content when the
// object goes.
class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& Path() const { return FPath; }
    std::string File(const std::string& name) const { return FPath + "/" + name; }
    // Writes bytes to the file of that name and returns its path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;
    // Names of the entries in the folder.
    std::vector<std::string> Entries() const;

private:
    std::string FPath;
};

// Replaces the file's content; throws std::runtime_error when it cannot be written.
void WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);
// The whole file; throws std::runtime_error when it cannot be read.
std::vector<uint8_t> ReadFile(const std::filesystem::path& path);

}  // namespace qrp::testsupport
