// What the file-system layer does the same way on every platform, over the calls its
// platform file (file_system_posix.cpp, file_system_windows.cpp) implements.
#include "base/file_system.h"

#include "base/exceptions.h"

namespace qrp {

bool SameFile(const std::string& a, const std::string& b)
{
    const FileStatus sa = StatusOf(a);
    const FileStatus sb = StatusOf(b);
    return sa.kind != FileKind::kMissing && sb.kind != FileKind::kMissing && sa.identity == sb.identity;
}

bool SameFile(const std::string& path, FileHandle handle)
{
    const FileStatus sa = StatusOf(path);
    const FileStatus sb = StatusOf(handle);
    return sa.kind != FileKind::kMissing && sb.kind != FileKind::kMissing && sa.identity == sb.identity;
}

std::vector<uint8_t> ReadWholeFile(const std::string& path, int64_t limit)
{
    const FileHandle handle = OpenForReading(path);
    struct Closer {
        FileHandle h;
        ~Closer() { CloseFile(h); }
    } closer{handle};
    const FileStatus status = StatusOf(handle);
    if (status.size > limit) throw EReadError();
    std::vector<uint8_t> bytes(static_cast<size_t>(status.size));
    int error = 0;
    if (ReadAt(handle, bytes.data(), status.size, 0, &error) != status.size)
        throw EReadError(error ? "Cannot read file \"" + path + "\". " + SystemErrorText(error) : EReadError::kMessage);
    return bytes;
}

void CheckNotAnInput(const std::string& output, const std::vector<std::string>& inputs)
{
    const FileStatus out = StatusOf(output);
    if (out.kind == FileKind::kMissing) return;
    for (const std::string& input : inputs) {
        const FileStatus in = StatusOf(input);
        if (in.kind != FileKind::kMissing && in.identity == out.identity)
            throw EFCreateError(output, "It is the same file as the input " + input + ".");
    }
}

TAtomicFile::~TAtomicFile() { Discard(); }

void TAtomicFile::Write(const void* buffer, int64_t count)
{
    if (count <= 0) return;
    int error = 0;
    const int64_t n = WriteAt(FHandle, buffer, count, FWritten, &error);
    FWritten += n;
    if (n != count) throw EWriteError("Cannot write file \"" + FDestination + "\". " + SystemErrorText(error));
}

}  // namespace qrp
