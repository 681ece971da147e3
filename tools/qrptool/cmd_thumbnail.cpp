// qrptool thumbnail: page 1 of a report (or a bare EMF/WMF picture) as a small PNG, for
// file managers (the freedesktop thumbnailer entry runs it with the size asked for).
#include "tools/qrptool/atomic_output.h"
#include "tools/qrptool/command.h"
#include "tools/qrptool/png_file.h"
#include "tools/qrptool/qt_start.h"
#include "tools/qrptool/render_input.h"

#include "base/file_system.h"
#include "render/play.h"

#include <QImage>
#include <QPainter>

#include <charconv>
#include <cmath>
#include <iostream>
#include <optional>
#include <string>

namespace qrptool {
namespace {

int RunThumbnail(const std::vector<std::string>& args);

}  // namespace

extern const Command kThumbnailCommand = {
    "thumbnail",
    "write a small PNG of a report's first page (for file managers)",
    "Usage: qrptool thumbnail [-s SIZE] INPUT OUTPUT.png\n"
    "\n"
    "Plays page 1 of INPUT (a report, or an EMF or WMF picture) on white paper, scaled\n"
    "so that its longer side is SIZE pixels, and writes it as a PNG. OUTPUT is written\n"
    "through a temporary file beside it and replaced only when complete.\n"
    "  -s SIZE   the longer side in pixels, 16 to 1024 (default 256)\n"
    "\n"
    "Exit status: 0 written, 1 bad arguments, 2 INPUT cannot be read, 3 OUTPUT cannot\n"
    "be written.\n",
    RunThumbnail,
};

namespace {

constexpr int kDefaultSize = 256;
constexpr int kMinSize = 16;
constexpr int kMaxSize = 1024;
// Played at twice the size and scaled down smoothly: GDI's hard edges would alias.
constexpr int kOversample = 2;

// The thumbnail's size: the frame's proportions, the longer side `size` pixels.
std::optional<QSize> ThumbnailSize(const qrp::emf::RectL& frame, int size)
{
    const double w = static_cast<double>(frame.right) - frame.left;
    const double h = static_cast<double>(frame.bottom) - frame.top;
    if (!(w > 0) || !(h > 0)) return std::nullopt;
    const auto side = [size](double part, double whole) {
        return std::max(1, static_cast<int>(std::lround(size * std::min(1.0, part / whole))));
    };
    return w >= h ? QSize(size, side(h, w)) : QSize(side(w, h), size);
}

int RunThumbnail(const std::vector<std::string>& args)
{
    const Command& self = kThumbnailCommand;
    int size = kDefaultSize;
    std::vector<std::string> files;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-s" || a == "--size") {
            if (i + 1 >= args.size()) return UsageError(self, "-s needs a size");
            const std::string& v = args[++i];
            int n = 0;
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (ec != std::errc() || end != v.data() + v.size() || n < kMinSize || n > kMaxSize)
                return UsageError(self, "-s needs a size from 16 to 1024: " + v);
            size = n;
        } else if (!a.empty() && a[0] == '-' && a != "-") {
            return UsageError(self, "unknown option " + a);
        } else {
            files.push_back(a);
        }
    }
    if (files.size() != 2) return UsageError(self, "INPUT and OUTPUT are needed");
    const std::string& input = files[0];
    const std::string& output = files[1];
    // Only a regular file is ever replaced, and never the input itself.
    const qrp::FileKind outputKind = qrp::LinkStatusOf(output).kind;
    if (outputKind != qrp::FileKind::kMissing && outputKind != qrp::FileKind::kRegular) {
        std::cerr << "qrptool thumbnail: " << output << ": not a regular file, left as it is\n";
        return kExitPartial;
    }
    if (qrp::SameFile(input, output)) {
        std::cerr << "qrptool thumbnail: " << output << ": is the input\n";
        return kExitPartial;
    }

    qrp::emf::HENHMETAFILE picture;
    try {
        const auto source = OpenPictureSource(input);
        if (source->PageCount() < 1) throw InputError("no page");
        picture = source->Page(1);
        if (!picture) throw InputError("page 1 has no picture");
    } catch (const std::exception& e) {
        std::cerr << "qrptool thumbnail: " << input << ": " << e.what() << "\n";
        return kExitInvalidFile;
    }
    const std::optional<QSize> thumb = ThumbnailSize(picture->Header().rclFrame, size);
    if (!thumb) {
        std::cerr << "qrptool thumbnail: " << input << ": page 1 has an empty frame\n";
        return kExitInvalidFile;
    }

    const auto app = StartQt();

    QImage played(*thumb * kOversample, QImage::Format_RGB32);
    played.fill(Qt::white);
    {
        QPainter painter(&played);
        qrp::render::PlayEnhMetaFile(painter, *picture, QRect(QPoint(0, 0), played.size()));
    }
    const QImage image = played.scaled(*thumb, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);

    try {
        AtomicOutputFile out(output, {input});
        WritePng(image, out.Descriptor());
        out.Commit(true);
    } catch (const std::exception& e) {
        std::cerr << "qrptool thumbnail: " << output << ": " << e.what() << "\n";
        return kExitPartial;
    }
    return kExitOk;
}

}  // namespace
}  // namespace qrptool
