// Helpers for the player's tests: a playback of a PixelWriter picture onto a white image,
// and its trace.
#pragma once

#include "emf/emr_types.h"
#include "render/play.h"
#include "render/trace.h"
#include "testsupport/pictures.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace qrp::testsupport {

inline emf::HENHMETAFILE Picture(emf::EmfWriter& writer)
{
    emf::HENHMETAFILE picture = emf::SetEnhMetaFileBits(writer.Finish());
    EXPECT_TRUE(picture);
    return picture;
}

// Creates an Arial of the given LOGFONT height (and escapement) in handle and selects it.
inline void SelectArial(emf::EmfWriter& w, uint32_t handle, int32_t height, int32_t escapement = 0)
{
    emf::LogFontW font;
    font.height = height;
    font.escapement = escapement;
    font.faceName = u"Arial";
    w.ExtCreateFontIndirectW(handle, font);
    w.SelectObject(handle);
}

inline QRect PixelRect(int size = 64) { return QRect(0, 0, size + 1, size + 1); }

inline QImage Render(const emf::EnhMetaFile& picture, int size = 64, render::PlayStats* stats = nullptr)
{
    QImage image(size + 1, size + 1, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    const render::PlayStats s = render::PlayEnhMetaFile(painter, picture, PixelRect(size));
    if (stats) *stats = s;
    return image;
}

inline bool Dark(const QImage& image, int x, int y) { return qGray(image.pixel(x, y)) < 128; }

inline std::string Trace(const emf::EnhMetaFile& picture, int size = 64)
{
    return render::TraceEnhMetaFile(picture, PixelRect(size));
}

inline constexpr uint32_t Stock(uint32_t index) { return emf::gdi::STOCK_OBJECT | index; }

}  // namespace qrp::testsupport
