#include "reportfile/qr_stream.h"

#include "base/exceptions.h"
#include "base/file_system.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <vector>

namespace qrp {

TQRStream::TQRStream(int32_t memoryLimit)
    : MemoryStream(std::make_unique<TMemoryStream>()), FInMemory(true), FMemoryLimit(memoryLimit)
{
}

TQRStream::TQRStream(FromFile, std::unique_ptr<TFileStream> file)
    : FileStream(std::move(file)), FInMemory(false), FMemoryLimit(0)
{
}

std::unique_ptr<TQRStream> TQRStream::CreateFromFile(const std::string& fileName)
{
    auto file = std::make_unique<TFileStream>(fileName, fmOpenRead | fmShareDenyNone);
    const int64_t size = file->FileSize();
    if (size > INT32_MAX)
        throw EFOpenError(fileName, "The file is larger than 2 GiB, more than a report file can hold.");
    std::unique_ptr<TQRStream> stream(new TQRStream(FromFile{}, std::move(file)));
    stream->FOpenedSize = size;
    return stream;
}

TQRStream::~TQRStream()
{
    TLockGuard guard(FLock);
    MemoryStream.reset();
    FileStream.reset();
}

bool TQRStream::InMemory()
{
    TLockGuard guard(FLock);
    return FInMemory;
}

FileHandle TQRStream::FileHandle()
{
    TLockGuard guard(FLock);
    return FileStream ? FileStream->Handle() : kNoFile;
}

int32_t TQRStream::Read(void* buffer, int32_t count)
{
    TLockGuard guard(FLock);
    return FInMemory ? MemoryStream->Read(buffer, count) : FileStream->Read(buffer, count);
}

int32_t TQRStream::Write(const void* buffer, int32_t count)
{
    TLockGuard guard(FLock);
    if (!FInMemory) return FileStream->Write(buffer, count);
    const int32_t written = MemoryStream->Write(buffer, count);
    if (MemoryStream->Size() > FMemoryLimit) MoveToDisk();
    return written;
}

std::string TQRStream::WriteErrorText()
{
    TLockGuard guard(FLock);
    if (FInMemory) return "Cannot write the report in memory: it would be larger than 2 GiB.";
    return FileStream->WriteErrorText();
}

int32_t TQRStream::Seek(int32_t offset, uint16_t origin)
{
    TLockGuard guard(FLock);
    return FInMemory ? MemoryStream->Seek(offset, origin) : FileStream->Seek(offset, origin);
}

// Copies the memory buffer into a new spill file. On any failure the stream stays in
// memory; the next write tries again.
void TQRStream::MoveToDisk()
{
    const std::string folder = TempDirectory();
    auto file = std::make_unique<TFileStream>(CreateSpillFile(folder), folder + "/(temporary report file)");
    const int32_t size = MemoryStream->Size();
    file->WriteBuffer(MemoryStream->Memory(), size);
    file->SetPosition(MemoryStream->Position());
    FileStream = std::move(file);
    MemoryStream.reset();
    FInMemory = false;
}

void TQRStream::SaveToStream(TStream& dest)
{
    TLockGuard guard(FLock);
    SetPosition(0);
    std::vector<uint8_t> buffer(10240);
    for (;;) {
        const int32_t n = Read(buffer.data(), static_cast<int32_t>(buffer.size()));
        dest.WriteBuffer(buffer.data(), n);
        if (n == 0) break;
    }
}

int32_t TQRStream::GetHeaderSize()
{
    TLockGuard guard(FLock);
    const int32_t saved = Position();
    struct Restore {
        TQRStream& stream;
        int32_t position;
        ~Restore() { stream.SetPosition(position); }
    } restore{*this, saved};

    auto emfAt = [this](int32_t offset) {
        char sig[3];
        SetPosition(offset);
        ReadBuffer(sig, 3);
        return std::memcmp(sig, "EMF", 3) == 0;
    };
    if (emfAt(173)) return 124;
    if (emfAt(169)) return 120;
    if (emfAt(145)) return 96;
    if (emfAt(177)) return 128;

    // Scan the first 1004 bytes: i runs while i <= size - 4 and i <= 1001.
    const int32_t size = Size();
    const int32_t last = std::min(size - 4, 1001);
    if (last >= 0) {
        std::vector<char> head(static_cast<size_t>(last) + 3);
        SetPosition(0);
        ReadBuffer(head.data(), static_cast<int32_t>(head.size()));
        for (int32_t i = 0; i <= last; ++i) {
            if (std::memcmp(head.data() + i, "EMF", 3) == 0) return i - 49;
        }
    }
    return 128;
}

void TQRStream::ConvertOldHeader(std::array<uint8_t, 128>& header)
{
    if (GetHeaderSize() != 124) return;
    std::array<uint8_t, 128> old = header;
    header.fill(0);
    std::memcpy(&header[0], &old[0], 2);
    std::memcpy(&header[2], &old[2], 2);
    header[4] = old[4];
    std::memcpy(&header[8], &old[8], 4);
    std::memcpy(&header[16], &old[12], 8);
    header[24] = old[20];
    header[25] = old[21];
    std::memcpy(&header[26], &old[22], 101);
}

}  // namespace qrp
