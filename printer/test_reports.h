// Report files for the report printer's tests, written through the page list: pages of any
// frame size recorded on a 96-dpi device, optionally with one page that cannot be decoded.
#pragma once

#include <QTemporaryDir>

#include <cstdint>
#include <string>
#include <vector>

namespace qrp::test {

// A page's frame in 0.01 mm.
struct PageFrame {
    int32_t width = 21000;
    int32_t height = 29700;
};

inline constexpr PageFrame kA4{21000, 29700};

// A picture of the frame, recorded at 96 dots per inch: a black border inset by 5 % and a
// filled block whose height depends on pageNumber.
std::vector<uint8_t> PagePicture(const PageFrame& frame, int pageNumber);

// The bytes of a report file with one page per frame.
std::vector<uint8_t> ReportBytes(const std::vector<PageFrame>& pages);
// n A4 pages.
std::vector<uint8_t> ReportBytes(int pages);
// n A4 pages whose page `damaged` (1-based) no longer holds a valid picture.
std::vector<uint8_t> ReportBytesWithDamagedPage(int pages, int damaged);

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
std::vector<uint8_t> ReadBytes(const std::string& path);

// A scratch folder for one test.
class Scratch {
public:
    std::string File(const std::string& name) const { return FDir.filePath(QString::fromStdString(name)).toStdString(); }
    // Writes the bytes to a file of that name and returns its path.
    std::string Write(const std::string& name, const std::vector<uint8_t>& bytes) const;

private:
    QTemporaryDir FDir;
};

}  // namespace qrp::test
