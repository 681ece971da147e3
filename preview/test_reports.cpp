#include "preview/test_reports.h"

#include "emf/emf_writer.h"
#include "emf/enh_metafile.h"
#include "base/stream.h"
#include "reportfile/link_text.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"
#include "reportfile/qr_stream.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace qrp::testing {

std::vector<uint8_t> A4PagePicture(int pageNumber, bool drawn)
{
    emf::EmfWriterOptions options;
    options.frame = {0, 0, 21000, 29700};
    options.devicePixels = {794, 1123};
    options.deviceMillimeters = {210, 297};
    emf::EmfWriter writer(options);
    if (drawn) {
        writer.CreateBrushIndirect(1, 0 /* BS_SOLID */, emf::Rgb(200, 200, 200));
        writer.SelectObject(1);
        writer.Rectangle({40, 40, 754, 120});
        writer.CreateBrushIndirect(2, 0, emf::Rgb(30, 60, 160));
        writer.SelectObject(2);
        const int top = 150 + 60 * pageNumber;
        writer.Rectangle({100, top, 300, top + 50});
    }
    return writer.Finish();
}

std::vector<uint8_t> FramedPagePicture(int frameWidth, int frameHeight)
{
    const int width = std::max(1, static_cast<int>(std::lround(frameWidth * 96.0 / 2540)));
    const int height = std::max(1, static_cast<int>(std::lround(frameHeight * 96.0 / 2540)));
    emf::EmfWriterOptions options;
    options.frame = {0, 0, frameWidth, frameHeight};
    options.devicePixels = {width, height};
    options.deviceMillimeters = {std::max(1, frameWidth / 100), std::max(1, frameHeight / 100)};
    emf::EmfWriter writer(options);
    writer.CreateBrushIndirect(1, 0 /* BS_SOLID */, emf::Rgb(0, 0, 0));
    writer.SelectObject(1);
    const int insetX = width / 20;
    const int insetY = height / 20;
    writer.Rectangle({insetX, insetY, width - insetX, height - insetY});
    return writer.Finish();
}

void WriteFramedReport(const QString& path, const std::vector<std::pair<int, int>>& frames)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    for (const auto& [w, h] : frames) {
        TMetafile picture;
        picture.SetHandle(emf::SetEnhMetaFileBits(FramedPagePicture(w, h)));
        list.AddPage(picture);
    }
    list.Finish();
    list.SaveToFile(path.toStdString());
}

void WriteReport(const QString& path, int pages, bool compressed, bool drawn)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    list.SetCompression(compressed);
    for (int page = 1; page <= pages; ++page) {
        TMetafile picture;
        picture.SetHandle(emf::SetEnhMetaFileBits(A4PagePicture(page, drawn)));
        list.AddPage(picture);
    }
    list.Finish();
    list.SaveToFile(path.toStdString());
}

void WriteLinkedReport(const QString& path, const std::vector<std::vector<TestLink>>& pages)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    for (size_t page = 0; page < pages.size(); ++page) {
        TMetafile picture;
        picture.SetHandle(emf::SetEnhMetaFileBits(A4PagePicture(static_cast<int>(page) + 1)));
        THyperlinkList links;
        for (const TestLink& l : pages[page])
            links.emplace_back(TRect{l.Left, l.Top, l.Right, l.Bottom}, Latin1ToUtf8(l.Bytes));
        list.AddPageEx(picture, links.empty() ? nullptr : &links);
    }
    list.Finish();
    list.SaveToFile(path.toStdString());
}

void WritePackedReport(const QString& path, const QString& pictureFile, bool compressed)
{
    TMetafile picture;
    {
        TFileStream in(pictureFile.toStdString(), fmOpenRead | fmShareDenyNone);
        picture.LoadFromStream(in);
    }
    picture.SetEnhanced(true);
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    list.SetCompression(compressed);
    list.AddPage(picture);
    list.Finish();
    list.SaveToFile(path.toStdString());
}

std::vector<uint8_t> ReadAll(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) throw std::runtime_error("cannot read " + path.toStdString());
    const QByteArray data = file.readAll();
    return std::vector<uint8_t>(data.begin(), data.end());
}

void WriteAll(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) throw std::runtime_error("cannot write " + path.toStdString());
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

std::vector<uint8_t> RawReport(const std::vector<std::vector<uint8_t>>& pictures, int32_t headerPageCount,
                               const std::vector<int32_t>& forwardLinks)
{
    std::vector<uint8_t> bytes(TQRPageList::kHeaderSize, 0);
    auto put16 = [&](size_t at, int16_t v) { std::memcpy(bytes.data() + at, &v, 2); };
    auto put32 = [&](size_t at, int32_t v) { std::memcpy(bytes.data() + at, &v, 4); };
    auto append32 = [&](int32_t v) {
        bytes.resize(bytes.size() + 4);
        put32(bytes.size() - 4, v);
    };
    put16(0, 3);
    put16(2, 50);
    put32(8, headerPageCount);
    for (size_t i = 26; i < 126; ++i) bytes[i] = 'H';
    for (size_t page = 0; page < pictures.size(); ++page) {
        const auto record = static_cast<int32_t>(bytes.size());
        append32(static_cast<int32_t>(page + 1));
        const size_t linkAt = bytes.size();
        append32(0);
        bytes.insert(bytes.end(), pictures[page].begin(), pictures[page].end());
        append32(record);
        put32(linkAt, page < forwardLinks.size() ? forwardLinks[page] : static_cast<int32_t>(bytes.size()));
    }
    return bytes;
}

void SpoilPage(const QString& path, int pageNumber)
{
    std::vector<uint8_t> bytes = ReadAll(path);
    auto i32 = [&](size_t at) {
        int32_t v;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    size_t record = TQRPageList::kHeaderSize;
    for (int page = 1; page < pageNumber; ++page) record = static_cast<size_t>(i32(record + 4));
    // Record: page number, forward link, picture (its signature at offset 40), back link.
    const size_t signature = record + 8 + 40;
    if (signature + 4 > bytes.size()) throw std::runtime_error("no such page");
    std::memcpy(bytes.data() + signature, "XXXX", 4);
    WriteAll(path, bytes);
}

}  // namespace qrp::testing
