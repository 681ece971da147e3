// An output file written atomically: the bytes go to a temporary file beside the target
// (".NAME.XXXXXX" in the same folder, so the rename stays on one file system), which is
// renamed into place only when complete. Until then the target is untouched; a temporary
// file that was not committed is removed.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace qrptool {

class OutputFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class AtomicOutputFile {
public:
    // Creates the temporary file for target. Throws OutputFileError.
    explicit AtomicOutputFile(std::filesystem::path target);
    ~AtomicOutputFile();  // removes the temporary file unless committed
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    const std::filesystem::path& Target() const { return FTarget; }
    const std::filesystem::path& TempPath() const { return FTemp; }
    // The temporary file's descriptor, open for writing; it stays owned by this object.
    int Descriptor() const { return FFd; }

    // Closes the temporary file and renames it to the target. Without replace, an existing
    // target is never overwritten, even one that appeared while the file was written: the
    // commit then fails and the temporary file is removed. Throws OutputFileError.
    void Commit(bool replace);

private:
    void CloseDescriptor();

    std::filesystem::path FTarget;
    std::filesystem::path FTemp;
    int FFd = -1;
    bool FCommitted = false;
};

}  // namespace qrptool
