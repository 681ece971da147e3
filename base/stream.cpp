#include "base/stream.h"

#include "base/exceptions.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <utility>

namespace qrp {

// ---- TStream -------------------------------------------------------------

int32_t TStream::Position()
{
    return Seek(0, soFromCurrent);
}

void TStream::SetPosition(int32_t position)
{
    Seek(position, soFromBeginning);
}

int32_t TStream::Size()
{
    const int32_t position = Seek(0, soFromCurrent);
    const int32_t size = Seek(0, soFromEnd);
    Seek(position, soFromBeginning);
    return size;
}

void TStream::ReadBuffer(void* buffer, int32_t count)
{
    if (count != 0 && Read(buffer, count) != count) throw EReadError();
}

void TStream::WriteBuffer(const void* buffer, int32_t count)
{
    if (count != 0 && Write(buffer, count) != count) throw EWriteError(WriteErrorText());
}

std::string TStream::WriteErrorText()
{
    return EWriteError::kMessage;
}

int32_t TStream::CopyFrom(TStream& source, int32_t count)
{
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    constexpr int32_t kChunk = 61440;
    std::vector<uint8_t> buffer(static_cast<size_t>(std::min(count, kChunk)));
    int32_t left = count;
    while (left > 0) {
        const int32_t n = std::min(left, kChunk);
        source.ReadBuffer(buffer.data(), n);
        WriteBuffer(buffer.data(), n);
        left -= n;
    }
    return count;
}

int32_t TStream::ReadInt32()
{
    uint8_t b[4];
    ReadBuffer(b, 4);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

uint32_t TStream::ReadUInt32()
{
    return static_cast<uint32_t>(ReadInt32());
}

uint16_t TStream::ReadUInt16()
{
    uint8_t b[2];
    ReadBuffer(b, 2);
    return static_cast<uint16_t>(b[0] | b[1] << 8);
}

void TStream::WriteInt32(int32_t value)
{
    const auto v = static_cast<uint32_t>(value);
    const uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8),
                          static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 24)};
    WriteBuffer(b, 4);
}

void TStream::WriteUInt16(uint16_t value)
{
    const uint8_t b[2] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8)};
    WriteBuffer(b, 2);
}

// ---- TMemoryStream -------------------------------------------------------

int32_t TMemoryStream::Read(void* buffer, int32_t count)
{
    const auto size = static_cast<int64_t>(FData.size());
    if (count <= 0 || FPosition < 0 || FPosition >= size) return 0;
    const auto n = static_cast<int32_t>(std::min<int64_t>(count, size - FPosition));
    std::memcpy(buffer, FData.data() + FPosition, static_cast<size_t>(n));
    FPosition += n;
    return n;
}

int32_t TMemoryStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0 || FPosition < 0) return 0;
    const int64_t end = static_cast<int64_t>(FPosition) + count;
    if (end > INT32_MAX) return 0;
    if (static_cast<size_t>(end) > FData.size()) {
        if (static_cast<size_t>(end) > FData.capacity())
            FData.reserve(std::max<size_t>(static_cast<size_t>(end), FData.capacity() * 2));
        FData.resize(static_cast<size_t>(end));
    }
    std::memcpy(FData.data() + FPosition, buffer, static_cast<size_t>(count));
    FPosition = static_cast<int32_t>(end);
    return count;
}

int32_t TMemoryStream::Seek(int32_t offset, uint16_t origin)
{
    int64_t base = 0;
    switch (origin) {
    case soFromBeginning: base = 0; break;
    case soFromCurrent: base = FPosition; break;
    case soFromEnd: base = static_cast<int64_t>(FData.size()); break;
    default: return FPosition;
    }
    const int64_t target = base + offset;
    if (target >= 0 && target <= INT32_MAX) FPosition = static_cast<int32_t>(target);
    return FPosition;
}

std::vector<uint8_t> TMemoryStream::TakeBytes()
{
    FPosition = 0;
    return std::exchange(FData, {});
}

void TMemoryStream::SetSize(int32_t size)
{
    FData.resize(static_cast<size_t>(std::max(size, 0)));
    if (FPosition > size) FPosition = std::max(size, 0);
}

void TMemoryStream::Clear()
{
    FData.clear();
    FData.shrink_to_fit();
    FPosition = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream)
{
    stream.SetPosition(0);
    const int32_t size = stream.Size();
    FData.assign(static_cast<size_t>(size), 0);
    FPosition = 0;
    stream.ReadBuffer(FData.data(), size);
}

void TMemoryStream::SaveToStream(TStream& stream)
{
    stream.WriteBuffer(FData.data(), static_cast<int32_t>(FData.size()));
}

// ---- TFileStream ---------------------------------------------------------

TFileStream::TFileStream(const std::string& fileName, uint16_t mode) : FFileName(fileName)
{
    if ((mode & fmCreate) == fmCreate) {
        FHandle = CreateOrTruncate(fileName);
    } else if ((mode & 3) == fmOpenRead) {
        FHandle = OpenForReading(fileName);
    } else {
        FHandle = OpenForReadWrite(fileName);
    }
}

TFileStream::TFileStream(FileHandle handle, const std::string& name) : FFileName(name), FHandle(handle) {}

TFileStream::~TFileStream()
{
    CloseFile(FHandle);
}

// The position is kept here and every transfer is one positioned read or write at it: one
// system call per transfer and none for positioning, except for seeks relative to the end.
int32_t TFileStream::Read(void* buffer, int32_t count)
{
    if (count <= 0 || FPosition < 0) return 0;
    const auto n = static_cast<int32_t>(ReadAt(FHandle, buffer, count, FPosition));
    FPosition += n;
    return n;
}

int32_t TFileStream::Write(const void* buffer, int32_t count)
{
    if (count <= 0 || FPosition < 0) return 0;
    FBeyondLimit = static_cast<int64_t>(FPosition) + count > INT32_MAX;
    if (FBeyondLimit) return 0;
    const auto n = static_cast<int32_t>(WriteAt(FHandle, buffer, count, FPosition, &FLastError));
    FPosition += n;
    return n;
}

std::string TFileStream::WriteErrorText()
{
    if (FBeyondLimit)
        return "Cannot write file \"" + FFileName + "\". It would be larger than 2 GiB, more than a report file can hold.";
    return "Cannot write file \"" + FFileName + "\". " + SystemErrorText(FLastError ? FLastError : EIO);
}

int32_t TFileStream::Seek(int32_t offset, uint16_t origin)
{
    int64_t base = 0;
    switch (origin) {
    case soFromBeginning: base = 0; break;
    case soFromCurrent: base = FPosition; break;
    case soFromEnd: base = FileSize(); break;
    default: return FPosition;
    }
    const int64_t target = base + offset;
    if (target >= 0) FPosition = static_cast<int32_t>(std::min<int64_t>(target, INT32_MAX));
    return FPosition;
}

int64_t TFileStream::FileSize() const
{
    return StatusOf(FHandle).size;
}

void TFileStream::Sync()
{
    int error = 0;
    if (!SyncFile(FHandle, &error))
        throw EWriteError("Cannot write file \"" + FFileName + "\". " + SystemErrorText(error));
}

}  // namespace qrp
