// Saving a report as an exact copy of its stream: into a new temporary file beside the
// destination, renamed over it only when the whole copy is on disk.
#include "base/exceptions.h"
#include "base/file_system.h"
#include "reportfile/page_list.h"

#include <string>
#include <vector>

namespace qrp {

namespace {

// A stream sink that appends to an atomic output file.
class TAtomicFileStream : public TStream {
public:
    explicit TAtomicFileStream(TAtomicFile& file) : FFile(file) {}
    int32_t Read(void*, int32_t) override { return 0; }
    int32_t Write(const void* buffer, int32_t count) override
    {
        if (count <= 0) return 0;
        FFile.Write(buffer, count);
        return count;
    }
    int32_t Seek(int32_t, uint16_t) override { return static_cast<int32_t>(FFile.Written()); }

private:
    TAtomicFile& FFile;
};

}  // namespace

void TQRPageList::SaveToFile(const std::string& fileName)
{
    QRP_ASSERT(FStream);
    // The file the report is read from must not be replaced by its own copy.
    const FileHandle openHandle = FStream->FileHandle();
    const int64_t openedSize = FStream->OpenedSize();
    if (openHandle != kNoFile && openedSize >= 0 && SameFile(fileName, openHandle))
        throw EFCreateError(fileName, "The file is in use: it is the report being shown.");

    TAtomicFile out(fileName);
    if (openHandle != kNoFile && openedSize >= 0) {
        // The report as it was loaded: a file cut or rewritten on disk since then would be
        // copied short or different.
        if (StatusOf(openHandle).size != openedSize)
            throw EFCreateError(fileName, "The report file changed on disk since it was opened; it is not copied.");
    }
    TAtomicFileStream sink(out);
    FStream->SaveToStream(sink);
    if (openedSize >= 0 && out.Written() != openedSize)
        throw EFCreateError(fileName, "The report file changed on disk since it was opened; it is not copied.");
    out.Commit(true);
}

}  // namespace qrp
