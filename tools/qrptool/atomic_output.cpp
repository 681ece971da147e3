#include "tools/qrptool/atomic_output.h"

#include "base/exceptions.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <string>

namespace qrptool {

namespace {

// A fresh candidate name for a temporary file of target: ".NAME.XXXXXX".
std::string TempName(const std::filesystem::path& target, unsigned attempt)
{
    static std::atomic<unsigned> counter{0};
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    uint64_t seed = std::random_device{}() ^ (uint64_t{counter++} << 32) ^ attempt;
    std::string suffix;
    for (int i = 0; i < 6; ++i) {
        suffix += kDigits[seed % 36];
        seed /= 36;
    }
    return "." + target.filename().string() + "." + suffix;
}

// renameat2(RENAME_NOREPLACE), or link + unlink on file systems without it: both fail with
// EEXIST instead of replacing a target that exists.
int RenameNoReplace(const char* from, const char* to)
{
#ifdef RENAME_NOREPLACE
    if (::renameat2(AT_FDCWD, from, AT_FDCWD, to, RENAME_NOREPLACE) == 0) return 0;
    if (errno != EINVAL && errno != ENOSYS) return -1;
#endif
    if (::link(from, to) != 0) return -1;
    ::unlink(from);
    return 0;
}

}  // namespace

AtomicOutputFile::AtomicOutputFile(std::filesystem::path target) : FTarget(std::move(target))
{
    const std::filesystem::path folder = FTarget.has_parent_path() ? FTarget.parent_path() : ".";
    // Created like any new file (mode 0666 less the umask), never over an existing one.
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
        FTemp = folder / TempName(FTarget, attempt);
        FFd = ::open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (FFd >= 0) return;
        if (errno != EEXIST) break;
    }
    throw OutputFileError("cannot create a file in " + folder.string() + ": " + qrp::SystemErrorText(errno));
}

AtomicOutputFile::~AtomicOutputFile()
{
    CloseDescriptor();
    if (!FCommitted) ::unlink(FTemp.c_str());
}

void AtomicOutputFile::CloseDescriptor()
{
    if (FFd >= 0) {
        ::close(FFd);
        FFd = -1;
    }
}

void AtomicOutputFile::Commit(bool replace)
{
    if (FCommitted) return;
    const int fd = FFd;
    FFd = -1;
    if (::close(fd) != 0) {
        throw OutputFileError("cannot write " + FTarget.string() + ": " + qrp::SystemErrorText(errno));
    }
    const int result = replace ? std::rename(FTemp.c_str(), FTarget.c_str())
                               : RenameNoReplace(FTemp.c_str(), FTarget.c_str());
    if (result != 0) {
        const int error = errno;
        if (error == EEXIST) throw OutputFileError("output " + FTarget.string() + " exists (--force replaces it)");
        throw OutputFileError("cannot rename the output to " + FTarget.string() + ": " + qrp::SystemErrorText(error));
    }
    FCommitted = true;
}

}  // namespace qrptool
