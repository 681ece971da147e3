#include "base/tempfile.h"

#include "base/exceptions.h"

#include <cerrno>
#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace qrp {

std::string TempDirectory()
{
    const char* dir = std::getenv("TMPDIR");
    if (dir && *dir) {
        struct stat info {};
        if (::stat(dir, &info) == 0 && S_ISDIR(info.st_mode)) return dir;
    }
    return "/tmp";
}

std::string TryCreateUniqueFile(const std::string& directory, const std::string& prefix, int& error)
{
    std::string pattern = directory;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = errno;
        return {};
    }
    ::close(fd);
    error = 0;
    return std::string(name.data());
}

std::string CreateUniqueFile(const std::string& directory, const std::string& prefix)
{
    std::string pattern = directory;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkstemp(name.data());
    if (fd < 0) throw EFCreateError(pattern, SystemErrorText(errno));
    ::close(fd);
    return std::string(name.data());
}

bool SameFile(const std::string& a, const std::string& b)
{
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

bool SameFile(const std::string& path, int openHandle)
{
    struct stat sa {}, sb {};
    if (::stat(path.c_str(), &sa) != 0 || ::fstat(openHandle, &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

}  // namespace qrp
