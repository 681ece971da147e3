// TQRStream: the bytes of one report file. A new report starts in memory and moves, once
// and for good, to a spill file in the user's temporary directory when it outgrows its
// memory limit (a file without a name: nothing is left behind, however the process ends);
// a loaded report works directly on its file, read-only.
//
// Every Read, Write and Seek runs under the stream's own re-entrant lock. A caller that
// needs a sequence of positioning and transfer to be atomic holds LockStream (or the page
// list's lock, which is always taken first).
#pragma once

#include "base/lock.h"
#include "base/stream.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

namespace qrp {

class TQRStream : public TStream {
public:
    // A new, empty stream in memory that moves to disk once its size exceeds memoryLimit.
    explicit TQRStream(int32_t memoryLimit);
    // A stream on an existing file, opened for reading while others may read and write it.
    // Raises EFOpenError when the file cannot be opened or is larger than a report file
    // can be (2 GiB).
    static std::unique_ptr<TQRStream> CreateFromFile(const std::string& fileName);
    ~TQRStream() override;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, uint16_t origin) override;
    std::string WriteErrorText() override;

    bool InMemory();
    int32_t MemoryLimit() const { return FMemoryLimit; }
    // The file the stream works on (its spill file or the file given to CreateFromFile), or
    // kNoFile in memory.
    qrp::FileHandle FileHandle();
    // The size of the file given to CreateFromFile when it was opened; -1 otherwise.
    int64_t OpenedSize() const { return FOpenedSize; }

    void LockStream() { FLock.lock(); }
    void UnlockStream() { FLock.unlock(); }

    // Copies the whole content into dest at dest's position, in pieces of 10240 bytes,
    // with exact writes. Leaves this stream's position at the end of the data.
    void SaveToStream(TStream& dest);

    // The report file's header size, found by probing for the first picture's signature
    // (see page_list.h). The position is restored on every exit.
    int32_t GetHeaderSize();
    // Moves the fields of a 124-byte header to their 128-byte places, when the header size
    // probed is 124.
    void ConvertOldHeader(std::array<uint8_t, 128>& header);

private:
    struct FromFile {};
    TQRStream(FromFile, std::unique_ptr<TFileStream> file);
    void MoveToDisk();

    TCriticalSection FLock;
    std::unique_ptr<TMemoryStream> MemoryStream;
    std::unique_ptr<TFileStream> FileStream;
    int64_t FOpenedSize = -1;
    bool FInMemory = true;
    int32_t FMemoryLimit = 0;
};

}  // namespace qrp
