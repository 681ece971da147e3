#include "printer/test_reports.h"

#include "base/stream.h"
#include "emf/emf_writer.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"

#include <QFile>

#include <algorithm>
#include <stdexcept>

namespace qrp::test {

namespace {

// 96 dots per inch: 960 pixels on 254 millimetres.
constexpr int32_t kDevicePixels = 960;
constexpr int32_t kDeviceMillimeters = 254;

int32_t ToPixels(int32_t hundredthsMm) { return static_cast<int32_t>(int64_t{hundredthsMm} * kDevicePixels / (kDeviceMillimeters * 100)); }

}  // namespace

std::vector<uint8_t> PagePicture(const PageFrame& frame, int pageNumber)
{
    emf::EmfWriterOptions options;
    options.frame = {0, 0, frame.width, frame.height};
    options.devicePixels = {kDevicePixels, kDevicePixels};
    options.deviceMillimeters = {kDeviceMillimeters, kDeviceMillimeters};
    emf::EmfWriter w(options);
    const int32_t width = ToPixels(frame.width);
    const int32_t height = ToPixels(frame.height);
    const int32_t inset = width / 20;
    w.CreatePen(1, 0, 3, emf::Rgb(0, 0, 0));
    w.SelectObject(1);
    w.CreateBrushIndirect(2, 1 /* BS_NULL */, 0);
    w.SelectObject(2);
    w.Rectangle({inset, inset, width - inset, height - inset});
    w.CreateBrushIndirect(3, 0 /* BS_SOLID */, emf::Rgb(40, 40, 160));
    w.SelectObject(3);
    w.Rectangle({2 * inset, 2 * inset, width / 2, 2 * inset + (height / 10) * std::clamp(pageNumber, 1, 8)});
    w.DeleteObject(3);
    w.DeleteObject(2);
    w.DeleteObject(1);
    return w.Finish();
}

std::vector<uint8_t> ReportBytes(const std::vector<PageFrame>& pages)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    int number = 0;
    for (const PageFrame& frame : pages) {
        TMetafile picture;
        TMemoryStream bytes(PagePicture(frame, ++number));
        picture.LoadFromStream(bytes);
        list.AddPage(picture);
    }
    list.Finish();
    TMemoryStream out;
    list.SaveToStream(out);
    return out.Bytes();
}

std::vector<uint8_t> ReportBytes(int pages) { return ReportBytes(std::vector<PageFrame>(static_cast<size_t>(pages), kA4)); }

std::vector<uint8_t> ReportBytesWithDamagedPage(int pages, int damaged)
{
    std::vector<uint8_t> bytes = ReportBytes(pages);
    // Every picture carries the signature " EMF" at offset 40 of its header; the damaged
    // page's becomes "XEMF" (the header-size probe still finds "EMF"), so the picture is
    // refused when the page is read.
    static const uint8_t kSignature[] = {0x20, 0x45, 0x4D, 0x46};
    auto at = bytes.begin();
    for (int page = 1; page <= damaged; ++page) {
        at = std::search(page == 1 ? at : at + 1, bytes.end(), std::begin(kSignature), std::end(kSignature));
        if (at == bytes.end()) throw std::logic_error("report has fewer pictures than expected");
    }
    *at = uint8_t{'X'};
    return bytes;
}

void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write " + path);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly)) return {};
    const QByteArray data = file.readAll();
    return std::vector<uint8_t>(data.begin(), data.end());
}

std::string Scratch::Write(const std::string& name, const std::vector<uint8_t>& bytes) const
{
    const std::string path = File(name);
    WriteBytes(path, bytes);
    return path;
}

}  // namespace qrp::test
