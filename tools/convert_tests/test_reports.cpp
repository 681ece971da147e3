#include "tools/convert_tests/test_reports.h"

#include "emf/emf_writer.h"
#include "emf/enh_metafile.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"
#include "reportfile/qr_stream.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

namespace qrptool::test {

namespace emf = qrp::emf;

namespace {

std::vector<uint8_t> DrawPage(const PageSpec& page)
{
    // A printer-like reference device: 600 dpi on A4.
    emf::EmfWriterOptions options;
    options.frame = page.frame;
    options.devicePixels = {4961, 7016};
    options.deviceMillimeters = {210, 297};
    emf::EmfWriter w(options);
    w.SetMapMode(1);  // MM_TEXT: logical units are device pixels
    w.CreatePen(1, 0, 3, emf::Rgb(0, 0, 0));
    w.SelectObject(1);
    w.Rectangle({200, 200, 1800, 600});
    w.MoveToEx(200, 800);
    w.LineTo(4700, 800);
    emf::LogFontW font;
    font.height = -100;
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(2, font);
    w.SelectObject(2);
    std::vector<int32_t> dx(page.text.size(), 60);
    w.ExtTextOutW({300, 300}, page.text, dx);
    return w.Finish();
}

}  // namespace

void WriteReport(const std::filesystem::path& path, const std::vector<PageSpec>& pages, bool compressed)
{
    qrp::TQRPageList list;
    list.SetStream(std::make_shared<qrp::TQRStream>(1 << 24));
    list.SetCompression(compressed);
    for (const PageSpec& wanted : pages) {
        auto handle = emf::SetEnhMetaFileBits(DrawPage(wanted));
        if (!handle) throw std::runtime_error("the EMF writer made an invalid picture");
        qrp::TMetafile page;
        page.SetHandle(handle);
        list.AddPage(page);
    }
    list.Finish();
    list.SaveToFile(path.string());
}

void WriteA4Report(const std::filesystem::path& path, int count, bool compressed)
{
    std::vector<PageSpec> pages(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) pages[static_cast<size_t>(i)].text = u"Página " + std::u16string(1, char16_t(u'1' + i));
    WriteReport(path, pages, compressed);
}

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace qrptool::test
