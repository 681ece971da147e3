// Picture validation plus playback onto a small image: whatever the bytes, no crash, no
// read outside the picture, no hang.
#include "emf/enh_metafile.h"
#include "render/play.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

QGuiApplication& App()
{
    static int argc = 1;
    static char name[] = "render_play_fuzz";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(argc, argv);
    return app;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    App();
    if (size > (size_t{1} << 20)) return 0;
    std::vector<uint8_t> bytes(data, data + size);
    // Keep nBytes equal to the length, so that mutations reach playback instead of stopping
    // at the validation's size check.
    if (bytes.size() >= 108) {
        const auto n = static_cast<uint32_t>(bytes.size());
        for (int i = 0; i < 4; ++i) bytes[48 + static_cast<size_t>(i)] = static_cast<uint8_t>(n >> (8 * i));
    }
    const auto picture = qrp::emf::SetEnhMetaFileBits(std::move(bytes));
    if (!picture) return 0;
    QImage image(48, 64, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    qrp::render::PlayEnhMetaFile(painter, *picture, QRect(0, 0, 48, 64));
    return 0;
}
