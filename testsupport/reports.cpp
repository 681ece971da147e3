#include "testsupport/reports.h"

#include "base/stream.h"
#include "emf/enh_metafile.h"
#include "reportfile/link_text.h"
#include "reportfile/page_list.h"
#include "reportfile/qr_stream.h"
#include "testsupport/files.h"

#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

namespace qrp::testsupport {

namespace {

TMetafile Read(const std::vector<uint8_t>& picture)
{
    TMetafile m;
    TMemoryStream bytes(picture);
    m.LoadFromStream(bytes);
    return m;
}

std::vector<uint8_t> Save(TQRPageList& list)
{
    list.Finish();
    TMemoryStream out;
    list.SaveToStream(out);
    return out.Bytes();
}

std::unique_ptr<TQRPageList> NewList(bool compressed)
{
    auto list = std::make_unique<TQRPageList>();
    list->SetStream(std::make_shared<TQRStream>(250000));
    list->SetCompression(compressed);
    return list;
}

}  // namespace

std::vector<uint8_t> ReportBytes(const std::vector<std::vector<uint8_t>>& pictures, bool compressed)
{
    const auto list = NewList(compressed);
    for (const auto& picture : pictures) list->AddPage(Read(picture));
    return Save(*list);
}

void WriteReport(const std::filesystem::path& path, const std::vector<std::vector<uint8_t>>& pictures, bool compressed)
{
    WriteFile(path, ReportBytes(pictures, compressed));
}

std::vector<uint8_t> NumberedReportBytes(int pages, bool compressed, int links)
{
    const auto list = NewList(compressed);
    for (int p = 1; p <= pages; ++p) {
        const TMetafile m = NumberedPageMetafile(p, p % 3);
        if (links < 0) {
            list->AddPage(m);
            continue;
        }
        THyperlinkList pageLinks;
        for (int i = 0; i < links; ++i)
            pageLinks.emplace_back(TRect{i, p, i + 10, p + 20}, "http://exame/" + std::to_string(p) + "/" + std::to_string(i));
        list->AddPageEx(m, &pageLinks);
    }
    return Save(*list);
}

std::vector<uint8_t> FramedReportBytes(const std::vector<PageFrame>& frames)
{
    std::vector<std::vector<uint8_t>> pictures;
    for (const PageFrame& frame : frames) pictures.push_back(FramedPagePicture(frame, static_cast<int>(pictures.size()) + 1));
    return ReportBytes(pictures);
}

std::vector<uint8_t> FramedReportBytes(int pages) { return FramedReportBytes(std::vector<PageFrame>(static_cast<size_t>(pages), kA4)); }

void WriteFramedReport(const std::filesystem::path& path, const std::vector<PageFrame>& frames)
{
    WriteFile(path, FramedReportBytes(frames));
}

void WriteBandedReport(const std::filesystem::path& path, int pages, bool compressed, bool drawn)
{
    std::vector<std::vector<uint8_t>> pictures;
    for (int page = 1; page <= pages; ++page) pictures.push_back(BandedPagePicture(page, drawn));
    WriteReport(path, pictures, compressed);
}

void WriteTextReport(const std::filesystem::path& path, const std::vector<TestTextPage>& pages)
{
    std::vector<std::vector<uint8_t>> pictures;
    for (const TestTextPage& page : pages) pictures.push_back(TextPagePicture(page));
    WriteReport(path, pictures);
}

void WriteLinkedReport(const std::filesystem::path& path, const std::vector<std::vector<TestLink>>& pages)
{
    const auto list = NewList(false);
    for (size_t page = 0; page < pages.size(); ++page) {
        THyperlinkList links;
        for (const TestLink& l : pages[page])
            links.emplace_back(TRect{l.Left, l.Top, l.Right, l.Bottom}, Latin1ToUtf8(l.Bytes));
        list->AddPageEx(Read(BandedPagePicture(static_cast<int>(page) + 1)), links.empty() ? nullptr : &links);
    }
    WriteFile(path, Save(*list));
}

void WriteLabelledReport(const std::filesystem::path& path, const std::vector<LabelledPage>& pages, bool compressed)
{
    std::vector<std::vector<uint8_t>> pictures;
    for (const LabelledPage& page : pages) pictures.push_back(LabelledPagePicture(page));
    WriteReport(path, pictures, compressed);
}

void WriteLabelledA4Report(const std::filesystem::path& path, int count, bool compressed)
{
    std::vector<LabelledPage> pages(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) pages[static_cast<size_t>(i)].text = u"Página " + std::u16string(1, char16_t(u'1' + i));
    WriteLabelledReport(path, pages, compressed);
}

void WritePackedReport(const std::filesystem::path& path, const std::filesystem::path& pictureFile, bool compressed)
{
    TMetafile picture;
    {
        TFileStream in(pictureFile.string(), fmOpenRead | fmShareDenyNone);
        picture.LoadFromStream(in);
    }
    picture.SetEnhanced(true);
    const auto list = NewList(compressed);
    list->AddPage(picture);
    WriteFile(path, Save(*list));
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

void SpoilPage(std::vector<uint8_t>& report, int pageNumber)
{
    auto i32 = [&](size_t at) {
        if (at + 4 > report.size()) throw std::runtime_error("no page " + std::to_string(pageNumber));
        int32_t v;
        std::memcpy(&v, report.data() + at, 4);
        return v;
    };
    // Record: page number, forward link, picture (its signature at offset 40), back link.
    size_t record = TQRPageList::kHeaderSize;
    for (int page = 1; page < pageNumber; ++page) record = static_cast<size_t>(i32(record + 4));
    const size_t signature = record + 8 + 40;
    if (pageNumber < 1 || signature + 4 > report.size() || std::memcmp(report.data() + signature, " EMF", 4) != 0)
        throw std::runtime_error("no page " + std::to_string(pageNumber));
    report[signature] = 'X';
}

std::vector<uint8_t> Spoiled(std::vector<uint8_t> report, int pageNumber)
{
    SpoilPage(report, pageNumber);
    return report;
}

void SpoilPageInFile(const std::filesystem::path& path, int pageNumber)
{
    std::vector<uint8_t> bytes = ReadFile(path);
    SpoilPage(bytes, pageNumber);
    WriteFile(path, bytes);
}

}  // namespace qrp::testsupport
