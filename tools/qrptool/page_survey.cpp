// The damage report of a page for `info --verbose`: the page played onto a device that draws
// nothing, at its size on a 96-dpi screen.
#include "render/play.h"
#include "reportfile/metafile.h"
#include "tools/qrptool/qt_start.h"

#include <algorithm>
#include <string>

namespace qrptool {

std::string DescribePageSkips(const qrp::TMetafile& page)
{
    // Fonts need the application object: made on the first page and kept for the life of
    // the process (never destroyed among the static objects).
    static QGuiApplication* const app = StartQt(QtUse::kDraw).release();
    (void)app;
    const qrp::emf::EnhMetaFile* picture = page.Handle();
    if (!picture) return {};
    auto pixels = [](int32_t hundredthsMm) { return std::clamp(static_cast<int>(int64_t{hundredthsMm} * 96 / 2540), 1, 4000); };
    const qrp::render::PlayStats stats =
        qrp::render::SurveyEnhMetaFile(*picture, QRect(0, 0, pixels(page.MMWidth()), pixels(page.MMHeight())));
    return qrp::render::DescribeSkips(stats, "    ");
}

}  // namespace qrptool
