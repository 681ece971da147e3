// The file-system layer on POSIX systems (see file_system.h).
#ifndef _WIN32

#include "base/file_system.h"

#include "base/exceptions.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace qrp {

namespace {

int Fd(FileHandle handle) { return static_cast<int>(handle); }

FileKind KindOf(mode_t mode)
{
    if (S_ISREG(mode)) return FileKind::kRegular;
    if (S_ISDIR(mode)) return FileKind::kDirectory;
    if (S_ISLNK(mode)) return FileKind::kLink;
    return FileKind::kOther;
}

FileStatus StatusFrom(int result, const struct stat& info)
{
    FileStatus status;
    if (result != 0) {
        status.error = errno;
        return status;
    }
    status.kind = KindOf(info.st_mode);
    status.size = static_cast<int64_t>(info.st_size);
    status.identity = {static_cast<uint64_t>(info.st_dev), static_cast<uint64_t>(info.st_ino)};
    status.mode = static_cast<uint32_t>(info.st_mode & 07777);
    return status;
}

std::string KindText(FileKind kind)
{
    switch (kind) {
    case FileKind::kDirectory: return "It is a folder, not a file.";
    case FileKind::kRegular: return "";
    default: return "It is not a regular file (a device, pipe or socket).";
    }
}

// Opens without blocking and refuses what is not a regular file before any transfer.
FileHandle OpenRegular(const std::string& path, int access)
{
    const int fd = ::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) throw EFOpenError(path, SystemErrorText(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        throw EFOpenError(path, SystemErrorText(error));
    }
    if (!S_ISREG(info.st_mode)) {
        ::close(fd);
        throw EFOpenError(path, KindText(KindOf(info.st_mode)));
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    return fd;
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

std::string RandomSuffix()
{
    static std::atomic<uint64_t> counter{0};
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    uint64_t seed = (uint64_t{std::random_device{}()} << 20) ^ counter++ ^ (static_cast<uint64_t>(::getpid()) << 40);
    std::string suffix;
    for (int i = 0; i < 6; ++i) {
        suffix += kDigits[seed % 36];
        seed /= 36;
    }
    return suffix;
}

}  // namespace

std::string SystemErrorText(int error)
{
    char buffer[256] = {};
    // GNU strerror_r returns the text, which may or may not be in buffer.
    const char* text = strerror_r(error, buffer, sizeof buffer);
    return text ? std::string(text) : std::string("Unknown error ") + std::to_string(error);
}

namespace {

// ---- removal on interruption ----------------------------------------------------------

// Fixed slots, so that the handler needs no allocation and no lock: a slot holds a path
// made with strdup, or null.
constexpr int kTemporarySlots = 256;
std::atomic<char*> gTemporaries[kTemporarySlots];
std::atomic<bool> gHandlersInstalled{false};

// Each loaded module may hold its own copy of this layer, each with its own list. Their
// handlers know one another by their flags and are chained: the last installed runs first.
constexpr int kOurFlags = SA_RESETHAND | SA_NODEFER;
using Handler = void (*)(int);
Handler gChained[2] = {nullptr, nullptr};  // for SIGINT, SIGTERM

int SlotOf(int signal) { return signal == SIGINT ? 0 : 1; }

extern "C" void RemoveTemporariesAndDie(int signal)
{
    for (auto& slot : gTemporaries) {
        if (char* path = slot.load()) ::unlink(path);
    }
    if (Handler next = gChained[SlotOf(signal)]) {
        next(signal);
        return;
    }
    std::signal(signal, SIG_DFL);
    ::raise(signal);
}

void InstallHandlers()
{
    if (gHandlersInstalled.exchange(true)) return;
    for (const int signal : {SIGINT, SIGTERM}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0) continue;
        const bool sibling = (current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler != SIG_DFL &&
                             current.sa_handler != SIG_IGN && (current.sa_flags & kOurFlags) == kOurFlags;
        // A handler of the program's own (an interruptible command) is left in charge.
        if (current.sa_handler != SIG_DFL && !sibling) continue;
        if (sibling) gChained[SlotOf(signal)] = current.sa_handler;
        struct sigaction action {};
        action.sa_handler = RemoveTemporariesAndDie;
        action.sa_flags = kOurFlags;
        sigemptyset(&action.sa_mask);
        ::sigaction(signal, &action, nullptr);
    }
}

}  // namespace

void RegisterTemporary(const std::string& path)
{
    InstallHandlers();
    char* copy = ::strdup(path.c_str());
    if (!copy) throw std::bad_alloc();
    for (auto& slot : gTemporaries) {
        char* expected = nullptr;
        if (slot.compare_exchange_strong(expected, copy)) return;
    }
    std::free(copy);  // all slots taken: removed by its owner only
}

void UnregisterTemporary(const std::string& path)
{
    for (auto& slot : gTemporaries) {
        char* held = slot.load();
        if (held && path == held && slot.compare_exchange_strong(held, nullptr)) {
            std::free(held);
            return;
        }
    }
}

// ---- status ----------------------------------------------------------------------------

FileStatus StatusOf(const std::string& path)
{
    struct stat info {};
    const int result = ::stat(path.c_str(), &info);
    return StatusFrom(result, info);
}

FileStatus LinkStatusOf(const std::string& path)
{
    struct stat info {};
    const int result = ::lstat(path.c_str(), &info);
    return StatusFrom(result, info);
}

FileStatus StatusOf(FileHandle handle)
{
    struct stat info {};
    const int result = ::fstat(Fd(handle), &info);
    return StatusFrom(result, info);
}

// ---- open files ------------------------------------------------------------------------

FileHandle OpenForReading(const std::string& path) { return OpenRegular(path, O_RDONLY); }

FileHandle OpenForReadWrite(const std::string& path) { return OpenRegular(path, O_RDWR); }

namespace {

// Opens or creates path for writing with flags; anything but a regular file in its place is
// refused without blocking on it (a FIFO, a device).
int CreateRegular(const std::string& path, int flags, mode_t mode)
{
    const int fd = ::open(path.c_str(), flags | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0) throw EFCreateError(path, SystemErrorText(errno));
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = errno;
        ::close(fd);
        throw EFCreateError(path, S_ISREG(info.st_mode) ? SystemErrorText(error) : KindText(KindOf(info.st_mode)));
    }
    const int status = ::fcntl(fd, F_GETFL);
    if (status >= 0) ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK);
    return fd;
}

}  // namespace

