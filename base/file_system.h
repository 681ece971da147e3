// The file system as the program sees it. Every call the program makes to the operating
// system for files goes through here: opening inputs, sizes and identities, temporary and
// spill files, and replacing an output atomically. The interface is the same on every
// platform; file_system_posix.cpp implements it with POSIX calls, and a sibling file can
// implement it for another system (identity from volume serial and file index, replacing
// with a move that overwrites, UTF-8 paths handed to wide-character calls).
//
// Paths are UTF-8. Errors are the store's exceptions, with the path and the system's text.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qrp {

// An open file of the system: a descriptor here, a handle elsewhere. kNoFile when closed.
using FileHandle = intptr_t;
constexpr FileHandle kNoFile = -1;

// What names one file, whatever path leads to it.
struct FileIdentity {
    uint64_t volume = 0;
    uint64_t index = 0;
    bool operator==(const FileIdentity&) const = default;
};

enum class FileKind { kMissing, kRegular, kDirectory, kLink, kOther };

struct FileStatus {
    FileKind kind = FileKind::kMissing;
    int64_t size = 0;
    FileIdentity identity;
    uint32_t mode = 0;  // permission bits
    int error = 0;      // why the status could not be read (the system's error number)
};

// The status of what path names, following links.
FileStatus StatusOf(const std::string& path);
// The status of path itself: a link is kLink.
FileStatus LinkStatusOf(const std::string& path);
// The status of an open file.
FileStatus StatusOf(FileHandle handle);

// Same file: both exist and have one identity (links followed). Hard links are one file.
bool SameFile(const std::string& a, const std::string& b);
bool SameFile(const std::string& path, FileHandle handle);

// Opens an existing regular file for reading. The open itself cannot block (a FIFO or a
// device is opened without waiting) and anything but a regular file is refused before a
// byte is read. Raises EFOpenError with the path and the reason.
FileHandle OpenForReading(const std::string& path);
// Opens an existing regular file for reading and writing; same refusals. EFOpenError.
FileHandle OpenForReadWrite(const std::string& path);
// Creates a new file, or truncates an existing regular one (never anything else), for
// reading and writing. EFCreateError.
FileHandle CreateOrTruncate(const std::string& path);
// Opens a regular file for appending, creating it when missing (never anything else: a
// FIFO or a device is refused without waiting). EFCreateError.
FileHandle OpenForAppending(const std::string& path);
void CloseFile(FileHandle handle);

// Transfers at an offset; they return the count moved (short at the end of the file or on
// an error, whose number lastError receives).
int64_t ReadAt(FileHandle handle, void* buffer, int64_t count, int64_t offset, int* lastError = nullptr);
int64_t WriteAt(FileHandle handle, const void* buffer, int64_t count, int64_t offset, int* lastError = nullptr);
// Appends bytes to a file opened by OpenForAppending, in one write where the system allows
// (lines appended by several processes do not mix); returns the count written.
int64_t Append(FileHandle handle, const void* buffer, int64_t count, int* lastError = nullptr);
// Flushes the file's data to the disk; false with the error number on failure.
bool SyncFile(FileHandle handle, int* lastError = nullptr);

// Reads a whole regular file of at most limit bytes. EFOpenError, or EReadError when the
// file is larger than limit or shrinks while read.
std::vector<uint8_t> ReadWholeFile(const std::string& path, int64_t limit);

// The folder of the running program's file; "." when the system does not tell it.
std::string ProgramFolder();

// The user's temporary folder: $TMPDIR when it is a folder, else /tmp.
std::string TempDirectory();
// A new, empty, uniquely named file in directory whose name begins with prefix; returns its
// full path. The caller removes it. EFCreateError.
std::string CreateUniqueFile(const std::string& directory, const std::string& prefix);
// A file for bytes that overflow memory, open for reading and writing, that has no name:
// it vanishes when closed, even when the process is killed. EFCreateError naming directory.
FileHandle CreateSpillFile(const std::string& directory);
bool RemoveFile(const std::string& path);

// One name in a folder and what it is itself: a link is kLink (not followed), a device,
// FIFO or socket kOther.
struct FolderEntry {
    std::string name;
    FileKind kind = FileKind::kMissing;
};
// The names in folder ("." and ".." left out), sorted by their bytes. False with the
// system's error number when the folder cannot be read; entries then holds what was read.
bool ListFolder(const std::string& folder, std::vector<FolderEntry>& entries, int* lastError = nullptr);
// Creates a folder and the folders above it that are missing. EFCreateError naming path.
void CreateFolders(const std::string& path);

// An output written as a whole or not at all. The bytes go to a new temporary file in the
// destination's folder; Commit flushes it to the disk and renames it over the destination.
// Until then the destination is untouched; a temporary that is not committed is removed,
// also when the process is interrupted (SIGINT, SIGTERM) or the object is destroyed.
//
// The destination is checked when the object is made and again before the rename: an
// existing destination must be a regular file (a device, FIFO, socket or folder is refused)
// and must not be the same file as any of the inputs. A link as destination is written
// through to the file it names (that file is replaced, the link stays), except when the
// link is dangling.
class TAtomicFile {
public:
    // EFCreateError naming the destination when it is refused or no temporary can be made.
    explicit TAtomicFile(const std::string& destination, const std::vector<std::string>& inputs = {});
    ~TAtomicFile();
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;

    const std::string& Destination() const { return FDestination; }
    // The path the rename replaces (the destination with its link resolved).
    const std::string& Target() const { return FTarget; }
    const std::string& TempPath() const { return FTemp; }
    // The temporary's handle, open for writing; it stays owned by this object.
    FileHandle Handle() const { return FHandle; }

    // Appends bytes. EWriteError naming the destination and the system's reason.
    void Write(const void* buffer, int64_t count);
    int64_t Written() const { return FWritten; }

    // Flushes and syncs the temporary, gives it the destination's permissions (a new file
    // gets the usual ones) and renames it into place. Without replace, an existing
    // destination is never overwritten: EFCreateError. On any failure the temporary is
    // removed and the destination is as it was.
    void Commit(bool replace = true);
    // Flushes the temporary to the disk and closes it, to be committed later (many outputs
    // committed together then hold no open files). EWriteError naming the destination.
    void Seal();
    // Removes the temporary now.
    void Discard();

private:
    void CheckTarget() const;

    std::string FDestination;
    std::string FTarget;
    std::string FTemp;
    std::vector<FileIdentity> FInputs;
    FileHandle FHandle = kNoFile;
    int64_t FWritten = 0;
    bool FDone = false;
};

// Refuses an output that would be one of the inputs: EFCreateError naming output when it
// exists and is the same file (after links) as any existing input.
void CheckNotAnInput(const std::string& output, const std::vector<std::string>& inputs);

// Files removed if the process is ended by SIGINT or SIGTERM: handlers are installed on
// first use where the signal's action is still the default, and end the process by the
// same signal after removing. Used by TAtomicFile; any other temporary with a name too.
void RegisterTemporary(const std::string& path);
void UnregisterTemporary(const std::string& path);

}  // namespace qrp
