#include "reportfile/test_pictures.h"

#include "base/tempfile.h"
#include "emf/emf_writer.h"
#include "reportfile/page_list.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

namespace qrp::testing {

std::vector<uint8_t> PagePicture(int pageNumber, int extraRecords)
{
    emf::EmfWriterOptions options;
    options.frame = {0, 0, 20999, 29699};
    options.devicePixels = {4961, 7016};
    options.deviceMillimeters = {210, 297};
    emf::EmfWriter w(options);
    w.SetMapMode(1);
    w.CreatePen(1, 0, 4, emf::Rgb(0, 0, 0));
    w.SelectObject(1);
    w.Rectangle({100, 100, 4800, 300 + pageNumber});
    emf::LogFontW font;
    font.height = -50;
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(2, font);
    w.SelectObject(2);
    const std::u16string text = u"Página " + std::u16string(1, static_cast<char16_t>(u'0' + pageNumber % 10));
    const std::vector<int32_t> dx(text.size(), 30);
    w.ExtTextOutW({200, 400}, text, dx);
    for (int i = 0; i < extraRecords; ++i) w.Rectangle({i, i * 2, i + 100 + pageNumber, i * 3 + 50});
    w.DeleteObject(2);
    w.DeleteObject(1);
    return w.Finish();
}

TMetafile PageMetafile(int pageNumber, int extraRecords)
{
    TMetafile m;
    TMemoryStream s(PagePicture(pageNumber, extraRecords));
    m.LoadFromStream(s);
    return m;
}

std::vector<uint8_t> ReportBytes(int pages, bool compressed, int links)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    list.SetCompression(compressed);
    for (int p = 1; p <= pages; ++p) {
        const TMetafile m = PageMetafile(p, p % 3);
        if (links < 0) {
            list.AddPage(m);
        } else {
            THyperlinkList list_;
            for (int i = 0; i < links; ++i)
                list_.emplace_back(TRect{i, p, i + 10, p + 20}, "http://exame/" + std::to_string(p) + "/" + std::to_string(i));
            list.AddPageEx(m, &list_);
        }
    }
    list.Finish();
    TMemoryStream out;
    list.SaveToStream(out);
    return out.Bytes();
}

ScratchDir::ScratchDir()
{
    // A unique name from the file-system layer, made into a folder.
    FPath = CreateUniqueFile(TempDirectory(), "qrp-test-");
    RemoveFile(FPath);
    std::filesystem::create_directory(FPath);
}

ScratchDir::~ScratchDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(FPath, ignored);
}

std::vector<std::string> ScratchDir::Entries() const
{
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(FPath)) names.push_back(entry.path().filename().string());
    return names;
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

std::vector<uint8_t> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qrp::testing
