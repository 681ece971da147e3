// An output file written atomically, on the file-system layer's TAtomicFile: the bytes go
// to a temporary file beside the target (".NAME.XXXXXX" in the same folder), renamed into
// place only when complete. Until then the target is untouched; a temporary file that was
// not committed is removed, also on SIGINT and SIGTERM. A target that exists and is not a
// regular file, or is the same file as one of the inputs, is refused.
#pragma once

#include "base/file_system.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace qrptool {

class OutputFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class AtomicOutputFile {
public:
    // Creates the temporary file for target. Throws OutputFileError.
    explicit AtomicOutputFile(std::filesystem::path target, const std::vector<std::string>& inputs = {});
    ~AtomicOutputFile();  // removes the temporary file unless committed
    AtomicOutputFile(const AtomicOutputFile&) = delete;
    AtomicOutputFile& operator=(const AtomicOutputFile&) = delete;

    const std::filesystem::path& Target() const { return FTarget; }
    std::filesystem::path TempPath() const { return FFile->TempPath(); }
    // The temporary file's descriptor, open for writing; it stays owned by this object.
    int Descriptor() const { return static_cast<int>(FFile->Handle()); }
    // Appends bytes through the object. Throws OutputFileError.
    void Write(const void* buffer, int64_t count);

    // Syncs and closes the temporary file, to be committed later. Throws OutputFileError.
    void Seal();
    // Syncs the temporary file and renames it to the target. Without replace, an existing
    // target is never overwritten, even one that appeared while the file was written: the
    // commit then fails and the temporary file is removed. Throws OutputFileError.
    void Commit(bool replace);

private:
    std::filesystem::path FTarget;
    std::unique_ptr<qrp::TAtomicFile> FFile;
};

}  // namespace qrptool
