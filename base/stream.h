// Byte streams: the abstract TStream and its memory and file forms.
//
// Positions, sizes and counts are signed 32-bit: a stream holds at most 2147483647 bytes.
// Everything a stream offers (Size, Position, ReadBuffer, WriteBuffer, CopyFrom) works
// through the three virtual operations Read, Write and Seek.
#pragma once

#include "base/file_system.h"

#include <cstdint>
#include <string>
#include <vector>

namespace qrp {

enum : uint16_t { soFromBeginning = 0, soFromCurrent = 1, soFromEnd = 2 };

// File modes (open mode in the low bits, sharing in the next, create in the high byte).
enum : uint16_t {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmShareExclusive = 0x0010,
    fmShareDenyWrite = 0x0020,
    fmShareDenyNone = 0x0040,
    fmCreate = 0xFF00,
};

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Reads up to count bytes; returns the number read (0 at or beyond the end).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Writes count bytes, extending the data; returns the number written.
    virtual int32_t Write(const void* buffer, int32_t count) = 0;
    // Moves the position relative to origin and returns the new position.
    virtual int32_t Seek(int32_t offset, uint16_t origin) = 0;

    int32_t Position();
    void SetPosition(int32_t position);
    int32_t Size();

    // Exact transfers: EReadError / EWriteError when fewer bytes move.
    void ReadBuffer(void* buffer, int32_t count);
    void WriteBuffer(const void* buffer, int32_t count);

    // The failure of the last short write, as its EWriteError says it ("Stream write error"
    // when the stream knows no more).
    virtual std::string WriteErrorText();

    // Copies count bytes from source's position (count 0: all of source from its start).
    int32_t CopyFrom(TStream& source, int32_t count);

    // Little-endian fixed-size fields, read and written exactly.
    int32_t ReadInt32();
    uint32_t ReadUInt32();
    uint16_t ReadUInt16();
    void WriteInt32(int32_t value);
    void WriteUInt16(uint16_t value);
};

// A growable byte stream in memory.
class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : FData(std::move(bytes)) {}

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, uint16_t origin) override;

    const uint8_t* Memory() const { return FData.data(); }
    uint8_t* Memory() { return FData.data(); }
    const std::vector<uint8_t>& Bytes() const { return FData; }
    std::vector<uint8_t> TakeBytes();
    void SetSize(int32_t size);
    void Clear();

    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream);

private:
    std::vector<uint8_t> FData;
    int32_t FPosition = 0;
};

// A byte stream on an open file.
class TFileStream : public TStream {
public:
    // mode: fmCreate (create or truncate a regular file) or fmOpenRead / fmOpenWrite /
    // fmOpenReadWrite, each possibly or'ed with a sharing flag. Only regular files are
    // opened; the open never blocks. Raises EFOpenError / EFCreateError.
    TFileStream(const std::string& fileName, uint16_t mode);
    // Takes over an open file; name is what messages call it.
    TFileStream(FileHandle handle, const std::string& name);
    ~TFileStream() override;

    int32_t Read(void* buffer, int32_t count) override;
    int32_t Write(const void* buffer, int32_t count) override;
    int32_t Seek(int32_t offset, uint16_t origin) override;
    std::string WriteErrorText() override;

    const std::string& FileName() const { return FFileName; }
    FileHandle Handle() const { return FHandle; }
    // The file's size in bytes, which may exceed what a position can address.
    int64_t FileSize() const;
    // Flushes the file's data to the disk; EWriteError naming the file on failure.
    void Sync();

private:
    std::string FFileName;
    FileHandle FHandle = kNoFile;
    int32_t FPosition = 0;
    int FLastError = 0;
    bool FBeyondLimit = false;  // the last write would have passed 2 GiB
};

}  // namespace qrp
