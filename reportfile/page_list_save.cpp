// Saving a report as an exact copy of its stream: into a new temporary file beside the
// destination, renamed over it only when the whole copy is on disk.
#include "base/exceptions.h"
#include "base/tempfile.h"
#include "reportfile/page_list.h"

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace qrp {

namespace {

mode_t ProcessUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
    }
    return 022;
}

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A symbolic link is saved through: the copy replaces the file it points to.
std::string ResolveLink(const std::string& path)
{
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    char* resolved = ::realpath(path.c_str(), nullptr);
    if (!resolved) return path;
    std::string out(resolved);
    std::free(resolved);
    return out;
}

}  // namespace

void TQRPageList::SaveToFile(const std::string& fileName)
{
    QRP_ASSERT(FStream);
    // The file the report is read from: creating it would truncate what is being copied.
    const int openHandle = FStream->FileHandle();
    if (openHandle >= 0 && SameFile(fileName, openHandle))
        throw EFCreateError(fileName, "The file is in use: it is the report being shown.");

    const std::string target = ResolveLink(fileName);
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode)) throw EFCreateError(fileName, SystemErrorText(EISDIR));
    if (exists && ::access(target.c_str(), W_OK) != 0) throw EFCreateError(fileName, SystemErrorText(errno));

    int error = 0;
    std::string prefix(1, '.');
    prefix.append(NameOf(target)).append(1, '.');
    const std::string temp = TryCreateUniqueFile(FolderOf(target), prefix, error);
    if (temp.empty()) throw EFCreateError(fileName, SystemErrorText(error));
    try {
        TFileStream out(temp, fmOpenReadWrite);
        FStream->SaveToStream(out);
        const mode_t mode = exists ? (existing.st_mode & 07777) : (0666 & ~ProcessUmask());
        ::fchmod(out.Handle(), mode);
        out.Sync();
    } catch (...) {
        std::remove(temp.c_str());
        throw;
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        const int renameError = errno;
        std::remove(temp.c_str());
        throw EFCreateError(fileName, SystemErrorText(renameError));
    }
}

}  // namespace qrp
