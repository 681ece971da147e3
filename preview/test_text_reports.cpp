#include "preview/test_text_reports.h"

#include "emf/emf_writer.h"
#include "emf/enh_metafile.h"
#include "reportfile/metafile.h"
#include "reportfile/page_list.h"
#include "reportfile/qr_stream.h"

#include <map>
#include <memory>

namespace qrp::testing {

std::vector<uint8_t> TextPagePicture(const TestTextPage& page)
{
    emf::EmfWriterOptions options;
    options.frame = {0, 0, 21000, 29700};
    options.devicePixels = {794, 1123};
    options.deviceMillimeters = {210, 297};
    emf::EmfWriter writer(options);
    writer.SetTextAlign(24 /* TA_BASELINE */);
    std::map<int, uint32_t> fonts;
    for (const TestTextRun& run : page) {
        auto [it, added] = fonts.emplace(run.Height, static_cast<uint32_t>(fonts.size() + 1));
        if (added) {
            emf::LogFontW font;
            font.height = -run.Height;
            font.faceName = u"Arial";
            writer.ExtCreateFontIndirectW(it->second, font);
        }
        writer.SelectObject(it->second);
        writer.ExtTextOutW({run.X, run.Y}, run.Text, {});
    }
    return writer.Finish();
}

void WriteTextReport(const QString& path, const std::vector<TestTextPage>& pages)
{
    TQRPageList list;
    list.SetStream(std::make_shared<TQRStream>(250000));
    for (const TestTextPage& page : pages) {
        TMetafile picture;
        picture.SetHandle(emf::SetEnhMetaFileBits(TextPagePicture(page)));
        list.AddPage(picture);
    }
    list.Finish();
    list.SaveToFile(path.toStdString());
}

}  // namespace qrp::testing
