// A report file's bytes: LoadFromStream, then every page through GetPage and GetPageEx
// (backward, then forward, so both walks run). Every failure must be one of the file
// store's exceptions; anything else (a crash, a sanitizer report, a hang) is a finding.
#include "base/exceptions.h"
#include "reportfile/page_list.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

constexpr size_t kMaxInput = 1 << 20;
constexpr int kMaxPages = 64;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > kMaxInput) return -1;
    qrp::TQRPageList list;
    qrp::TMemoryStream in(std::vector<uint8_t>(data, data + size));
    try {
        list.LoadFromStream(in);
    } catch (const qrp::Exception&) {
        return 0;
    }
    const int pages = std::min(list.PageCount(), kMaxPages);
    for (int p = pages; p >= 1; --p) {
        try {
            list.GetPage(p);
        } catch (const qrp::Exception&) {
        }
    }
    for (int p = 1; p <= pages; ++p) {
        try {
            std::unique_ptr<qrp::TMetafile> picture;
            std::unique_ptr<qrp::THyperlinkList> links;
            list.GetPageEx(p, picture, links);
        } catch (const qrp::Exception&) {
        }
    }
    return 0;
}
