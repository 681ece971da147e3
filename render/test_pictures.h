// Helpers for the player's tests: pictures whose reference-device pixels land one to one on
// the output, and a playback onto a white image.
#pragma once

#include "emf/emf_writer.h"
#include "emf/emr_types.h"
#include "render/play.h"
#include "render/trace.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace qrp::render::testing {

// The writer's default device has 1024 pixels on 320 mm: one pixel is 31.25 units of
// 0.01 mm, so a frame of size * 31.25 played into size + 1 pixels maps one to one.
inline emf::EmfWriter PixelWriter(int size = 64)
{
    emf::EmfWriterOptions options;
    options.frame = {0, 0, static_cast<int32_t>(size * 3125 / 100), static_cast<int32_t>(size * 3125 / 100)};
    return emf::EmfWriter(options);
}

inline emf::HENHMETAFILE Picture(emf::EmfWriter& writer)
{
    emf::HENHMETAFILE picture = emf::SetEnhMetaFileBits(writer.Finish());
    EXPECT_TRUE(picture);
    return picture;
}

inline QRect PixelRect(int size = 64) { return QRect(0, 0, size + 1, size + 1); }

inline QImage Render(const emf::EnhMetaFile& picture, int size = 64, PlayStats* stats = nullptr)
{
    QImage image(size + 1, size + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const PlayStats s = PlayEnhMetaFile(painter, picture, PixelRect(size));
    if (stats) *stats = s;
    return image;
}

inline bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

inline std::string Trace(const emf::EnhMetaFile& picture, int size = 64)
{
    return TraceEnhMetaFile(picture, PixelRect(size));
}

inline constexpr uint32_t Stock(uint32_t index) { return emf::gdi::STOCK_OBJECT | index; }

}  // namespace qrp::render::testing