FileHandle CreateOrTruncate(const std::string& path)
{
    const int fd = CreateRegular(path, O_RDWR, 0666);
    if (::ftruncate(fd, 0) != 0) {
        const int error = errno;
        ::close(fd);
        throw EFCreateError(path, SystemErrorText(error));
    }
    return fd;
}

FileHandle OpenForAppending(const std::string& path) { return CreateRegular(path, O_WRONLY | O_APPEND, 0644); }

namespace {

// Writes count bytes in pieces through writeSome(bytes done, piece size), which answers as
// write(2) does, until all are written or it fails; a write of nothing counts as a full disk.
template <typename WriteSome>
int64_t WriteAll(int64_t count, int* lastError, WriteSome writeSome)
{
    int64_t total = 0;
    while (total < count) {
        const auto piece = static_cast<size_t>(std::min<int64_t>(count - total, INT32_MAX));
        const ssize_t n = writeSome(total, piece);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (lastError) *lastError = n < 0 ? errno : ENOSPC;
            break;
        }
        total += n;
    }
    return total;
}

}  // namespace

int64_t Append(FileHandle handle, const void* buffer, int64_t count, int* lastError)
{
    const auto* in = static_cast<const uint8_t*>(buffer);
    return WriteAll(count, lastError, [&](int64_t done, size_t piece) { return ::write(Fd(handle), in + done, piece); });
}

void CloseFile(FileHandle handle)
{
    if (handle != kNoFile) ::close(Fd(handle));
}

