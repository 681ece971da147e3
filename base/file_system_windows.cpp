// The file-system layer on Windows (see file_system.h). Paths are UTF-8 inside the program
// and go to the wide-character calls; error numbers are the system's (GetLastError).
#ifdef _WIN32

#include "base/file_system.h"

#include "base/exceptions.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <random>

namespace qrp {

namespace {

HANDLE H(FileHandle handle) { return reinterpret_cast<HANDLE>(handle); }
FileHandle ToFileHandle(HANDLE h) { return reinterpret_cast<FileHandle>(h); }

std::wstring Wide(const std::string& utf8)
{
    if (utf8.empty()) return {};
    const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring& wide)
{
    if (wide.empty()) return {};
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n, nullptr, nullptr);
    return utf8;
}

int LastError() { return static_cast<int>(::GetLastError()); }

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

std::string KindText(FileKind kind)
{
    switch (kind) {
    case FileKind::kDirectory: return "It is a folder, not a file.";
    case FileKind::kRegular: return "";
    default: return "It is not a regular file (a device, pipe or socket).";
    }
}

FileStatus StatusFromHandle(HANDLE h)
{
    FileStatus status;
    BY_HANDLE_FILE_INFORMATION info{};
    if (!::GetFileInformationByHandle(h, &info)) {
        status.error = LastError();
        return status;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        status.kind = FileKind::kDirectory;
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        status.kind = FileKind::kLink;
    } else {
        status.kind = ::GetFileType(h) == FILE_TYPE_DISK ? FileKind::kRegular : FileKind::kOther;
    }
    status.size = static_cast<int64_t>(uint64_t{info.nFileSizeHigh} << 32 | info.nFileSizeLow);
    status.identity = {info.dwVolumeSerialNumber, uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
    status.mode = (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
    return status;
}

// Opens what path names only to ask about it: folders and links included, nothing locked.
FileStatus StatusOfPath(const std::string& path, bool followLinks)
{
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    const HANDLE h = ::CreateFileW(Wide(path).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING, flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        FileStatus missing;
        missing.error = LastError();
        return missing;
    }
    FileStatus status = StatusFromHandle(h);
    ::CloseHandle(h);
    return status;
}

FileHandle OpenRegular(const std::string& path, DWORD access)
{
    const HANDLE h = ::CreateFileW(Wide(path).c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const int error = LastError();
        if (StatusOfPath(path, true).kind == FileKind::kDirectory) throw EFOpenError(path, KindText(FileKind::kDirectory));
        throw EFOpenError(path, SystemErrorText(error));
    }
    const FileStatus status = StatusFromHandle(h);
    if (status.kind != FileKind::kRegular) {
        ::CloseHandle(h);
        throw EFOpenError(path, status.error ? SystemErrorText(status.error) : KindText(status.kind));
    }
    return ToFileHandle(h);
}

bool IsSeparator(char c) { return c == '/' || c == '\\'; }

std::string FolderOf(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    if (slash == std::string::npos) return ".";
    if (slash == 0 || (slash == 2 && path[1] == ':')) return path.substr(0, slash + 1);
    return path.substr(0, slash);
}

std::string NameOf(const std::string& path)
{
    const auto slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Join(const std::string& folder, const std::string& name)
{
    if (folder.empty() || IsSeparator(folder.back())) return folder + name;
    return folder + "/" + name;
}

std::string RandomSuffix()
{
    static std::atomic<uint64_t> counter{0};
    static const char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
    uint64_t seed = (uint64_t{std::random_device{}()} << 20) ^ counter++ ^ (uint64_t{::GetCurrentProcessId()} << 40);
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
    wchar_t* text = nullptr;
    const DWORD n = ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                     nullptr, static_cast<DWORD>(error), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring message = n && text ? std::wstring(text, n) : std::wstring();
    if (text) ::LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) message.pop_back();
    return message.empty() ? "Unknown error " + std::to_string(error) : Utf8(message);
}

namespace {

// ---- removal on interruption ----------------------------------------------------------

constexpr int kTemporarySlots = 256;
std::atomic<wchar_t*> gTemporaries[kTemporarySlots];
std::atomic<bool> gHandlerInstalled{false};

// Runs on a thread of its own when the console is interrupted or closed; the process then
// ends as it would have.
BOOL WINAPI RemoveTemporaries(DWORD)
{
    for (auto& slot : gTemporaries) {
        if (wchar_t* path = slot.load()) ::DeleteFileW(path);
    }
    return FALSE;
}

}  // namespace

void RegisterTemporary(const std::string& path)
{
    if (!gHandlerInstalled.exchange(true)) ::SetConsoleCtrlHandler(RemoveTemporaries, TRUE);
    wchar_t* copy = ::_wcsdup(Wide(path).c_str());
    if (!copy) throw std::bad_alloc();
    for (auto& slot : gTemporaries) {
        wchar_t* expected = nullptr;
        if (slot.compare_exchange_strong(expected, copy)) return;
    }
    std::free(copy);
}

void UnregisterTemporary(const std::string& path)
{
    const std::wstring wide = Wide(path);
    for (auto& slot : gTemporaries) {
        wchar_t* held = slot.load();
        if (held && wide == held && slot.compare_exchange_strong(held, nullptr)) {
            std::free(held);
            return;
        }
    }
}

// ---- status ----------------------------------------------------------------------------

FileStatus StatusOf(const std::string& path) { return StatusOfPath(path, true); }

FileStatus LinkStatusOf(const std::string& path) { return StatusOfPath(path, false); }

FileStatus StatusOf(FileHandle handle) { return StatusFromHandle(H(handle)); }

// ---- open files ------------------------------------------------------------------------

FileHandle OpenForReading(const std::string& path) { return OpenRegular(path, GENERIC_READ); }

FileHandle OpenForReadWrite(const std::string& path) { return OpenRegular(path, GENERIC_READ | GENERIC_WRITE); }

namespace {

// Opens or creates path with access; anything but a regular file in its place is refused.
HANDLE CreateRegular(const std::string& path, DWORD access)
{
    const HANDLE h =
        ::CreateFileW(Wide(path).c_str(), access, kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) throw EFCreateError(path, SystemErrorText(LastError()));
    const FileStatus status = StatusFromHandle(h);
    if (status.kind != FileKind::kRegular) {
        ::CloseHandle(h);
        throw EFCreateError(path, status.error ? SystemErrorText(status.error) : KindText(status.kind));
    }
    return h;
}

}  // namespace

FileHandle CreateOrTruncate(const std::string& path)
{
    const HANDLE h = CreateRegular(path, GENERIC_READ | GENERIC_WRITE);
    if (!::SetEndOfFile(h)) {
        const int error = LastError();
        ::CloseHandle(h);
        throw EFCreateError(path, SystemErrorText(error));
    }
    return ToFileHandle(h);
}

FileHandle OpenForAppending(const std::string& path) { return ToFileHandle(CreateRegular(path, FILE_APPEND_DATA)); }

void CloseFile(FileHandle handle)
{
    if (handle != kNoFile) ::CloseHandle(H(handle));
}

namespace {

OVERLAPPED At(int64_t offset)
{
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(static_cast<uint64_t>(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = static_cast<DWORD>(static_cast<uint64_t>(offset) >> 32);
    return at;
}

}  // namespace

int64_t ReadAt(FileHandle handle, void* buffer, int64_t count, int64_t offset, int* lastError)
{
    auto* out = static_cast<uint8_t*>(buffer);
    int64_t total = 0;
    while (total < count) {
        const auto piece = static_cast<DWORD>(std::min<int64_t>(count - total, INT32_MAX));
        OVERLAPPED at = At(offset + total);
        DWORD n = 0;
        if (!::ReadFile(H(handle), out + total, piece, &n, &at)) {
            const int error = LastError();
            if (error != ERROR_HANDLE_EOF && lastError) *lastError = error;
            break;
        }
        if (n == 0) break;
        total += n;
    }
    return total;
}

int64_t WriteAt(FileHandle handle, const void* buffer, int64_t count, int64_t offset, int* lastError)
{
    const auto* in = static_cast<const uint8_t*>(buffer);
    int64_t total = 0;
    while (total < count) {
        const auto piece = static_cast<DWORD>(std::min<int64_t>(count - total, INT32_MAX));
        OVERLAPPED at = At(offset + total);
        DWORD n = 0;
        if (!::WriteFile(H(handle), in + total, piece, &n, &at) || n == 0) {
            if (lastError) *lastError = n == 0 && ::GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL : LastError();
            break;
        }
        total += n;
    }
    return total;
}

int64_t Append(FileHandle handle, const void* buffer, int64_t count, int* lastError)
{
    // A handle with only FILE_APPEND_DATA writes at the end whatever the offset.
    const auto* in = static_cast<const uint8_t*>(buffer);
    int64_t total = 0;
    while (total < count) {
        const auto piece = static_cast<DWORD>(std::min<int64_t>(count - total, INT32_MAX));
        DWORD n = 0;
        if (!::WriteFile(H(handle), in + total, piece, &n, nullptr) || n == 0) {
            if (lastError) *lastError = n == 0 && ::GetLastError() == ERROR_SUCCESS ? ERROR_DISK_FULL : LastError();
            break;
        }
        total += n;
    }
    return total;
}

bool SyncFile(FileHandle handle, int* lastError)
{
    if (::FlushFileBuffers(H(handle))) return true;
    const int error = LastError();
    if (error == ERROR_INVALID_HANDLE || error == ERROR_INVALID_FUNCTION) return true;
    if (lastError) *lastError = error;
    return false;
}

// ---- temporary files -------------------------------------------------------------------

std::string ProgramFolder()
{
    std::wstring path(32768, L'\0');
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) return ".";
    path.resize(n);
    return FolderOf(Utf8(path));
}

std::string TempDirectory()
{
    wchar_t buffer[MAX_PATH + 2] = {};
    const DWORD n = ::GetTempPathW(MAX_PATH + 1, buffer);
    std::string dir = n > 0 && n <= MAX_PATH + 1 ? Utf8(std::wstring(buffer, n)) : std::string(".");
    while (dir.size() > 3 && IsSeparator(dir.back())) dir.pop_back();
    return dir;
}

namespace {

HANDLE CreateNew(const std::string& path, DWORD access, DWORD flags)
{
    return ::CreateFileW(Wide(path).c_str(), access, kShareAll, nullptr, CREATE_NEW, flags, nullptr);
}

}  // namespace

std::string CreateUniqueFile(const std::string& directory, const std::string& prefix)
{
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string path = Join(directory, prefix + RandomSuffix());
        const HANDLE h = CreateNew(path, GENERIC_READ | GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
        if (h != INVALID_HANDLE_VALUE) {
            ::CloseHandle(h);
            return path;
        }
        error = LastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    throw EFCreateError(Join(directory, prefix), SystemErrorText(error));
}

FileHandle CreateSpillFile(const std::string& directory)
{
    // Deleted by the system when the last handle closes, also when the process is killed.
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const HANDLE h = CreateNew(Join(directory, "QRP" + RandomSuffix()), GENERIC_READ | GENERIC_WRITE | DELETE,
                                   FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
        if (h != INVALID_HANDLE_VALUE) return ToFileHandle(h);
        error = LastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
    throw EFCreateError(directory, SystemErrorText(error));
}

bool RemoveFile(const std::string& path) { return ::DeleteFileW(Wide(path).c_str()) != 0; }

bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries, int* lastError)
{
    entries.clear();
    WIN32_FIND_DATAW found{};
    const HANDLE h = ::FindFirstFileExW(Wide(Join(folder, "*")).c_str(), FindExInfoBasic, &found,
                                        FindExSearchNameMatch, nullptr, 0);
    if (h == INVALID_HANDLE_VALUE) {
        const int error = LastError();
        // An empty folder has no first name; a file is no folder.
        if (error == ERROR_FILE_NOT_FOUND && StatusOf(folder).kind == FileKind::kDirectory) return true;
        if (lastError) *lastError = error == ERROR_FILE_NOT_FOUND ? ERROR_DIRECTORY : error;
        return false;
    }
    bool ok = true;
    do {
        const std::wstring name = found.cFileName;
        if (name == L"." || name == L"..") continue;
        FileKind kind = FileKind::kRegular;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
            kind = FileKind::kLink;
        } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            kind = FileKind::kDirectory;
        }
        entries.push_back({Utf8(name), kind});
    } while (::FindNextFileW(h, &found));
    const int error = LastError();
    if (error != ERROR_NO_MORE_FILES) {
        if (lastError) *lastError = error;
        ok = false;
    }
    ::FindClose(h);
    std::sort(entries.begin(), entries.end(), [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return ok;
}

void CreateFolders(const std::string& path)
{
    if (path.empty()) throw EFCreateError(path, SystemErrorText(ERROR_PATH_NOT_FOUND));
    for (size_t end = path.find_first_of("/\\", 1);; end = path.find_first_of("/\\", end + 1)) {
        const std::string part = path.substr(0, end);
        // Drive letters and the root of a share exist already.
        if (!part.empty() && part.back() != ':' && !IsSeparator(part.back()) &&
            !::CreateDirectoryW(Wide(part).c_str(), nullptr)) {
            const int error = LastError();
            if (error != ERROR_ALREADY_EXISTS && error != ERROR_ACCESS_DENIED) throw EFCreateError(path, SystemErrorText(error));
        }
        if (end == std::string::npos) break;
    }
    if (StatusOf(path).kind != FileKind::kDirectory) throw EFCreateError(path, SystemErrorText(ERROR_DIRECTORY));
}

// ---- outputs ---------------------------------------------------------------------------

namespace {

// A link is followed to the file it names; a dangling link is replaced itself.
std::string ResolveTarget(const std::string& destination)
{
    if (LinkStatusOf(destination).kind != FileKind::kLink) return destination;
    const HANDLE h = ::CreateFileW(Wide(destination).c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return destination;
    std::wstring resolved(32768, L'\0');
    const DWORD n = ::GetFinalPathNameByHandleW(h, resolved.data(), static_cast<DWORD>(resolved.size()), FILE_NAME_NORMALIZED);
    ::CloseHandle(h);
    if (n == 0 || n >= resolved.size()) return destination;
    resolved.resize(n);
    if (resolved.rfind(L"\\\\?\\", 0) == 0) resolved.erase(0, 4);
    return Utf8(resolved);
}

std::string ReplaceErrorText(int error)
{
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION)
        return "Another program has the file open; close it and try again.";
    return SystemErrorText(error);
}

}  // namespace

TAtomicFile::TAtomicFile(const std::string& destination, const std::vector<std::string>& inputs)
    : FDestination(destination), FTarget(ResolveTarget(destination))
{
    if (FDestination.empty()) throw EFCreateError(destination, SystemErrorText(ERROR_PATH_NOT_FOUND));
    for (const std::string& input : inputs) {
        const FileStatus status = StatusOf(input);
        if (status.kind != FileKind::kMissing) FInputs.push_back(status.identity);
    }
    CheckTarget();
    const std::string folder = FolderOf(FTarget);
    int error = 0;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = ".";
        name.append(NameOf(FTarget)).append(".").append(RandomSuffix());
        FTemp = Join(folder, name);
        RegisterTemporary(FTemp);
        const HANDLE h = CreateNew(FTemp, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
        if (h != INVALID_HANDLE_VALUE) {
            FHandle = ToFileHandle(h);
            return;
        }
        error = LastError();
        UnregisterTemporary(FTemp);
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
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
    if ((status.mode & 0222) == 0) throw EFCreateError(FDestination, SystemErrorText(ERROR_ACCESS_DENIED));
    for (const FileIdentity& input : FInputs) {
        if (input == status.identity)
            throw EFCreateError(FDestination, "It is the same file as an input; it is not replaced.");
    }
}

void TAtomicFile::Discard()
{
    if (FHandle != kNoFile) {
        ::CloseHandle(H(FHandle));
        FHandle = kNoFile;
    }
    if (!FDone && !FTemp.empty()) {
        ::DeleteFileW(Wide(FTemp).c_str());
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
    const HANDLE h = H(FHandle);
    FHandle = kNoFile;
    if (!::CloseHandle(h)) {
        error = LastError();
        Discard();
        throw EWriteError("Cannot write file \"" + FDestination + "\". " + SystemErrorText(error));
    }
}

void TAtomicFile::Commit(bool replace)
{
    if (FDone) throw EFCreateError(FDestination, "The output was already completed or discarded.");
    try {
        Seal();
        CheckTarget();
        const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
        if (!::MoveFileExW(Wide(FTemp).c_str(), Wide(FTarget).c_str(), flags)) {
            const int error = LastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) throw EFCreateError(FDestination, "The file exists.");
            throw EFCreateError(FDestination, ReplaceErrorText(error));
        }
    } catch (...) {
        Discard();
        throw;
    }
    UnregisterTemporary(FTemp);
    FDone = true;
}

}  // namespace qrp

#endif  // _WIN32