int64_t ReadAt(FileHandle handle, void* buffer, int64_t count, int64_t offset, int* lastError)
{
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t total = 0;
    while (total < count) {
        const auto piece = static_cast<size_t>(std::min<int64_t>(count - total, INT32_MAX));
        const ssize_t n = ::pread(Fd(handle), out + total, piece, static_cast<off_t>(offset + total));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0 && lastError) *lastError = errno;
        if (n <= 0) break;
        total += n;
    }
    return total;
}

int64_t WriteAt(FileHandle handle, const void* buffer, int64_t count, int64_t offset, int* lastError)
{
    const auto* in = static_cast<const uint8_t*>(buffer);
    return WriteAll(count, lastError, [&](int64_t done, size_t piece) {
        return ::pwrite(Fd(handle), in + done, piece, static_cast<off_t>(offset + done));
    });
}

bool SyncFile(FileHandle handle, int* lastError)
{
    if (::fsync(Fd(handle)) == 0 || errno == EINVAL || errno == EROFS) return true;
    if (lastError) *lastError = errno;
    return false;
}

// ---- temporary files -------------------------------------------------------------------

std::string ProgramFolder()
{
    std::string path(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
    if (n <= 0 || static_cast<size_t>(n) >= path.size()) return ".";
    path.resize(static_cast<size_t>(n));
    return FolderOf(path);
}

std::string TempDirectory()
{
    const char* dir = std::getenv("TMPDIR");
    if (dir && *dir) {
        struct stat info {};
        if (::stat(dir, &info) == 0 && S_ISDIR(info.st_mode)) return dir;
    }
    return "/tmp";
}

std::string CreateUniqueFile(const std::string& directory, const std::string& prefix)
{
    std::string pattern = directory;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += prefix + "XXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) throw EFCreateError(pattern, SystemErrorText(errno));
    ::close(fd);
    return std::string(name.data());
}

FileHandle CreateSpillFile(const std::string& directory)
{
#ifdef O_TMPFILE
    const int anonymous = ::open(directory.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (anonymous >= 0) return anonymous;
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) throw EFCreateError(directory, SystemErrorText(errno));
#endif
    // Without anonymous files: a named one, unlinked at once.
    std::string pattern = directory;
    if (pattern.empty() || pattern.back() != '/') pattern += '/';
    pattern += "QRPXXXXXX";
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) throw EFCreateError(directory, SystemErrorText(errno));
    ::unlink(name.data());
    return fd;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries, int* lastError)
{
    entries.clear();
    // Opened as a folder, never a FIFO or device to block on.
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NONBLOCK | O_CLOEXEC);
    DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!dir) {
        if (lastError) *lastError = errno;
        if (fd >= 0) ::close(fd);
        return false;
    }
    bool ok = true;
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir);
        if (!entry) {
            if (errno != 0) {
                if (lastError) *lastError = errno;
                ok = false;
            }
            break;
        }
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        struct stat info {};
        const int result = ::fstatat(fd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW);
        // A name that vanished while listed is left out.
        if (result != 0) continue;
        entries.push_back({name, KindOf(info.st_mode)});
    }
    ::closedir(dir);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return ok;
}

void CreateFolders(const std::string& path)
{
    if (path.empty()) throw EFCreateError(path, SystemErrorText(ENOENT));
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        const std::string part = path.substr(0, end);
        if (::mkdir(part.c_str(), 0777) != 0 && errno != EEXIST) throw EFCreateError(path, SystemErrorText(errno));
        if (end == std::string::npos) break;
    }
    if (StatusOf(path).kind != FileKind::kDirectory) throw EFCreateError(path, SystemErrorText(ENOTDIR));
}

// ---- outputs ---------------------------------------------------------------------------

namespace {

// A link is followed to the file it names; a dangling link is replaced itself.
std::string ResolveTarget(const std::string& destination)
{
    if (LinkStatusOf(destination).kind != FileKind::kLink) return destination;
    char* resolved = ::realpath(destination.c_str(), nullptr);
    if (!resolved) return destination;
    std::string out(resolved);
    std::free(resolved);
    return out;
}

// renameat2(RENAME_NOREPLACE), or link and unlink where the file system lacks it: both
// fail with EEXIST instead of replacing.
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

TAtomicFile::TAtomicFile(const std::string& destination, const std::vector<std::string>& inputs)
    : FDestination(destination), FTarget(ResolveTarget(destination))
{
    if (FDestination.empty()) throw EFCreateError(destination, SystemErrorText(ENOENT));
    for (const std::string& input : inputs) {
        const FileStatus status = StatusOf(input);
        if (status.kind != FileKind::kMissing) FInputs.push_back(status.identity);
    }
    CheckTarget();
    const std::string folder = FolderOf(FTarget);
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        FTemp = folder + "/." + NameOf(FTarget) + "." + RandomSuffix();
        // Listed before it exists: a signal between the two calls still removes it.
        RegisterTemporary(FTemp);
        // Mode 0666 less the umask, as any new file gets.
        const int fd = ::open(FTemp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            FHandle = fd;
            return;
        }
        error = errno;
        UnregisterTemporary(FTemp);
        if (error != EEXIST) break;
    }
    FTemp.clear();
    throw EFCreateError(destination, SystemErrorText(error));
}

void TAtomicFile::CheckTarget() const
{
    const FileStatus status = StatusOf(FTarget);
    if (status.kind == FileKind::kMissing) return;
    if (status.kind != FileKind::kRegular) throw EFCreateError(FDestination, KindText(status.kind));
    // A file that may not be written is not replaced either.
    if (::access(FTarget.c_str(), W_OK) != 0) throw EFCreateError(FDestination, SystemErrorText(errno));
    for (const FileIdentity& input : FInputs) {
        if (input == status.identity)
            throw EFCreateError(FDestination, "It is the same file as an input; it is not replaced.");
    }
}

void TAtomicFile::Discard()
{
    if (FHandle != kNoFile) {
        ::close(Fd(FHandle));
        FHandle = kNoFile;
    }
    if (!FDone && !FTemp.empty()) {
        ::unlink(FTemp.c_str());
        UnregisterTemporary(FTemp);
    }
    FDone = true;
}

void TAtomicFile::Seal()
{
    if (FHandle == kNoFile) return;
    int error = 0;
    if (!SyncFile(FHandle, &error)) {
        Discard();
        throw EWriteError("Cannot write file \"" + FDestination + "\". " + SystemErrorText(error));
    }
    const int fd = Fd(FHandle);
    FHandle = kNoFile;
    if (::close(fd) != 0) {
        error = errno;
        Discard();
        throw EWriteError("Cannot write file \"" + FDestination + "\". " + SystemErrorText(error));
    }
}

void TAtomicFile::Commit(bool replace)
{
    if (FDone) throw EFCreateError(FDestination, "The output was already completed or discarded.");
    try {
        // The replaced file's permissions; a new file keeps those it was created with.
        const FileStatus existing = StatusOf(FTarget);
        if (existing.kind == FileKind::kRegular) {
            if (FHandle != kNoFile) {
                ::fchmod(Fd(FHandle), existing.mode);
            } else {
                ::chmod(FTemp.c_str(), existing.mode);
            }
        }
        Seal();
        CheckTarget();
        const int result = replace ? ::rename(FTemp.c_str(), FTarget.c_str()) : RenameNoReplace(FTemp.c_str(), FTarget.c_str());
        if (result != 0) {
            const int renameError = errno;
            if (renameError == EEXIST) throw EFCreateError(FDestination, "The file exists.");
            throw EFCreateError(FDestination, SystemErrorText(renameError));
        }
    } catch (...) {
        Discard();
        throw;
    }
    UnregisterTemporary(FTemp);
    FDone = true;
    // The new name is durable once the folder is.
    const int dir = ::open(FolderOf(FTarget).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace qrp

#endif  // _WIN32
